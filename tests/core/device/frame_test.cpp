#include "core/device/frame.h"

#include <gtest/gtest.h>

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
        uint8_t code;
        std::vector<uint8_t> payload;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {0x10, {}, {0x02, 0x10, 0x00, 0x01, 0x00, 0x00, 0x03, 0xB4}},
        {0x20, {0x00, 0x01}, {0x02, 0x20, 0x00, 0x01, 0x00, 0x02, 0x00, 0x01, 0x02, 0x67}},
        {0x14, {0x02}, {0x02, 0x14, 0x00, 0x01, 0x00, 0x01, 0x02, 0xA2, 0x82}},
    };
    for (const Case& c : cases) {
        FillHeader(link, c.code, static_cast<uint8_t>(c.payload.size()), c.payload.size() > 0 ? c.payload[0] : 0,
                   c.payload.size() > 1 ? c.payload[1] : 0);
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
