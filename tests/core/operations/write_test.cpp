#include "core/operations/write.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

#include "core/device/commands.h"
#include "core/operations/read_verify.h"
#include "core/operations/auto_sequence.h"
#include "support/expect.h"
#include "support/fake_volumes.h"
#include "support/operation_rig.h"

namespace tq {
namespace {

using testing::FrameBe16;
using testing::FrameBe32;
using testing::OperationRig;

std::vector<uint8_t> Pattern(size_t size, uint8_t seed = 1) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + seed + i / 251);
    return bytes;
}

TEST(ImageCheck, AnEmptyBufferOrDataPastTheChipIsRefusedBeforeAnythingIsSent) {
    using Handler = OperationOutcome (*)(OperationContext&);
    const struct {
        const char* name;
        Handler handler;
        uint32_t dataLen, start;
        OperationOutcome outcome;
        const char* line;
    } cases[] = {
        {"write, empty", WriteImage, 0, 0, OperationOutcome::NoData,
         "10:42:07 The buffer holds no data; nothing was sent."},
        {"verify, empty", VerifyChip, 0, 0, OperationOutcome::NoData,
         "10:42:07 The buffer holds no data; nothing was sent."},
        {"auto, empty", RunAutoSequence, 0, 0, OperationOutcome::NoData,
         "10:42:07 The buffer holds no data; nothing was sent."},
        {"write past the end", WriteImage, 64, 0xF0, OperationOutcome::DoesNotFit,
         "10:42:07 48 bytes do not fit the chip (start 0xF0, 64 bytes, chip 256 bytes); nothing was sent."},
        {"verify past the end", VerifyChip, 64, 0xF0, OperationOutcome::DoesNotFit,
         "10:42:07 48 bytes do not fit the chip (start 0xF0, 64 bytes, chip 256 bytes); nothing was sent."},
        {"auto past the end", RunAutoSequence, 2, 0xFF, OperationOutcome::DoesNotFit,
         "10:42:07 1 byte does not fit the chip (start 0xFF, 2 bytes, chip 256 bytes); nothing was sent."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.session.Texts.Language = 2;
        rig.UseChip(2, 256);
        rig.LoadBuffer(Pattern(c.dataLen));
        Prj_Info_Struct& prj = rig.session.Chip.PrjInfo;
        prj.RamStartAddr = c.start;
        prj.Erase = prj.Write = prj.Verify = 1;  // auto would erase first
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        const uint64_t transfers = rig.sim.transferCount();
        EXPECT_EQ(c.handler(rig.session.Operation), c.outcome);
        EXPECT_EQ(rig.sim.transferCount(), transfers);  // not even the socket question
        EXPECT_EQ(rig.status.history0, std::vector<std::string>{c.line});
        EXPECT_EQ(rig.progress.label, "ERROR");
        EXPECT_EQ(rig.sim.chipMemory(), std::vector<uint8_t>(256, 0xFF));
    }
}

TEST(Write, TheLengthIsTheBufferCutToTheChipAndToTheStorage) {
    const struct {
        uint32_t capacity, storage, dataLen, length;
    } cases[] = {
        {256, 512, 512, 256},    // buffer longer than the chip
        {4096, 256, 300, 256},   // a length beyond the storage never reads past it
        {4096, 4096, 300, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capacity * 10000 + c.storage);
        OperationRig rig;
        rig.UseChip(1, c.capacity);
        rig.session.Buffer.RamFile.Data = Pattern(c.storage);
        rig.session.Buffer.RamFile.DataLen = c.dataLen;
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        EXPECT_EQ(WriteImage(rig.session.Operation), OperationOutcome::Succeeded);
        EXPECT_EQ(FrameBe32(rig.Frames(0x35).at(0), 12), c.length);
        EXPECT_EQ(rig.status.history0.at(0), "10:42:07 写入芯片，文件名：写入长度：" + std::to_string(c.length));
        const std::vector<uint8_t>& chip = rig.sim.chipMemory();
        EXPECT_TRUE(std::equal(chip.begin(), chip.begin() + c.length, rig.session.Buffer.RamFile.Data.begin()));
        EXPECT_TRUE(std::all_of(chip.begin() + c.length, chip.end(), [](uint8_t b) { return b == 0xFF; }));
    }
}

TEST(Write, BlockSizesAndPacesFollowTheChipType) {
    // Elapsed: the 10 ms after the header, then the paces of the EEPROM types.
    const struct {
        uint8_t type;
        uint32_t capacity;
        uint16_t pageSize;
        uint32_t length;
        uint16_t headerBlock;
        std::vector<uint32_t> blocks;
        const char* line;
    } cases[] = {
        {2, 256, 0, 256, 256, {256}, "10:42:07 写入成功.共耗时0.71秒  25.0 KiB/s"},                // 10 + 200 + 500
        // 10 + 200 + 120 (the chip still stores the first block's 64 pages) + 200 + 500
        {3, 4096, 32, 4096, 2048, {2048, 2048}, "10:42:07 写入成功.共耗时1.03秒  12.1 KiB/s"},
        {4, 4096, 264, 300, 264, {264, 264}, "10:42:07 写入成功.共耗时0.01秒  29.3 KiB/s"},        // 10 us after a full block
        {7, 4096, 0, 3000, 1024, {1024, 1024, 1024}, "10:42:07 写入成功.共耗时0.01秒  292.4 KiB/s"},
        {1, 65536, 0, 65536, 2048, std::vector<uint32_t>(32, 2048), "10:42:07 写入成功.共耗时0.01秒  6.1 MiB/s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.type));
        OperationRig rig;
        rig.UseChip(c.type, c.capacity, c.pageSize);
        rig.LoadBuffer(Pattern(c.length));
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        EXPECT_EQ(WriteImage(rig.session.Operation), OperationOutcome::Succeeded);
        const auto header = rig.Frames(0x35).at(0);
        EXPECT_EQ(FrameBe32(header, 8), 0u);
        EXPECT_EQ(FrameBe32(header, 12), c.length);
        EXPECT_EQ(FrameBe16(header, 16), c.headerBlock);
        EXPECT_EQ(rig.Blocks('>'), c.blocks);
        // The image's sums, then the result the panel keeps.
        ASSERT_GE(rig.status.history0.size(), 2u);
        EXPECT_SAYS(rig.status.history0.end()[-2], "10:42:07 映像校验：CRC-32 ");
        EXPECT_EQ(rig.status.panels[0], c.line);
        EXPECT_EQ(rig.progress.label, "100%");
        EXPECT_EQ(rig.progress.position, c.length);
        const std::vector<uint8_t>& chip = rig.sim.chipMemory();
        EXPECT_TRUE(std::equal(chip.begin(), chip.begin() + c.length, rig.session.Buffer.RamFile.Data.begin()));
    }
}

TEST(Write, StartsAtTheBufferStartAddress) {
    OperationRig rig;
    rig.UseChip(2, 1024);
    rig.LoadBuffer(Pattern(100));
    rig.session.Chip.PrjInfo.RamStartAddr = 0x200;
    ASSERT_TRUE(rig.Connect());
    rig.ClearRecords();
    EXPECT_EQ(WriteImage(rig.session.Operation), OperationOutcome::Succeeded);
    EXPECT_EQ(FrameBe32(rig.Frames(0x35).at(0), 8), 0x200u);
    EXPECT_TRUE(std::equal(rig.session.Buffer.RamFile.Data.begin(), rig.session.Buffer.RamFile.Data.begin() + 100,
                           rig.sim.chipMemory().begin() + 0x200));
    EXPECT_EQ(rig.sim.chipMemory()[0x1FF], 0xFF);
}

TEST(Write, TheLastShortBlockGoesOutPaddedWithFF) {
    testing::FakeVolumes volumes;
    volumes.volumes = {testing::ProgrammerVolume()};
    VirtualClock clock;
    Session session(volumes, clock, std::filesystem::temp_directory_path());
    ASSERT_TRUE(session.Device.Link.FindDeviceDrive());
    session.Device.Link.Uart.Connected = 1;
    session.Chip.PrjInfo.ChipTypeCode = 4;
    session.Chip.PrjInfo.Capacity = 4096;
    session.Chip.PrjInfo.PageSize = 264;
    session.Buffer.RamFile.Data = Pattern(4096);
    session.Buffer.RamFile.DataLen = 300;

    EXPECT_EQ(StreamWrite(session.Operation, 0, ChipType::Eeprom45), kOpSuccess);
    const auto& writes = volumes.drive.writes;
    ASSERT_EQ(writes.size(), 4u);  // header, two blocks of one sector each, the socket question after them
    const std::vector<uint8_t>& data = session.Buffer.RamFile.Data;
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 264, writes[1].begin()));
    EXPECT_TRUE(std::equal(data.begin() + 264, data.begin() + 300, writes[2].begin()));
    EXPECT_TRUE(std::all_of(writes[2].begin() + 36, writes[2].begin() + 264, [](uint8_t b) { return b == 0xFF; }));
}

