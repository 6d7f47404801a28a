#include "core/operations/read_verify.h"

#include <gtest/gtest.h>

#include "core/buffer/buffer_tools.h"
#include "core/buffer/buffer_undo.h"

#include "core/operations/erase_blank.h"
#include "core/operations/write.h"
#include "core/buffer/image_digests.h"
#include "support/expect.h"
#include "support/operation_rig.h"

namespace tq {
namespace {

using testing::FrameBe16;
using testing::FrameBe32;
using testing::OperationRig;

std::vector<uint8_t> Pattern(size_t size, uint8_t seed = 3) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + seed + i / 509);
    return bytes;
}

// A rig whose chip holds a pattern.
void FillChip(OperationRig& rig, uint8_t seed = 3) { rig.sim.chipMemory() = Pattern(rig.sim.chipMemory().size(), seed); }

TEST(BlockSizes, ReadAndVerifyBlocksFitTheReceiveArea) {
    const struct {
        uint16_t type, pageSize;
        uint32_t read, verify;
    } cases[] = {
        {4, 264, 1584, 792},  {4, 682, 4092, 2046}, {4, 683, 3415, 2049}, {4, 1056, 3168, 3168},
        {4, 1366, 2732, 2732}, {4, 8192, 4096, 4096}, {4, 0, 4096, 4096},   {1, 0, 4096, 4096},
        {2, 0, 4096, 4096},   {3, 0, 512, 4096},    {5, 0, 512, 512},      {6, 0, 512, 4096},
        {7, 0, 4096, 4096},   {0, 0, 4096, 4096},
    };
    for (const auto& c : cases) {
        Prj_Info_Struct prj;
        prj.ChipTypeCode = c.type;
        prj.PageSize = c.pageSize;
        EXPECT_EQ(ReadBlockSize(prj), c.read) << c.type << "/" << c.pageSize;
        EXPECT_EQ(VerifyBlockSize(prj), c.verify) << c.type << "/" << c.pageSize;
    }
}

