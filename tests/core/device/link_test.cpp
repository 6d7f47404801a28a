#include "core/device/link.h"

#include <gtest/gtest.h>

#include "core/app/session.h"
#include "support/fake_volumes.h"
#include "support/recording_views.h"

namespace tq {
namespace {

using testing::FakeVolumes;
using testing::ProgrammerVolume;

struct LinkFixture : ::testing::Test {
    FakeVolumes volumes;
    VirtualClock clock;
    testing::RecordingMessages messages;
    // The session shows what the link reports.
    Session session{volumes, clock, std::filesystem::path()};
    DeviceLink& link = session.Device.Link;

    void Connect() {
        volumes.volumes = {ProgrammerVolume()};
        session.Views.messages = &messages;
        ASSERT_TRUE(link.FindDeviceDrive());
        link.Uart.Connected = 1;
    }
};

TEST_F(LinkFixture, DiscoveryTakesTheFirstRemovableReadable4608ByteVolume) {
    struct Case {
        std::vector<VolumeInfo> volumes;
        std::string expected;  // empty: not found
    };
    const Case cases[] = {
        {{ProgrammerVolume("D:\\"), ProgrammerVolume("F:\\")}, "D:\\Write.Temp"},
        {{VolumeInfo{"C:\\", false, true, 4608}, ProgrammerVolume("G:\\")}, "G:\\Write.Temp"},  // fixed disk skipped
        {{VolumeInfo{"D:\\", true, true, 4096}, ProgrammerVolume("H:\\")}, "H:\\Write.Temp"},   // wrong size skipped
        {{VolumeInfo{"D:\\", true, false, 4608}}, ""},                                            // no medium
        {{}, ""},
    };
    for (const Case& c : cases) {
        volumes.volumes = c.volumes;
        link.Uart.ReadPath = "kept";
        link.Uart.WritePath = "kept";
        const bool found = link.FindDeviceDrive();
        EXPECT_EQ(found, !c.expected.empty());
        EXPECT_EQ(link.Uart.ReadPath, found ? c.expected : "kept");
        EXPECT_EQ(link.Uart.WritePath, link.Uart.ReadPath);
        EXPECT_EQ(link.Uart.Connected, 0);
    }
}

TEST_F(LinkFixture, ExplicitDeviceSkipsDiscoveryButKeepsTheSizeRule) {
    volumes.volumes = {ProgrammerVolume("D:\\"), VolumeInfo{"/mnt/prog", false, true, 4608},
                       VolumeInfo{"/mnt/big", true, true, 1 << 20}};
    link.SetExplicitDevice("/mnt/prog");
    ASSERT_TRUE(link.FindDeviceDrive());
    EXPECT_EQ(link.Uart.ReadPath, "/mnt/progWrite.Temp");
    link.SetExplicitDevice("/mnt/big");
    EXPECT_FALSE(link.FindDeviceDrive());
}

TEST_F(LinkFixture, ExtraDevicesAreExaminedAfterTheRemovableOnesUnderTheSizeRule) {
    // A user-space drive reports itself as fixed; a removable one still wins.
    volumes.volumes = {VolumeInfo{"/mnt/fuse", false, true, 4608}, VolumeInfo{"/mnt/big", false, true, 1 << 20},
                       VolumeInfo{"/mnt/gone", false, false, 4608}, ProgrammerVolume("/media/usb")};
    link.SetExtraDevices({"/mnt/big", "/mnt/gone", "/mnt/fuse", "/media/usb", "/mnt/fuse"});
    ASSERT_TRUE(link.FindDeviceDrive());
    EXPECT_EQ(link.Uart.ReadPath, "/media/usbWrite.Temp");
    std::vector<std::string> listed;
    for (const DeviceLink::DeviceDrive& drive : link.DeviceDrives()) listed.push_back(drive.root + "|" + drive.exchangeFile);
    EXPECT_EQ(listed, (std::vector<std::string>{"/media/usb|/media/usbWrite.Temp", "/mnt/fuse|/mnt/fuseWrite.Temp"}));

    volumes.volumes.pop_back();  // the removable drive is pulled
    ASSERT_TRUE(link.FindDeviceDrive());
    EXPECT_EQ(link.Uart.ReadPath, "/mnt/fuseWrite.Temp");
}

TEST_F(LinkFixture, TransfersCoverWholeSectors) {
    Connect();
    struct Case {
        uint32_t length;
        uint32_t written;
    };
    for (const Case& c : {Case{10, 512}, Case{513, 1024}, Case{4096, 4096}, Case{0, 0}}) {
        volumes.drive.writes.clear();
        EXPECT_EQ(link.DeviceWrite(link.SendArea(), c.length), c.written) << c.length;
        if (c.written == 0) {
            EXPECT_TRUE(volumes.drive.writes.empty());
        } else {
            ASSERT_EQ(volumes.drive.writes.size(), 1u);
            EXPECT_EQ(volumes.drive.writes[0].size(), c.written);
        }
    }
}

TEST_F(LinkFixture, AShortExchangeFileIsExtendedByADoubled4096ByteWrite) {
    volumes.drive.size = 0;
    Connect();
    link.SendArea()[0] = 0x42;
    EXPECT_EQ(link.DeviceWrite(link.SendArea(), 8), 4096u);
    ASSERT_EQ(volumes.drive.writes.size(), 2u);
    EXPECT_EQ(volumes.drive.writes[0].size(), 4096u);
    EXPECT_EQ(volumes.drive.writes[1], volumes.drive.writes[0]);
    volumes.drive.writes.clear();
    EXPECT_EQ(link.DeviceWrite(link.SendArea(), 8), 512u);  // later writes: the rounded frame length
}

TEST_F(LinkFixture, ShortCallerDataIsPaddedFromAStagingAreaNotReadBeyond) {
    // A heap block of exactly 10 bytes (ASan catches any over-read), to a
    // file of full size and to one that the first write extends twice over.
    for (const int64_t fileSize : {int64_t{4608}, int64_t{0}}) {
        SCOPED_TRACE(fileSize);
        volumes.drive.size = fileSize;
        volumes.drive.writes.clear();
        link.DeviceReset();
        Connect();
        std::vector<uint8_t> data(10, 0x11);
        EXPECT_EQ(link.DeviceWrite(data.data(), 10), fileSize == 0 ? 4096u : 512u);
        ASSERT_FALSE(volumes.drive.writes.empty());
        for (const auto& sent : volumes.drive.writes) {
            EXPECT_EQ(sent[9], 0x11);
            EXPECT_EQ(sent[10], 0xFF);
            EXPECT_EQ(sent.back(), 0xFF);
        }
    }
}

TEST_F(LinkFixture, AFailedReadDropsTheLink) {
    Connect();
    link.DeviceWrite(link.SendArea(), 8);
    EXPECT_EQ(link.DeviceRead(link.ReceiveArea(), 512), 0u);  // nothing queued: the read fails
    EXPECT_EQ(link.Uart.Connected, 0);
    EXPECT_TRUE(link.Uart.ReadPath.empty());
    EXPECT_TRUE(link.Uart.WritePath.empty());
    EXPECT_FALSE(link.Uart.ReadHandle);
    EXPECT_FALSE(link.Uart.WriteHandle);
}

TEST_F(LinkFixture, DisconnectedExchangeWaitsButTransfersNothing) {
    volumes.volumes = {ProgrammerVolume()};
    link.ReceivedCount = 99;
    const uint64_t before = clock.NowMicros();
    link.DeviceExchange(8);
    EXPECT_EQ(clock.NowMicros() - before, 10000u);
    EXPECT_EQ(link.ReceivedCount, 0);
    EXPECT_EQ(volumes.drive.opens, 0);
}

TEST_F(LinkFixture, AnExchangeFileThatCannotBeOpenedIsReportedThenResetsTheLink) {
    Connect();
    volumes.drive.failOpen = true;
    EXPECT_EQ(link.DeviceWrite(link.SendArea(), 8), 0u);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], "Device Connect Error.");
    EXPECT_EQ(link.Uart.Connected, 1);  // nominally connected until the next transfer
    EXPECT_EQ(link.DeviceWrite(link.SendArea(), 8), 0u);
    EXPECT_EQ(link.Uart.Connected, 0);
    EXPECT_EQ(messages.messages.size(), 1u);
}

TEST(Clock, WaitsAtLeastAsLongAndProcessesEventsEveryPass) {
    VirtualClock clock;
    int passes = 0;
    clock.SetEventHook([&] { ++passes; });
    clock.Wait10us(0);
    EXPECT_EQ(passes, 1);
    clock.Wait10us(200000);
    EXPECT_EQ(clock.NowMicros(), 2000000u);
    clock.Wait1us(1);
    EXPECT_EQ(clock.NowMicros(), 2000001u);
}

TEST(Clock, RealWaitIsNeverShorterThanAsked) {
    RealClock clock;
    for (uint32_t micros : {0u, 50u, 3000u}) {
        const uint64_t start = clock.NowMicros();
        clock.Wait1us(micros);
        EXPECT_GE(clock.NowMicros() - start, micros);
    }
}

}  // namespace
}  // namespace tq
