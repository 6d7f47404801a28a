#include "core/buffer/chip_buffer.h"

#include <gtest/gtest.h>

#include "support/buffer_session.h"

namespace tq {
namespace {

TEST(CheckSum32, SumsUnsignedBytesFromTheInitialValueModulo2To32) {
    const uint8_t bytes[] = {0xFF, 0x80, 0x01};
    EXPECT_EQ(CheckSum32(0, bytes, 3), 0x180u);
    EXPECT_EQ(CheckSum32(0, bytes, 0), 0u);
    // Chunk by chunk equals all at once.
    EXPECT_EQ(CheckSum32(CheckSum32(0, bytes, 1), bytes + 1, 2), CheckSum32(0, bytes, 3));
    EXPECT_EQ(CheckSum32(0xFFFFFF00u, bytes, 3), 0x80u);  // wraps
}

TEST(CheckSumText, IsOneNotationOf0xAndEightUppercaseDigits) {
    EXPECT_EQ(CheckSumText(0xFF00), "CheckSum:0x0000FF00");
    EXPECT_EQ(CheckSumText(0xABCDEF12u), "CheckSum:0xABCDEF12");
}

TEST(NewChipBuffer, Gives256BytesOfFFWithItsChecksumAndResetsTheCounters) {
    testing::BufferSession t;
    t.session.Buffer.RamFile.FileName = "kept.bin";
    t.session.Chip.PrjInfo.RamStartAddr = 0x1000;
    t.session.Buffer.RamFile.FindLen = 2;
    t.session.Buffer.RamFile.ViewTop = 0x40;
    t.session.Device.DevInf.SuccessCount = 5;
    t.session.Device.DevInf.FailCount = 2;
    t.SelectChip(256);

    const auto& ram = t.session.Buffer.RamFile;
    EXPECT_EQ(ram.Data, std::vector<uint8_t>(256, 0xFF));
    EXPECT_EQ(ram.DataLen, 256u);
    EXPECT_EQ(ram.ViewTop, 0u);
    EXPECT_EQ(t.CheckSumPanel(), "CheckSum:0x0000FF00");
    EXPECT_EQ(t.hexView.scrollMaximum, 256u);
    EXPECT_EQ(t.hexView.scrollPosition, 0u);
    EXPECT_EQ(t.hexView.redraws, 1);
    EXPECT_EQ(t.session.Device.DevInf.SuccessCount, 0);
    EXPECT_EQ(t.session.Device.DevInf.FailCount, 0);
    // Left alone:
    EXPECT_EQ(ram.FileName, "kept.bin");
    EXPECT_EQ(t.session.Chip.PrjInfo.RamStartAddr, 0x1000u);
    EXPECT_EQ(ram.FindLen, 2);
}

TEST(NewChipBuffer, DoesNothingWhileTheChipFrameSitsInTheProjectDialog) {
    testing::BufferSession t;
    t.SelectChip(256);
    t.session.Buffer.RamFile.Data[0] = 0x12;
    t.session.Window.ChipFrameInProjectDialog = true;
    t.SelectChip(1024);  // Capacity now describes the new chip, the storage does not
    EXPECT_EQ(t.session.Buffer.RamFile.Data.size(), 256u);
    EXPECT_EQ(t.session.Buffer.RamFile.Data[0], 0x12);
    EXPECT_EQ(t.hexView.redraws, 1);
    // Every bound on the storage keeps to what is allocated.
    EXPECT_EQ(StorageBound(t.session.Buffer), 256u);
    ShowStorageCheckSum(t.session.Buffer);
    EXPECT_EQ(t.CheckSumPanel(), "CheckSum:0x0000FE13");

    t.session.Window.ChipFrameInProjectDialog = false;
    t.SelectChip(1024);
    EXPECT_EQ(t.session.Buffer.RamFile.Data.size(), 1024u);
    EXPECT_EQ(t.session.Buffer.RamFile.Data[0], 0xFF);
}

TEST(NewChipBuffer, AChipSmallerThanTheLastReleasesTheOldStorage) {
    testing::BufferSession t;
    t.SelectChip(4096);
    t.SelectChip(16);
    EXPECT_EQ(t.session.Buffer.RamFile.Data.size(), 16u);
    EXPECT_EQ(t.session.Buffer.RamFile.Data.capacity(), 16u);
    EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 16u);
}

}  // namespace
}  // namespace tq
