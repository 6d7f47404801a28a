// The simulated programmer's boot mode: re-enumeration on restarts and the
// image check of 0xF3.
#include <gtest/gtest.h>

#include <cstring>

#include "core/device/commands.h"
#include "core/device/frame.h"
#include "core/firmware/firmware_package.h"
#include "sim/sim_programmer.h"
#include "support/recording_views.h"

namespace tq {
namespace {

struct SimBootFixture : ::testing::Test {
    VirtualClock clock;
    SimProgrammer sim{clock};
    DeviceLink link{sim.volumes(), clock};
    testing::RecordingStatusBar status;

    void Connect() {
        ASSERT_TRUE(link.FindDeviceDrive());
        link.Uart.Connected = 1;
    }
    // Sends a frame with the given payload; true when answered with status 0.
    bool Send(uint8_t code, const std::vector<uint8_t>& payload) {
        uint8_t* s = link.SendArea();
        s[0] = 0x02;
        s[1] = code;
        s[2] = 0x00;
        s[3] = 0x01;
        PutBe16(s + 4, static_cast<uint16_t>(payload.size()));
        if (!payload.empty()) std::memcpy(s + 6, payload.data(), payload.size());
        link.DeviceExchange(FinishFrame(link));
        return CheckResponse(link) == 0 && link.ReceiveArea()[1] == 0;
    }
    // Sends `image` as 256-byte blocks and asks for the check with `digestOf`'s MD5.
    bool SendImageAndCheck(const std::vector<uint8_t>& image, const std::vector<uint8_t>& digestOf) {
        for (uint32_t at = 0; at < image.size(); at += 256) {
            std::vector<uint8_t> payload(6);
            PutBe32(payload.data(), at);
            PutBe16(payload.data() + 4, 256);
            payload.insert(payload.end(), image.begin() + at, image.begin() + at + 256);
            if (!Send(CMD_IAP_DATA, payload)) return false;
        }
        ImageDigest digest;
        digest.Update(digestOf.data(), digestOf.size());
        const auto md5 = digest.Final();
        std::vector<uint8_t> payload(4);
        PutBe32(payload.data(), static_cast<uint32_t>(image.size()));
        payload.insert(payload.end(), md5.begin(), md5.end());
        return Send(CMD_IAP_VERIFY, payload);
    }
};

TEST_F(SimBootFixture, RestartsLeaveAndReturnOnTheClock) {
    sim.reenumeration = SimReenumeration{100, 3000};
    Connect();
    EXPECT_EQ(EnterBoot(link), CommandResult::Ok);  // answered before the drive goes
    std::string version;
    EXPECT_EQ(GetFwVersion(link, version), CommandResult::Ok);
    EXPECT_EQ(version.substr(0, 4), "BOOT");

    clock.Wait10us(10000);  // 100 ms after the command
    EXPECT_FALSE(link.FindDeviceDrive());
    EXPECT_EQ(GetFwVersion(link, version), CommandResult::NoAnswer);  // the transfer fails and drops the link
    EXPECT_EQ(link.Uart.Connected, 0);
    clock.Wait10us(290000);
    EXPECT_FALSE(link.FindDeviceDrive());
    clock.Wait10us(20000);  // past 3.1 s
    Connect();

    const std::vector<uint8_t> image(256, 0x11);
    EXPECT_TRUE(SendImageAndCheck(image, image));
    EXPECT_TRUE(Send(CMD_IAP_DONE, {}));
    clock.Wait10us(10000);
    EXPECT_FALSE(link.FindDeviceDrive());
    clock.Wait10us(300000);
    Connect();
    EXPECT_EQ(GetFwVersion(link, version), CommandResult::Ok);
    EXPECT_EQ(version, sim.firmwareAfterUpdate);

    // 0xF2 outside boot mode is no restart.
    EXPECT_TRUE(Send(CMD_IAP_DONE, {}));
    clock.Wait10us(20000);
    EXPECT_TRUE(link.FindDeviceDrive());
}

TEST_F(SimBootFixture, AnImageWhoseDigestDiffersIsRejectedAndNotInstalled) {
    Connect();
    const std::string before = sim.identity.firmware;
    EnterBoot(link);
    std::vector<uint8_t> image(512, 0x22);
    std::vector<uint8_t> other = image;
    other[300] ^= 1;
    EXPECT_FALSE(SendImageAndCheck(image, other));
    EXPECT_TRUE(Send(CMD_IAP_DONE, {}));
    EXPECT_EQ(sim.identity.firmware, before);
    EXPECT_FALSE(sim.bootMode());
}

}  // namespace
}  // namespace tq
