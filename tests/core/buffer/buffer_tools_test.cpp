#include "core/buffer/buffer_tools.h"

#include <gtest/gtest.h>

#include "core/buffer/hex_view_model.h"
#include "support/buffer_session.h"

namespace tq {
namespace {

TEST(FillBuffer, FollowsTheCapacityAndDataLenRules) {
    struct Case {
        const char* name;
        uint32_t capacity, dataLen, start, count;
        bool done;
        uint32_t dataLenAfter, firstFilled, endFilled, viewTop;
    };
    const Case cases[] = {
        {"defaults", 256, 256, 0, 256, true, 256, 0, 256, 0},
        {"growth to 48", 256, 16, 0x10, 0x20, true, 48, 0x10, 0x30, 0x10},
        {"0x1F0 on 512", 512, 512, 0x1F0, 0x100, true, 512, 0x1F0, 0x200, 0x1F0},
        {"start = capacity", 256, 100, 256, 256, true, 256, 256, 256, 256},
        {"start = capacity + 1", 256, 100, 257, 256, false, 100, 0, 0, 0},
        {"inside DataLen", 256, 200, 0x25, 3, true, 200, 0x25, 0x28, 0x20},
        {"end past 32 bits", 256, 16, 0x10, 0xFFFFFFF8u, true, 256, 0x10, 256, 0x10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::BufferSession t;
        t.SelectChip(c.capacity);
        t.session.Buffer.RamFile.DataLen = c.dataLen;
        t.statusBar.panels[1].clear();
        EXPECT_EQ(FillBuffer(t.session.Buffer, c.start, c.count, 0xAB), c.done);
        const auto& ram = t.session.Buffer.RamFile;
        EXPECT_EQ(ram.DataLen, c.dataLenAfter);
        EXPECT_EQ(ram.ViewTop, c.viewTop);
        for (uint32_t i = 0; i < c.capacity; ++i) {
            const bool filled = i >= c.firstFilled && i < c.endFilled;
            ASSERT_EQ(ram.Data[i], filled ? 0xAB : 0xFF) << i;
        }
        const uint32_t filledCount = c.endFilled - c.firstFilled;
        const uint32_t sum = filledCount * 0xAB + (c.capacity - filledCount) * 0xFF;
        EXPECT_EQ(t.CheckSumPanel(), c.done ? CheckSumText(sum) : "");
    }
}

TEST(FillBuffer, StaysWithinTheStorageWhenCapacityOutgrewIt) {
    testing::BufferSession t;
    t.SelectChip(256);
    t.session.Chip.PrjInfo.Capacity = 4096;  // chosen while the chip frame sat in the project dialog
    EXPECT_TRUE(FillBuffer(t.session.Buffer, 0, 4096, 0x00));
    EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 256u);
    EXPECT_EQ(t.session.Buffer.RamFile.Data, std::vector<uint8_t>(256, 0x00));
    EXPECT_FALSE(FillBuffer(t.session.Buffer, 257, 1, 0x00));
}

TEST(FillBuffer, RandomFillDrawsANewByteForEachOffset) {
    testing::BufferSession t;
    t.SelectChip(64);
    uint8_t next = 0;
    const RandomByteSource counting = [&next] { return next++; };
    ASSERT_TRUE(FillBuffer(t.session.Buffer, 8, 4, 0xAB, &counting));
    EXPECT_EQ(t.session.Buffer.RamFile.Data[7], 0xFF);
    EXPECT_EQ(t.session.Buffer.RamFile.Data[8], 0);
    EXPECT_EQ(t.session.Buffer.RamFile.Data[11], 3);
    EXPECT_EQ(t.session.Buffer.RamFile.Data[12], 0xFF);

    const RandomByteSource seeded = SeededRandomBytes();
    ASSERT_TRUE(FillBuffer(t.session.Buffer, 0, 64, 0, &seeded));
    std::vector<uint8_t> sorted = t.session.Buffer.RamFile.Data;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_GT(std::unique(sorted.begin(), sorted.end()) - sorted.begin(), 16);
}

TEST(JumpBuffer, ShowsTheRowOfTheOffsetAndRefusesDataLen) {
    testing::BufferSession t;
    t.SelectChip(0x400);
    EXPECT_TRUE(JumpBuffer(t.session.Buffer, 0x123));
    EXPECT_EQ(t.session.Buffer.RamFile.ViewTop, 0x120u);
    EXPECT_EQ(BuildHexPage(t.session.Buffer).addressLines.front(), "000120 ");
    const int redraws = t.hexView.redraws;
    EXPECT_FALSE(JumpBuffer(t.session.Buffer, 0x400));
    EXPECT_EQ(t.session.Buffer.RamFile.ViewTop, 0x120u);
    EXPECT_EQ(t.hexView.redraws, redraws);
}

void SetPattern(Ram_File_Info_Struct& ram, std::vector<uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), ram.FindPattern.begin());
    ram.FindLen = static_cast<uint16_t>(bytes.size());
}

