#include "core/device/frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/device/commands.h"
#include "support/fake_volumes.h"

namespace tq {
namespace {

using testing::FakeVolumes;

std::vector<uint8_t> SentFrame(DeviceLink& link, uint16_t length) {
    return std::vector<uint8_t>(link.SendArea(), link.SendArea() + length);
}

TEST(Crc16Modbus, MatchesThePublishedCheckValue) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc16Modbus(reinterpret_cast<const uint8_t*>(check.data()), 9), 0x4B37);
    EXPECT_EQ(Crc16Modbus(nullptr, 0), 0xFFFF);
}

TEST(Frame, SealsTheWorkedFramesByteForByte) {
    FakeVolumes volumes;
    VirtualClock clock;
    DeviceLink link(volumes, clock);
    struct Case {
        CommandCode code;
        std::vector<uint8_t> payload;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {CMD_GET_FW_VERSION, {}, {0x02, 0x10, 0x00, 0x01, 0x00, 0x00, 0x03, 0xB4}},
        {CMD_SET_INDICATOR, {0x00, 0x01}, {0x02, 0x20, 0x00, 0x01, 0x00, 0x02, 0x00, 0x01, 0x02, 0x67}},
        {CMD_SET_LANGUAGE, {0x02}, {0x02, 0x14, 0x00, 0x01, 0x00, 0x01, 0x02, 0xA2, 0x82}},
    };
    for (const Case& c : cases) {
        std::copy(c.payload.begin(), c.payload.end(), StartFrame(link, c.code, static_cast<uint16_t>(c.payload.size())));
        const uint16_t length = FinishFrame(link);
        EXPECT_EQ(length, c.expected.size());
        EXPECT_EQ(SentFrame(link, length), c.expected) << "command " << int(c.code);
    }
}

TEST(Frame, CopiesAtMostTheMaximumOfAnAnswerText) {
    FakeVolumes volumes;
    VirtualClock clock;
    DeviceLink link(volumes, clock);
    uint8_t* r = link.ReceiveArea();
    const std::string text = "ABCDEFGHIJKLMNOPQRST";
    struct Case {
        uint16_t length;
        std::string expected;
    };
    for (const Case& c : {Case{20, "ABCDEFGHIJKLMNOP"}, Case{5, "ABCDE"}, Case{0, ""}}) {
        r[4] = 0;
        r[5] = static_cast<uint8_t>(c.length);
        std::memcpy(r + 6, text.data(), text.size());
        std::string out = "previous";
        CopyResponseText(link, out, 16);
        EXPECT_EQ(out, c.expected);
    }
}

}  // namespace
}  // namespace tq