TEST(Read, ReplacesTheBufferWithTheWholeChip) {
    const struct {
        uint8_t type;
        uint32_t capacity;
        uint16_t pageSize;
        uint16_t headerBlock;
        size_t blocks;
        const char* line;
    } cases[] = {
        {2, 256, 0, 256, 1, "10:42:07 读取芯片，成功！共耗时0.00秒  25.0 KiB/s"},
        {1, 65536, 0, 4096, 16, "10:42:07 读取芯片，成功！共耗时0.00秒  6.2 MiB/s"},
        {3, 2048, 0, 512, 4, "10:42:07 读取芯片，成功！共耗时0.02秒  80.0 KiB/s"},  // 5 ms after each block
        {4, 8448, 1056, 3168, 3, "10:42:07 读取芯片，成功！共耗时0.00秒  824.8 KiB/s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.type));
        OperationRig rig;
        rig.UseChip(c.type, c.capacity, c.pageSize);
        rig.session.Buffer.RamFile.Data.assign(100, 0x11);  // smaller storage from before
        rig.session.Buffer.RamFile.ViewTop = 32;
        rig.session.Chip.PrjInfo.RamStartAddr = 0x40;  // the read ignores it
        FillChip(rig);
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        EXPECT_EQ(ReadChip(rig.session.Operation), OperationOutcome::Succeeded);
        const auto headers = rig.Frames(0x34);
        ASSERT_EQ(headers.size(), 1u);
        EXPECT_EQ(FrameBe32(headers[0], 8), 0u);
        EXPECT_EQ(FrameBe32(headers[0], 12), c.capacity);
        EXPECT_EQ(FrameBe16(headers[0], 16), c.headerBlock);
        EXPECT_EQ(rig.Blocks('<').size(), c.blocks);
        EXPECT_EQ(rig.session.Buffer.RamFile.Data, rig.sim.chipMemory());
        EXPECT_EQ(rig.session.Buffer.RamFile.DataLen, c.capacity);
        EXPECT_EQ(rig.session.Buffer.RamFile.ViewTop, 0u);
        EXPECT_EQ(rig.hexView.redraws, 1);
        const std::vector<uint8_t>& chip = rig.sim.chipMemory();
        EXPECT_EQ(rig.status.history0, (std::vector<std::string>{"10:42:07 读取芯片",
                                                                 "10:42:07 " + DigestStatusText(0, chip.data(), chip.size()),
                                                                 c.line}));
        EXPECT_EQ(rig.Indicators(), (std::vector<uint16_t>{1, 100, 0}));
        EXPECT_EQ(rig.progress.label, "100%");
        EXPECT_EQ(rig.progress.colour, kBarGreen);
    }
}

TEST(Read, ABlockMarkedNotDeliveredIsAskedForAgainFromItsOffset) {
    OperationRig rig;
    rig.UseChip(1, 65536);
    FillChip(rig);
    // The last block's third sector starts with the marker (block numbers
    // count from each header, so the block asked for again arrives).
    rig.sim.faults.notDeliveredBlocks = {15};
    rig.sim.faults.markerSector = 2;
    ASSERT_TRUE(rig.Connect());
    rig.ClearRecords();
    EXPECT_EQ(ReadChip(rig.session.Operation), OperationOutcome::Succeeded);
    const auto headers = rig.Frames(0x34);
    ASSERT_EQ(headers.size(), 2u);
    EXPECT_EQ(FrameBe32(headers[1], 8), 61440u);
    EXPECT_EQ(FrameBe32(headers[1], 12), 65536u);
    EXPECT_EQ(FrameBe16(headers[1], 16), 4096u);
    EXPECT_EQ(rig.Blocks('<').size(), 17u);
    EXPECT_EQ(rig.session.Buffer.RamFile.Data, rig.sim.chipMemory());
}

TEST(Read, AsksBeforeUnsavedEditsAreReplacedAndForgetsThemAfter) {
    OperationRig rig;
    rig.UseChip(1, 4096);
    FillChip(rig);
    ASSERT_TRUE(rig.Connect());
    BufferContext& buffer = rig.session.Buffer;
    FillBuffer(buffer, 0, 16, 0x00);
    rig.messages.answer = false;
    EXPECT_EQ(ReadChip(rig.session.Operation), OperationOutcome::Declined);
    EXPECT_EQ(buffer.RamFile.Data[0], 0x00);
    rig.messages.answer = true;
    EXPECT_EQ(ReadChip(rig.session.Operation), OperationOutcome::Succeeded);
    EXPECT_EQ(rig.messages.questions.size(), 2u);
    EXPECT_EQ(buffer.RamFile.Data, rig.sim.chipMemory());
    EXPECT_FALSE(buffer.History.Modified());
    EXPECT_FALSE(UndoBufferEdit(buffer));
}

// Everything that keeps a read from getting the whole chip ends in the read
// error line; the buffer keeps what it held.
TEST(ReadFaults, AReadThatCannotCompleteFailsAndKeepsTheBuffer) {
    const struct {
        const char* name;
        std::function<void(SimFaults&)> fault;
        size_t headers;
        std::vector<uint16_t> indicators;
    } cases[] = {
        {"marker every time", [](SimFaults& f) { f.notDeliveredBlocks = {0}; }, 1 + kReadBlockRetries, {1, 3, 100}},
        {"drive removed at the sixth block", [](SimFaults& f) { f.removeAfterTransfers = 2 + 2 + 1 + 5; }, 1, {1}},
        {"drive removed at the header", [](SimFaults& f) { f.removeAfterTransfers = 2 + 2; }, 1, {1}},
        {"indicator unanswered", [](SimFaults& f) { f.silentCommands = {0x20}; }, 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.UseChip(1, 65536);
        FillChip(rig);
        rig.LoadBuffer(Pattern(1000, 9));
        const std::vector<uint8_t> before = rig.session.Buffer.RamFile.Data;
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        c.fault(rig.sim.faults);

        EXPECT_EQ(ReadChip(rig.session.Operation), OperationOutcome::Failed);
        EXPECT_EQ(rig.Frames(0x34).size(), c.headers);
        EXPECT_EQ(rig.status.panels[0], "10:42:07 读取错误，请重试！");
        for (const std::string& line : rig.status.history0) EXPECT_EQ(line.find("成功"), std::string::npos);
        EXPECT_EQ(rig.progress.state, ProgressState::Error);
        EXPECT_EQ(rig.progress.label, "ERROR");
        EXPECT_EQ(rig.progress.labelColour, LabelColour::Red);
        EXPECT_EQ(rig.Indicators(), c.indicators);
        EXPECT_EQ(rig.session.Buffer.RamFile.Data, before);
        EXPECT_EQ(rig.session.Buffer.RamFile.DataLen, 1000u);
        EXPECT_EQ(rig.hexView.redraws, 0);
    }
}

// A difference names its first address, the bytes there and how many of
// the block differ. Bytes that only lack bits of the data are what
// programming a flash over old data leaves: only then is erasing suggested.
TEST(Verify, NamesTheFirstDifferenceAndSuggestsErasingAFlashWrittenOverData) {
    const std::string hint = " 读出的数据只少了应有的位：写入前芯片没有擦除。请先擦除，再写入。";
    const struct {
        const char* name;
        uint8_t type;
        uint8_t chipAt5, imageAt5;  // byte 9: the chip 0x00, the image 0x81
        std::string line;
    } cases[] = {
        {"flash, bits only cleared", 1, 0x10, 0x3C,
         "10:42:07 校验失败：地址 0x000005 应为 0x3C，读出 0x10；从 0x000000 起的 4096 字节中有 2 字节不同。" + hint},
        {"flash, a bit the data lacks", 1, 0x11, 0x3C,
         "10:42:07 校验失败：地址 0x000005 应为 0x3C，读出 0x11；从 0x000000 起的 4096 字节中有 2 字节不同。"},
        {"EEPROM, bits only cleared", 2, 0x10, 0x3C,
         "10:42:07 校验失败：地址 0x000005 应为 0x3C，读出 0x10；从 0x000000 起的 4096 字节中有 2 字节不同。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.UseChip(c.type, 4096);
        FillChip(rig);
        std::vector<uint8_t>& chip = rig.sim.chipMemory();
        std::vector<uint8_t> image = chip;
        chip[5] = c.chipAt5;
        image[5] = c.imageAt5;
        chip[9] = 0x00;
        image[9] = 0x81;
        rig.LoadBuffer(image);
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        EXPECT_EQ(VerifyChip(rig.session.Operation), OperationOutcome::Failed);
        EXPECT_EQ(rig.status.panels[0], c.line);
        EXPECT_EQ(rig.progress.label, "Error");
        EXPECT_EQ(rig.progress.state, ProgressState::Error);
        EXPECT_EQ(rig.Indicators(), (std::vector<uint16_t>{1, 1, 3, 200}));
        // The unfinished stream does not confuse the next command.
        EXPECT_EQ(CheckBlank(rig.session.Operation), OperationOutcome::Failed);
        EXPECT_EQ(rig.session.Chip.PrjInfo.SocketStatus[0], 0);
    }
}

TEST(Verify, ComparesTheBufferWithTheChipFromItsStartAddress) {
    const struct {
        uint8_t type;
        uint16_t pageSize;
        uint32_t capacity, storage, dataLen, start;
        uint32_t headerLength;
        uint16_t headerBlock;
        OperationOutcome outcome;
    } cases[] = {
        // A buffer longer than the chip: only the chip's 256 bytes are compared.
        {2, 0, 256, 300, 300, 0, 256, 4096, OperationOutcome::Succeeded},
        {1, 0, 65536, 65536, 65536, 0, 65536, 4096, OperationOutcome::Succeeded},
        {1, 0, 65536, 65536, 1000, 0x100, 1000, 4096, OperationOutcome::Succeeded},
        {4, 264, 4224, 4224, 4224, 0, 4224, 792, OperationOutcome::Succeeded},
        {5, 0, 2048, 2048, 2048, 0, 2048, 512, OperationOutcome::Succeeded},
        // A length beyond the storage: only the stored bytes are compared.
        {1, 0, 4096, 256, 300, 0, 256, 4096, OperationOutcome::Succeeded},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.type) * 100000 + c.dataLen);
        OperationRig rig;
        rig.UseChip(c.type, c.capacity, c.pageSize);
        FillChip(rig);
        const std::vector<uint8_t>& chip = rig.sim.chipMemory();
        std::vector<uint8_t> image(chip.begin() + c.start, chip.end());
        image.resize(c.storage, 0x77);
        rig.session.Buffer.RamFile.Data = image;
        rig.session.Buffer.RamFile.DataLen = c.dataLen;
        rig.session.Chip.PrjInfo.RamStartAddr = c.start;
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        EXPECT_EQ(VerifyChip(rig.session.Operation), c.outcome);
        const auto header = rig.Frames(0x34).at(0);
        EXPECT_EQ(FrameBe32(header, 8), c.start);
        EXPECT_EQ(FrameBe32(header, 12), c.headerLength);
        EXPECT_EQ(FrameBe16(header, 16), c.headerBlock);
        // The image's sums, then the result the panel keeps.
        ASSERT_GE(rig.status.history0.size(), 2u);
        EXPECT_THAT(rig.status.panels[0], ::testing::MatchesRegex("10:42:07 校验芯片，成功！共耗时0\\.00秒  [0-9]+\\.[0-9] [KM]iB/s"));
        EXPECT_SAYS(rig.status.history0.end()[-2], "10:42:07 映像校验：CRC-32 ");
        EXPECT_EQ(rig.Indicators(), (std::vector<uint16_t>{1, 1, 0, 100}));
        EXPECT_EQ(rig.progress.state, ProgressState::Normal);
    }
}

// A stopped read or verify says how far it got, puts the bar in its stopped
// state and leaves the buffer as it was.
TEST(ReadVerify, AStopSaysHowFarTheReadOrVerifyGot) {
    const struct {
        const char* name;
        OperationOutcome (*run)(OperationContext&);
        const char* line;
    } cases[] = {
        {"read", &ReadChip, "10:42:07 用户在读取 8192 / 65536 字节后停止；缓冲区没有改变。"},
        {"verify", &VerifyChip, "10:42:07 用户在校验 8192 / 65536 字节后停止；已比较的部分相同，其余没有校验。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.UseChip(1, 65536);
        FillChip(rig);
        rig.LoadBuffer(rig.sim.chipMemory());
        const std::vector<uint8_t> before = rig.session.Buffer.RamFile.Data;
        ASSERT_TRUE(rig.Connect());
        rig.clock.SetEventHook([&] {
            if (rig.Blocks('<').size() == 1) RequestStop(rig.session.Operation);  // seen after the second block
        });
        EXPECT_EQ(c.run(rig.session.Operation), OperationOutcome::Stopped);
        rig.clock.SetEventHook(nullptr);
        EXPECT_EQ(rig.status.panels[0], c.line);
        EXPECT_EQ(rig.progress.state, ProgressState::Stopped);
        EXPECT_EQ(rig.session.Buffer.RamFile.Data, before);
        EXPECT_EQ(rig.session.Busy.StopRequest, 0);
    }
}

// A block that did not arrive must not be compared: the receive area would
// still hold the previous block, which here equals the buffer's next block.
// The line says the link broke off and after how many bytes.
TEST(VerifyFaults, ABlockThatDidNotArriveIsADifference) {
    const struct {
        const char* name;
        std::function<void(SimFaults&)> fault;
        std::vector<uint16_t> indicators;
        const char* done;
    } cases[] = {
        {"drive removed at the second block", [](SimFaults& f) { f.removeAfterTransfers = 2 + 2 + 2 + 1 + 1; }, {1, 1}, "4096"},
        {"drive removed at the header", [](SimFaults& f) { f.removeAfterTransfers = 2 + 2 + 2; }, {1, 1}, "0"},
        {"indicator unanswered", [](SimFaults& f) { f.silentCommands = {0x20}; }, {}, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.UseChip(1, 8192);
        std::vector<uint8_t> half = Pattern(4096);
        std::vector<uint8_t> image = half;
        image.insert(image.end(), half.begin(), half.end());
        rig.sim.chipMemory() = image;
        rig.LoadBuffer(image);
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        c.fault(rig.sim.faults);

        EXPECT_EQ(VerifyChip(rig.session.Operation), OperationOutcome::Failed);
        EXPECT_EQ(rig.status.panels[0], std::string("10:42:07 校验失败：与编程器的通讯在 ") + c.done +
                                            " / 8192 字节时中断（编程器被拔出或没有应答）。");
        EXPECT_EQ(rig.progress.state, ProgressState::Error);
        EXPECT_EQ(rig.progress.label, "Error");
        EXPECT_EQ(rig.progress.labelColour, LabelColour::Red);
        EXPECT_EQ(rig.Indicators(), c.indicators);
        EXPECT_EQ(rig.session.Buffer.RamFile.Data, image);
        EXPECT_EQ(rig.session.Buffer.RamFile.DataLen, 8192u);
    }
}

}  // namespace
}  // namespace tq

namespace tq {
namespace {

TEST(ImageDigestLine, WriteVerifyAndReadEachLogTheImageCrcAndSha256BeforeTheirResult) {
    OperationRig rig;
    rig.session.Texts.Language = 2;
    rig.UseChip(2, 256);
    const std::string digits = "123456789";
    rig.LoadBuffer(std::vector<uint8_t>(digits.begin(), digits.end()));
    ASSERT_TRUE(rig.Connect());
    const std::string digitsLine =
        "10:42:07 Image CRC-32 cbf43926, SHA-256 15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225";
    ASSERT_EQ(WriteImage(rig.session.Operation), OperationOutcome::Succeeded);
    EXPECT_EQ(rig.status.history0.end()[-2], digitsLine);
    ASSERT_EQ(VerifyChip(rig.session.Operation), OperationOutcome::Succeeded);
    EXPECT_EQ(rig.status.history0.end()[-2], digitsLine);
    const size_t before = rig.status.history0.size();
    ASSERT_EQ(ReadChip(rig.session.Operation), OperationOutcome::Succeeded);
    // The whole chip, read: its sums, then the result line.
    const std::vector<uint8_t>& chip = rig.sim.chipMemory();
    const ImageDigests digests = DigestsOf(chip.data(), chip.size());
    ASSERT_EQ(rig.status.history0.size(), before + 3);
    EXPECT_SAYS(rig.status.history0[before + 2], rig.session.Texts.DevLanguage.LogChipReadSuccess);
    EXPECT_EQ(rig.status.history0[before + 1], "10:42:07 Image CRC-32 " + Crc32Hex(digests.crc32) + ", SHA-256 " +
                                                   DigestHex(digests.sha256.data(), digests.sha256.size()));
}

}  // namespace
}  // namespace tq