// Writes a pattern of `size` bytes into a chip of `type`, with `duringWrite`
// run at every wait of the clock.
OperationOutcome WriteWhile(OperationRig& rig, uint8_t type, uint32_t size, const std::function<void()>& duringWrite) {
    rig.UseChip(type, size);
    rig.LoadBuffer(Pattern(size));
    if (!rig.Connect()) return OperationOutcome::NotConnected;
    rig.ClearRecords();
    rig.clock.SetEventHook(duringWrite);
    const OperationOutcome outcome = WriteImage(rig.session.Operation);
    rig.clock.SetEventHook(nullptr);
    return outcome;
}

TEST(Write, AStopSendsTheAbortBlockAndSaysHowFarTheWriteGot) {
    OperationRig rig;
    EXPECT_EQ(WriteWhile(rig, 2, 4096, [&] {
                  if (!rig.Blocks('>').empty()) RequestStop(rig.session.Operation);
              }),
              OperationOutcome::Stopped);
    EXPECT_EQ(rig.Blocks('>'), (std::vector<uint32_t>{2048, 10}));
    EXPECT_EQ(rig.Indicators(), (std::vector<uint16_t>{1, 3, 100}));
    EXPECT_EQ(rig.status.panels[0], "10:42:07 用户在写入 2048 / 4096 字节后停止；芯片中只有部分数据。");
    EXPECT_EQ(rig.progress.state, ProgressState::Stopped);
    EXPECT_EQ(rig.progress.label, "已停止");
    EXPECT_EQ(rig.session.Busy.StopRequest, 0);
    EXPECT_EQ(SetIndicator(rig.session.Device.Link, IndicatorCode::Passed), CommandResult::Ok);  // the programmer left the stream
}

