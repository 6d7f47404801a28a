#include "core/operations/erase_blank.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "core/device/commands.h"
#include "core/operations/write.h"
#include "support/operation_rig.h"

namespace tq {
namespace {

using testing::FrameBe32;
using testing::OperationRig;

// Erase frames carry channel, chip type and the mode in payload bytes 0..2.
std::vector<uint8_t> EraseModes(const OperationRig& rig) {
    std::vector<uint8_t> modes;
    for (const auto& frame : rig.Frames(0x32)) modes.push_back(frame[8]);
    return modes;
}

TEST(PolledErase, WaitsTwoSecondsBeforeEachPollAndAFurtherThirdOfASecondFor45Eeprom) {
    // The chip needs 5 s: three polls. Elapsed = indicator 1 (10 ms) + start
    // command (10 ms) + 3 x (wait + poll exchange of 10 ms).
    const struct {
        uint8_t type;
        const char* line;
    } cases[] = {
        {1, "10:42:07 擦除成功.共耗时6.05秒"},
        {7, "10:42:07 擦除成功.共耗时6.05秒"},
        {4, "10:42:07 擦除成功.共耗时6.95秒"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.type));
        OperationRig rig;
        rig.UseChip(c.type, 65536, c.type == 4 ? 264 : 0, 5000);
        rig.sim.chipMemory()[10] = 0x00;
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        EXPECT_EQ(EraseChip(rig.session.Operation), OperationOutcome::Succeeded);
        EXPECT_EQ(EraseModes(rig), (std::vector<uint8_t>{0, 1, 1, 1}));
        EXPECT_EQ(rig.status.history0, (std::vector<std::string>{"10:42:07 擦除芯片", c.line}));
        EXPECT_EQ(rig.Indicators(), (std::vector<uint16_t>{1, 100, 0}));
        EXPECT_EQ(rig.progress.labels, (std::vector<std::string>{"0%", "1%", "2%", "3%"}));
        EXPECT_EQ(rig.progress.positions, (std::vector<uint32_t>{0, 1, 2, 100}));
        EXPECT_EQ(rig.progress.maximum, 100u);
        EXPECT_EQ(rig.sim.chipMemory()[10], 0xFF);
    }
}

TEST(PolledErase, AChipDoneAtTheFirstPollJumpsTheBarToItsEnd) {
    OperationRig rig;
    rig.UseChip(1, 65536);
    ASSERT_TRUE(rig.Connect());
    rig.ClearRecords();
    EXPECT_EQ(EraseChip(rig.session.Operation), OperationOutcome::Succeeded);
    EXPECT_EQ(EraseModes(rig), (std::vector<uint8_t>{0, 1}));
    EXPECT_EQ(rig.progress.label, "1%");
    EXPECT_EQ(rig.progress.positions, (std::vector<uint32_t>{0, 100}));
    EXPECT_EQ(rig.progress.colour, kBarGreen);
    EXPECT_EQ(rig.status.panels[0], "10:42:07 擦除成功.共耗时2.03秒");
}

TEST(PolledErase, AChipThatNeverFinishesFailsAfterAHundredPolls) {
    OperationRig rig;
    rig.UseChip(1, 65536, 0, 250000);
    ASSERT_TRUE(rig.Connect());
    rig.ClearRecords();
    EXPECT_EQ(EraseChip(rig.session.Operation), OperationOutcome::Failed);
    EXPECT_EQ(rig.Frames(0x32).size(), 101u);
    EXPECT_EQ(rig.status.panels[0], "10:42:07 擦除失败：芯片在 201.02 秒内没有报告擦除结束。");
    EXPECT_EQ(rig.progress.labels.back(), "ERROR");
    EXPECT_EQ(rig.progress.labels[rig.progress.labels.size() - 2], "100%");
    EXPECT_EQ(rig.progress.state, ProgressState::Error);
    EXPECT_EQ(rig.progress.labelColour, LabelColour::Red);
    EXPECT_EQ(rig.Indicators(), (std::vector<uint16_t>{1, 3, 100}));
}

TEST(PolledErase, AStopEndsTheWaitAtOnceAndSaysTheProgrammerGoesOnErasing) {
    OperationRig rig;
    rig.UseChip(1, 65536, 0, 5000);
    ASSERT_TRUE(rig.Connect());
    rig.ClearRecords();
    rig.clock.SetEventHook([&] {
        if (rig.clock.NowMicros() > 3'000'000) RequestStop(rig.session.Operation);
    });
    EXPECT_EQ(EraseChip(rig.session.Operation), OperationOutcome::Stopped);
    rig.clock.SetEventHook(nullptr);
    EXPECT_EQ(EraseModes(rig), (std::vector<uint8_t>{0, 1}));  // no poll after the stop
    EXPECT_LT(rig.clock.NowMicros(), 3'300'000u);               // nor the rest of the 2 s wait
    EXPECT_EQ(rig.status.panels[0], "10:42:07 已停止等待擦除：编程器会自行完成擦除，下一个命令会等它完成。");
    EXPECT_EQ(rig.progress.state, ProgressState::Stopped);
    EXPECT_EQ(rig.progress.label, "已停止");
    EXPECT_TRUE(rig.session.Device.EraseRunning.has_value());
    EXPECT_EQ(rig.session.Busy.StopRequest, 0);
}

// After a stopped erase the programmer is still erasing: the next command
// waits for its end (saying so) and only then sends data; when the erase
// does not end in time, or the person stops the wait, nothing is sent.
TEST(PolledErase, ACommandAfterAStoppedEraseWaitsForItsEndOrIsRefused) {
    const struct {
        const char* name;
        uint32_t eraseTimeMs;
        bool stopTheWait;
        OperationOutcome outcome;
        const char* lastLine;
    } cases[] = {
        {"erase ends", 5000, false, OperationOutcome::Succeeded, nullptr},
        {"erase never ends", 250000, false, OperationOutcome::Failed,
         "10:42:07 编程器仍在擦除芯片，200 秒内没有结束；没有发送任何内容。"},
        {"wait stopped", 250000, true, OperationOutcome::Stopped, "10:42:07 用户停止了等待擦除完成；没有发送任何内容。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.UseChip(1, 4096, 0, c.eraseTimeMs);
        ASSERT_TRUE(rig.Connect());
        rig.clock.SetEventHook([&] {
            if (rig.clock.NowMicros() > 1'000'000) RequestStop(rig.session.Operation);
        });
        ASSERT_EQ(EraseChip(rig.session.Operation), OperationOutcome::Stopped);
        rig.clock.SetEventHook(nullptr);
        rig.LoadBuffer(std::vector<uint8_t>(4096, 0x5A));
        rig.ClearRecords();
        if (c.stopTheWait) rig.clock.SetEventHook([&] { RequestStop(rig.session.Operation); });

        EXPECT_EQ(WriteImage(rig.session.Operation), c.outcome);
        rig.clock.SetEventHook(nullptr);
        ASSERT_FALSE(rig.status.history0.empty());
        EXPECT_EQ(rig.status.history0.front(), "10:42:07 编程器仍在擦除芯片，等待擦除完成...");
        if (c.lastLine) {
            EXPECT_EQ(rig.status.panels[0], c.lastLine);
            EXPECT_TRUE(rig.Frames(0x35).empty());  // nothing went into the running erase
        } else {
            EXPECT_EQ(rig.sim.chipMemory(), std::vector<uint8_t>(4096, 0x5A));
            EXPECT_FALSE(rig.session.Device.EraseRunning.has_value());
        }
    }
}

TEST(PolledErase, ALostDriveEndsTheEraseAtOnceWithTheCommunicationError) {
    struct Case {
        const char* name;
        std::set<uint8_t> silent;                 // unanswered commands
        std::optional<uint32_t> removeAfter;      // the drive goes after this many transfers
        size_t eraseFrames;                       // 0x32 frames sent in all
    };
    const Case cases[] = {
        {"silent start: sent once more, then nothing", {0x32}, std::nullopt, 2},
        {"drive pulled during the third poll", {}, 6, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.UseChip(1, 65536, 256, 60000);  // the chip takes a minute
        ASSERT_TRUE(rig.Connect());
        rig.sim.faults.silentCommands = c.silent;
        rig.sim.faults.removeAfterTransfers = c.removeAfter;
        rig.ClearRecords();
        const uint64_t before = rig.clock.NowMicros();
        EXPECT_EQ(EraseOnChannel(rig.session.Operation, 0), kOpTransferFailed);
        EXPECT_EQ(rig.Frames(0x32).size(), c.eraseFrames);
        EXPECT_LT(rig.clock.NowMicros() - before, 10'000'000u);  // no hundred 2-second polls
    }
}

TEST(FillErase, WritesOneBlockOfFFForA256Byte24EepromThenWaits) {
    OperationRig rig;
    rig.UseChip(2, 256);
    std::fill(rig.sim.chipMemory().begin(), rig.sim.chipMemory().end(), 0x12);
    ASSERT_TRUE(rig.Connect());
    rig.ClearRecords();
    EXPECT_EQ(EraseChip(rig.session.Operation), OperationOutcome::Succeeded);
    const auto headers = rig.Frames(0x35);
    ASSERT_EQ(headers.size(), 1u);
    EXPECT_EQ(FrameBe32(headers[0], 8), 0u);
    EXPECT_EQ(FrameBe32(headers[0], 12), 256u);
    EXPECT_EQ(testing::FrameBe16(headers[0], 16), 256u);
    EXPECT_EQ(rig.Blocks('>'), (std::vector<uint32_t>{256}));
    EXPECT_EQ(rig.sim.chipMemory(), std::vector<uint8_t>(256, 0xFF));
    // indicator 1 (10 ms) + the final 0.3 s
    EXPECT_EQ(rig.status.panels[0], "10:42:07 擦除成功.共耗时0.31秒");
    EXPECT_EQ(rig.progress.maximum, 256u);
    EXPECT_EQ(rig.progress.position, 256u);
    EXPECT_EQ(rig.progress.label, "100%");
    EXPECT_EQ(rig.Indicators(), (std::vector<uint16_t>{1, 100, 0}));
}

TEST(FillErase, BlocksAreAtMost2048BytesAnd93EepromPausesAfterEach) {
    const struct {
        uint8_t type;
        uint32_t capacity;
        uint16_t pageSize;
        std::vector<uint32_t> blocks;
        const char* line;
    } cases[] = {
        // 10 + 20, the second block waits till the chip has stored the first
        // (2048 ms), + 20 + 300 ms
        {5, 4096, 0, {2048, 2048}, "10:42:07 擦除成功.共耗时2.38秒"},
        // 10, the wait for the first block's 64 pages (320 ms), + 300 ms
        {3, 4096, 32, {2048, 2048}, "10:42:07 擦除成功.共耗时0.63秒"},
        {6, 1024, 32, {1024}, "10:42:07 擦除成功.共耗时0.31秒"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.type));
        OperationRig rig;
        rig.UseChip(c.type, c.capacity, c.pageSize);
        rig.sim.chipMemory()[c.capacity - 1] = 0;
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        EXPECT_EQ(EraseChip(rig.session.Operation), OperationOutcome::Succeeded);
        EXPECT_EQ(rig.Blocks('>'), c.blocks);
        EXPECT_EQ(rig.status.panels[0], c.line);
        EXPECT_EQ(rig.sim.chipMemory()[c.capacity - 1], 0xFF);
    }
}

TEST(FillErase, AStopSendsTheAbortBlockSoTheProgrammerLeavesTheStream) {
    OperationRig rig;
    rig.UseChip(5, 8192);  // 93 EEPROM: a pause after each block, where the stop arrives
    ASSERT_TRUE(rig.Connect());
    rig.ClearRecords();
    rig.clock.SetEventHook([&] { RequestStop(rig.session.Operation); });
    rig.session.Busy.Running = true;  // as inside the erase command
    EXPECT_EQ(EraseOnChannel(rig.session.Operation, 0), kOpStopped);
    rig.session.Busy.Running = false;
    rig.clock.SetEventHook(nullptr);
    EXPECT_EQ(rig.Blocks('>'), (std::vector<uint32_t>{2048, 10}));
    EXPECT_EQ(rig.status.panels[0], "10:42:07 用户在擦除 2048 / 8192 字节后停止；芯片只擦除了一部分。");
    EXPECT_EQ(rig.progress.state, ProgressState::Stopped);
    // The programmer answers commands again.
    EXPECT_EQ(SetIndicator(rig.session.Device.Link, IndicatorCode::Passed), CommandResult::Ok);
}

TEST(FillErase, ALostDriveIsAnEraseCommunicationError) {
    OperationRig rig;
    rig.UseChip(2, 8192);
    ASSERT_TRUE(rig.Connect());
    rig.sim.faults.removeAfterTransfers = 6;  // 0x38, indicator 1, header, first block
    rig.ClearRecords();
    EXPECT_EQ(EraseChip(rig.session.Operation), OperationOutcome::Failed);
    EXPECT_EQ(rig.status.panels[0], "10:42:07 擦除通讯错误，请重试.");
    EXPECT_EQ(rig.progress.label, "ERROR");
    EXPECT_EQ(rig.progress.state, ProgressState::Error);
    EXPECT_EQ(rig.session.Device.Link.Uart.Connected, 0);
}

TEST(BlankCheck, AsksInRangesOfAtMost33792Bytes) {
    const struct {
        int dirtyAt;  // -1: blank chip
        OperationOutcome outcome;
        size_t questions;
        uint32_t position;
        BarColour colour;
        std::vector<uint16_t> indicators;
    } cases[] = {
        {-1, OperationOutcome::Succeeded, 2, 65536, kBarGreen, {1, 0}},
        {40000, OperationOutcome::Failed, 2, 65536, kBarRed, {1, 3}},
        {100, OperationOutcome::Failed, 1, 33792, kBarRed, {1, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dirtyAt);
        OperationRig rig;
        rig.UseChip(1, 65536);
        if (c.dirtyAt >= 0) rig.sim.chipMemory()[c.dirtyAt] = 0x7F;
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        EXPECT_EQ(CheckBlank(rig.session.Operation), c.outcome);
        const auto frames = rig.Frames(0x37);
        ASSERT_EQ(frames.size(), c.questions);
        EXPECT_EQ(FrameBe32(frames[0], 8), 0u);
        EXPECT_EQ(FrameBe32(frames[0], 12), 33792u);
        if (frames.size() > 1) {
            EXPECT_EQ(FrameBe32(frames[1], 8), 33792u);
            EXPECT_EQ(FrameBe32(frames[1], 12), 31744u);
        }
        EXPECT_EQ(rig.progress.position, c.position);
        EXPECT_EQ(rig.progress.colour, c.colour);
        EXPECT_EQ(rig.Indicators(), c.indicators);
        // The outcome shows only on the bar; its label shows only how far the check got.
        EXPECT_TRUE(rig.status.history0.empty());
        for (const std::string& label : rig.progress.labels) EXPECT_NE(label.find('%'), std::string::npos) << label;
    }
}

TEST(BlankCheck, RunsWhenEitherSocketHoldsAChip) {
    const struct {
        std::array<uint8_t, 2> sockets;
        OperationOutcome outcome;
    } cases[] = {
        {{0, 0xFF}, OperationOutcome::Succeeded},
        {{0xFF, 0}, OperationOutcome::Succeeded},
        {{0, 0}, OperationOutcome::Succeeded},
        {{0xFF, 0xFF}, OperationOutcome::EmptySocket},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.sockets[0]) * 1000 + c.sockets[1]);
        OperationRig rig;
        rig.UseChip(1, 4096);
        ASSERT_TRUE(rig.Connect());
        rig.sim.faults.socketStates = c.sockets;
        rig.ClearRecords();
        EXPECT_EQ(CheckBlank(rig.session.Operation), c.outcome);
        const bool ran = c.outcome == OperationOutcome::Succeeded;
        EXPECT_EQ(rig.Frames(0x37).size(), ran ? 1u : 0u);
        const std::vector<uint16_t> indicators = ran ? std::vector<uint16_t>{1, 0} : std::vector<uint16_t>{};
        EXPECT_EQ(rig.Indicators(), indicators);
        EXPECT_TRUE(rig.status.history0.empty());
        EXPECT_EQ(rig.progress.positions.empty(), !ran);
    }
}

TEST(BlankCheck, AMissingAnswerCountsAsNotBlank) {
    OperationRig rig;
    rig.UseChip(1, 4096);
    ASSERT_TRUE(rig.Connect());
    rig.sim.faults.silentCommands = {0x37};
    EXPECT_EQ(CheckBlank(rig.session.Operation), OperationOutcome::Failed);
    EXPECT_EQ(rig.progress.colour, kBarRed);
}

}  // namespace
}  // namespace tq

namespace tq {
namespace {

// A fill erase and a blank check say on the bar how long they still take,
// as a read and a write do.
TEST(EraseAndBlankProgress, TheBarShowsTheTimeLeft) {
    const struct {
        const char* what;
        uint8_t type;
        uint32_t capacity;
        OperationOutcome (*run)(OperationContext&);
    } cases[] = {
        {"fill erase, 93 EEPROM", 5, 16384, &EraseChip},
        {"blank check, SPI flash", 1, 16u * 1024 * 1024, &CheckBlank},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::OperationRig rig;
        rig.session.Texts.Language = 2;
        rig.UseChip(c.type, c.capacity);
        ASSERT_TRUE(rig.Connect());
        EXPECT_EQ(c.run(rig.session.Operation), OperationOutcome::Succeeded);
        const auto& labels = rig.progress.labels;
        EXPECT_NE(std::find_if(labels.begin(), labels.end(),
                               [](const std::string& label) { return label.find(" left") != std::string::npos; }),
                  labels.end())
            << ::testing::PrintToString(labels);
    }
}

}  // namespace
}  // namespace tq