TEST(FindInBuffer, FFFFFFFFMatchesAtViewTopAndFindNextStepsByOne) {
    testing::BufferSession t;
    t.SelectChip(256);
    t.session.Buffer.RamFile.ViewTop = 0x40;
    SetPattern(t.session.Buffer.RamFile, {0xFF, 0xFF, 0xFF, 0xFF});
    t.session.Buffer.RamFile.FindPos = 17;  // a new search forgets the last match
    std::optional<HexSelection> selection = FindPatternFromView(t.session.Buffer);
    ASSERT_TRUE(selection);
    EXPECT_EQ(t.session.Buffer.RamFile.FindPos, 0x40);
    EXPECT_EQ(*selection, (HexSelection{0, 11}));
    for (int32_t expected = 0x41; expected <= 0x43; ++expected) {
        selection = FindNextMatch(t.session.Buffer);
        ASSERT_TRUE(selection);
        EXPECT_EQ(t.session.Buffer.RamFile.FindPos, expected);
        EXPECT_EQ(t.session.Buffer.RamFile.ViewTop, 0x40u);
        EXPECT_EQ(selection->start, size_t(expected - 0x40) * 3);
    }
}

TEST(FindInBuffer, MatchesStopAtDataLenAndNeverReadPastTheStorage) {
    testing::BufferSession t;
    t.SelectChip(256);
    auto& ram = t.session.Buffer.RamFile;
    ram.Data[0x30] = 0xAB;
    ram.Data[0xFE] = 0x11;
    ram.Data[0xFF] = 0x22;
    SetPattern(ram, {0xAB});
    EXPECT_TRUE(FindPatternFromView(t.session.Buffer));
    EXPECT_EQ(ram.FindPos, 0x30);
    EXPECT_EQ(ram.ViewTop, 0x30u);
    // No further match: nothing changes, no wrap-around.
    EXPECT_FALSE(FindNextMatch(t.session.Buffer));
    EXPECT_EQ(ram.FindPos, 0x30);

    // A match may reach past DataLen but not past the storage.
    ram.ViewTop = 0;
    ram.DataLen = 0xFF;
    SetPattern(ram, {0x11, 0x22});
    EXPECT_TRUE(FindPatternFromView(t.session.Buffer));
    EXPECT_EQ(ram.FindPos, 0xFE);
    ram.ViewTop = 0;
    SetPattern(ram, {0x11, 0x22, 0xFF});
    EXPECT_FALSE(FindPatternFromView(t.session.Buffer));
    EXPECT_EQ(ram.FindPos, -1);
    // A pattern longer than the whole storage matches nothing.
    SetPattern(ram, std::vector<uint8_t>(256, 0xFF));
    t.SelectChip(16);
    EXPECT_FALSE(FindPatternFromView(t.session.Buffer));
}

TEST(FindInBuffer, FindNextWithoutAPatternForgetsThePosition) {
    testing::BufferSession t;
    t.SelectChip(256);
    t.session.Buffer.RamFile.FindPos = 5;
    t.session.Buffer.RamFile.FindLen = 0;
    EXPECT_FALSE(FindNextMatch(t.session.Buffer));
    EXPECT_EQ(t.session.Buffer.RamFile.FindPos, -1);
}

TEST(SwapBytes, SwapsPairsAndTwiceRestores) {
    testing::BufferSession t;
    t.SelectChip(4);
    t.session.Buffer.RamFile.Data = {1, 2, 3, 4};
    SwapBufferBytePairs(t.session.Buffer);
    EXPECT_EQ(t.session.Buffer.RamFile.Data, (std::vector<uint8_t>{2, 1, 4, 3}));
    SwapBufferBytePairs(t.session.Buffer);
    EXPECT_EQ(t.session.Buffer.RamFile.Data, (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(t.CheckSumPanel(), "CheckSum:0x000003FC");  // unchanged since the chip selection

    // An odd DataLen swaps its last byte with the next storage byte when there is one.
    t.session.Buffer.RamFile.DataLen = 3;
    SwapBufferBytePairs(t.session.Buffer);
    EXPECT_EQ(t.session.Buffer.RamFile.Data, (std::vector<uint8_t>{2, 1, 4, 3}));
    // At the end of the storage the last byte stays.
    t.session.Buffer.RamFile.Data = {1, 2, 3};
    SwapBufferBytePairs(t.session.Buffer);
    EXPECT_EQ(t.session.Buffer.RamFile.Data, (std::vector<uint8_t>{2, 1, 3}));
}

}  // namespace
}  // namespace tq