// The write stream is unanswered: a chip taken out in the middle is found
// by asking the socket afterwards, and named as the cause.
TEST(Write, AChipTakenOutMidWriteIsNamedAsTheCause) {
    OperationRig rig;
    EXPECT_EQ(WriteWhile(rig, 1, 65536, [&] {
                  if (rig.Blocks('>').size() == 3) rig.sim.RequestChipRemoval();
              }),
              OperationOutcome::Failed);
    EXPECT_EQ(rig.status.panels[0], "10:42:07 芯片在操作过程中被取出插座；结果无效。");
    for (const std::string& line : rig.status.history0) EXPECT_EQ(line.find("写入成功"), std::string::npos);
    EXPECT_EQ(rig.progress.state, ProgressState::Error);
}

// The drive vanishes after `transfers` more transfers, or the first
// indicator goes unanswered: the write ends with the communication error,
// never the success line, and the buffer is untouched.
TEST(WriteFaults, ALostDriveOrAMissingAnswerEndsWithTheCommunicationError) {
    const struct {
        const char* name;
        std::optional<uint32_t> removeAfter;
        bool silentIndicator;
        std::vector<uint16_t> indicators;
    } cases[] = {
        {"drive removed at the fifth block", 2 + 2 + 1 + 4, false, {1}},
        {"drive removed at the header", 2 + 2, false, {1}},
        {"indicator unanswered", {}, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.UseChip(1, 65536);
        rig.LoadBuffer(Pattern(65536));
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        if (c.removeAfter) rig.sim.faults.removeAfterTransfers = *c.removeAfter;
        if (c.silentIndicator) rig.sim.faults.silentCommands = {0x20};
        const std::vector<uint8_t> before = rig.session.Buffer.RamFile.Data;

        EXPECT_EQ(WriteImage(rig.session.Operation), OperationOutcome::Failed);
        EXPECT_EQ(rig.status.panels[0], "10:42:07 写入通讯错误，请重试.");
        for (const std::string& line : rig.status.history0) EXPECT_EQ(line.find("写入成功"), std::string::npos);
        EXPECT_EQ(rig.progress.state, ProgressState::Error);
        EXPECT_EQ(rig.progress.label, "ERROR");
        EXPECT_EQ(rig.progress.labelColour, LabelColour::Red);
        EXPECT_EQ(rig.Indicators(), c.indicators);
        EXPECT_EQ(rig.session.Buffer.RamFile.Data, before);
        EXPECT_EQ(rig.session.Buffer.RamFile.DataLen, 65536u);
        EXPECT_FALSE(rig.session.Busy.Running);
    }
}

}  // namespace
}  // namespace tq
