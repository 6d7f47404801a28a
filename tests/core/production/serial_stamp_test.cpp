#include "core/production/serial_stamp.h"

#include <gtest/gtest.h>

namespace tq {
namespace {

// Each chip's number lands at the address, in the byte order and width asked
// for; a number that does not fit, or a stamp past the image's end, leaves
// the image as it was.
TEST(StampSerial, PutsTheNumberAtTheAddressInItsByteOrder) {
    struct Case {
        uint32_t address;
        int length;
        bool little;
        uint64_t value;
        bool stamped;
        std::vector<uint8_t> image;  // after, 6 bytes of 0xEE before
    };
    const uint8_t E = 0xEE;
    const Case cases[] = {
        {0, 1, false, 0x7F, true, {0x7F, E, E, E, E, E}},
        {1, 2, false, 0x1234, true, {E, 0x12, 0x34, E, E, E}},
        {1, 2, true, 0x1234, true, {E, 0x34, 0x12, E, E, E}},
        {2, 4, false, 0xA1B2C3D4, true, {E, E, 0xA1, 0xB2, 0xC3, 0xD4}},
        {2, 4, true, 0xA1B2C3D4, true, {E, E, 0xD4, 0xC3, 0xB2, 0xA1}},
        {0, 4, false, 5, true, {0, 0, 0, 5, E, E}},
        {0, 1, false, 0x100, false, {E, E, E, E, E, E}},          // past one byte
        {0, 2, true, 0x10000, false, {E, E, E, E, E, E}},         // past two bytes
        {0, 4, false, 0x100000000, false, {E, E, E, E, E, E}},    // past four bytes
        {3, 4, false, 1, false, {E, E, E, E, E, E}},              // the last byte would fall off
        {6, 1, false, 1, false, {E, E, E, E, E, E}},              // the address is the end
        {0xFFFFFFFF, 2, false, 1, false, {E, E, E, E, E, E}},     // no wrap round 32 bits
        {0, 3, false, 1, false, {E, E, E, E, E, E}},              // three bytes is no length
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> image(6, E);
        const SerialStamp stamp{c.address, c.length, c.little, 0, 1};
        EXPECT_EQ(StampSerial(image, stamp, c.value), c.stamped) << c.address << "/" << c.length << "/" << c.value;
        EXPECT_EQ(image, c.image) << c.address << "/" << c.length << "/" << c.value;
    }
}

// What is refused before a number is taken from the ledger.
TEST(CheckStamp, RefusesWhatCouldNeverBeStamped) {
    struct Case {
        SerialStamp stamp;
        StampProblem problem;
    };
    const Case cases[] = {
        {{0xFC, 4, false, 1, 1}, StampProblem::None},
        {{0xFD, 4, false, 1, 1}, StampProblem::BeyondImage},
        {{0x100, 1, false, 1, 1}, StampProblem::BeyondImage},
        {{0, 8, false, 1, 1}, StampProblem::BadLength},
        {{0, 1, false, 0x100, 1}, StampProblem::FirstTooWide},
        {{0, 2, false, 0xFFFF, 1}, StampProblem::None},
        {{0, 2, false, 1, 0}, StampProblem::ZeroStep},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckStamp(c.stamp, 0x100), c.problem) << c.stamp.address << "/" << c.stamp.length;
}

}  // namespace
}  // namespace tq
