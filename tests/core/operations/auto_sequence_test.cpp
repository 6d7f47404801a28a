#include "core/operations/auto_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

#include "support/operation_rig.h"

namespace tq {
namespace {

using testing::OperationRig;

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 5 + seed);
    return bytes;
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// An SPI flash of 4096 bytes that erases at once; the buffer holds an image
// and the chip, unless blank, another one (flash programming only clears bits,
// so writing without erasing leaves a mix that the verify catches).
struct AutoRig : OperationRig {
    std::vector<uint8_t> image = Pattern(4096, 1);
    AutoRig(uint8_t erase, uint8_t write, uint8_t verify, bool chipBlank) {
        UseChip(1, 4096);
        if (!chipBlank) sim.chipMemory() = Pattern(4096, 100);
        LoadBuffer(image);
        session.Chip.PrjInfo.Erase = erase;
        session.Chip.PrjInfo.Write = write;
        session.Chip.PrjInfo.Verify = verify;
    }
};

TEST(AutoSequence, RunsTheChosenStepsAndGivesOneVerdict) {
    const struct {
        uint8_t erase, write, verify;
        bool chipBlank;
        OperationOutcome outcome;
        std::vector<uint16_t> indicators;
        std::vector<uint8_t> commands;  // erase, write and read frames in order
    } cases[] = {
        {1, 1, 1, false, OperationOutcome::Succeeded, {50, 1, 0, 1, 0, 1, 0, 100}, {0x32, 0x32, 0x35, 0x34}},
        {0, 1, 1, true, OperationOutcome::Succeeded, {50, 1, 0, 1, 0, 100}, {0x35, 0x34}},
        {0, 1, 1, false, OperationOutcome::Failed, {50, 1, 0, 1, 3, 200}, {0x35, 0x34}},
        {1, 0, 0, false, OperationOutcome::Succeeded, {50, 1, 0, 100}, {0x32, 0x32}},
        {0, 1, 0, true, OperationOutcome::Succeeded, {50, 1, 0, 100}, {0x35}},
        {0, 0, 1, false, OperationOutcome::Failed, {50, 1, 3, 200}, {0x34}},
        {1, 0, 1, false, OperationOutcome::Failed, {50, 1, 0, 1, 3, 200}, {0x32, 0x32, 0x34}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.erase) + std::to_string(c.write) + std::to_string(c.verify) +
                     (c.chipBlank ? " blank" : ""));
        AutoRig rig(c.erase, c.write, c.verify, c.chipBlank);
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        EXPECT_EQ(RunAutoSequence(rig.session.Operation), c.outcome);
        EXPECT_EQ(rig.Indicators(), c.indicators);
        std::vector<uint8_t> commands;
        for (uint8_t code : rig.sim.commandLog())
            if (code == 0x32 || code == 0x34 || code == 0x35) commands.push_back(code);
        EXPECT_EQ(commands, c.commands);

        const bool passed = c.outcome == OperationOutcome::Succeeded;
        const std::string verdict = rig.status.panels[0];
        EXPECT_TRUE(StartsWith(verdict, passed ? "10:42:07 自动烧录成功！共耗时" : "10:42:07 自动烧录错误！共耗时")) << verdict;
        // A run that moved data ends with its pace: bytes written and verified per second.
        const bool moved = passed && (c.write || c.verify);
        EXPECT_TRUE(std::regex_search(verdict, std::regex(moved ? "秒  [0-9.]+ (B|KiB|MiB)/s$" : "秒$"))) << verdict;
        EXPECT_EQ(rig.session.Device.DevInf.SuccessCount, passed ? 1 : 0);
        EXPECT_EQ(rig.session.Device.DevInf.FailCount, passed ? 0 : 1);
        EXPECT_EQ(rig.progress.state, passed ? ProgressState::Normal : ProgressState::Error);
        if (!passed) {
            EXPECT_EQ(rig.progress.label, "ERROR");
            EXPECT_EQ(rig.progress.labelColour, LabelColour::Red);
        }
        if (passed && c.write) {
            EXPECT_EQ(rig.sim.chipMemory(), rig.image);
        }
    }
}

TEST(AutoSequence, TheVerdictNamesTheSequenceInTheCurrentLanguage) {
    // Erase only: indicator 1, start, one 2 s poll, indicator 0 = 2.04 s.
    const struct {
        int language;
        const char* line;
    } cases[] = {
        {0, "10:42:07 自动烧录成功！共耗时2.04秒"},
        {1, "10:42:07 自動燒錄成功！共耗时2.04秒"},
        {2, "10:42:07 Auto Operation 成功！ 共耗时2.04秒"},
    };
    for (const auto& c : cases) {
        AutoRig rig(1, 0, 0, false);
        rig.session.Texts.Language = c.language;
        ASSERT_TRUE(rig.Connect());
        EXPECT_EQ(RunAutoSequence(rig.session.Operation), OperationOutcome::Succeeded);
        EXPECT_EQ(rig.status.panels[0], c.line);
    }
}

// Verify twice: the chip is read again after a matching verify, and a byte
// that reads differently the second time fails the run, named with both reads.
TEST(AutoSequence, VerifyTwiceFailsWhenTheSecondReadDiffers) {
    const struct {
        std::set<uint32_t> flaky;
        uint8_t verifyTwice;
        OperationOutcome outcome;
        size_t reads;  // read streams started
        const char* line;  // a status line the run showed, "" none in particular
    } cases[] = {
        {{}, 1, OperationOutcome::Succeeded, 2, ""},
        {{0x123}, 0, OperationOutcome::Succeeded, 1, ""},
        {{0x123}, 1, OperationOutcome::Failed, 2, "10:42:07   0x000123: first read B0, second read 30"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.flaky.size()) + " flaky, twice " + std::to_string(c.verifyTwice));
        AutoRig rig(0, 1, 1, true);
        rig.session.Texts.Language = 2;
        rig.session.Chip.PrjInfo.VerifyTwice = c.verifyTwice;
        rig.sim.faults.flakyAddresses = c.flaky;
        rig.sim.faults.flakySeed = 2;  // the first read of a flaky byte is right, the second has bit 7 flipped
        ASSERT_TRUE(rig.Connect());
        EXPECT_EQ(RunAutoSequence(rig.session.Operation), c.outcome);
        EXPECT_EQ(std::count(rig.sim.commandLog().begin(), rig.sim.commandLog().end(), 0x34), static_cast<long>(c.reads));
        if (*c.line) {
            const auto& shown = rig.status.history0;
            EXPECT_NE(std::find(shown.begin(), shown.end(), c.line), shown.end());
        }
    }
}

TEST(AutoSequence, CountersAddUpOverRuns) {
    AutoRig rig(1, 1, 1, false);
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(RunAutoSequence(rig.session.Operation), OperationOutcome::Succeeded);
    EXPECT_EQ(RunAutoSequence(rig.session.Operation), OperationOutcome::Succeeded);
    rig.sim.RemoveChip();
    EXPECT_EQ(RunAutoSequence(rig.session.Operation), OperationOutcome::EmptySocket);  // not a run
    rig.sim.InsertChip(SimChip{"CHIP", 1, 4096, 0, true, 0});
    rig.session.Buffer.RamFile.Data[7] ^= 0xFF;
    rig.session.Chip.PrjInfo.Erase = rig.session.Chip.PrjInfo.Write = 0;
    EXPECT_EQ(RunAutoSequence(rig.session.Operation), OperationOutcome::Failed);
    EXPECT_EQ(AutoCounterText(rig.session.Device.DevInf), "Suc:2  Fal:1");
}

// A stop in the write step ends the run with the write's stop line, the bar
// in its stopped state and the run counted as failed.
TEST(AutoSequence, AStoppedRunSaysHowFarItGotAndCountsAsFailed) {
    AutoRig rig(0, 1, 1, true);
    ASSERT_TRUE(rig.Connect());
    const size_t connectBlocks = rig.Blocks('>').size();  // the abort block of the connection
    rig.clock.SetEventHook([&] {
        if (rig.Blocks('>').size() > connectBlocks) RequestStop(rig.session.Operation);
    });
    EXPECT_EQ(RunAutoSequence(rig.session.Operation), OperationOutcome::Stopped);
    rig.clock.SetEventHook(nullptr);
    EXPECT_EQ(rig.status.panels[0], "10:42:07 用户在写入 2048 / 4096 字节后停止；芯片中只有部分数据。");
    EXPECT_EQ(rig.progress.state, ProgressState::Stopped);
    EXPECT_EQ(AutoCounterText(rig.session.Device.DevInf), "Suc:0  Fal:1");
}

TEST(AutoSequence, AFailedEraseOrWriteEndsTheRunWithItsOwnLineAndNoVerdict) {
    const struct {
        const char* name;
        uint8_t erase;
        uint32_t eraseTimeMs;
        std::optional<uint32_t> removeAfter;
        const char* line;
        std::vector<uint16_t> indicators;
    } cases[] = {
        {"erase never ends", 1, 250000, {}, "10:42:07 擦除失败：芯片在 201.02 秒内没有报告擦除结束。", {50, 1, 3}},
        // 0x38, indicators 50 and 1, header, then the drive is gone
        {"drive removed during the write", 0, 0, 2 + 2 + 2 + 1, "10:42:07 写入通讯错误，请重试.", {50, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AutoRig rig(c.erase, 1, 1, true);
        rig.sim.InsertChip(SimChip{"CHIP", 1, 4096, 0, true, c.eraseTimeMs});
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        if (c.removeAfter) rig.sim.faults.removeAfterTransfers = *c.removeAfter;
        EXPECT_EQ(RunAutoSequence(rig.session.Operation), OperationOutcome::Failed);
        EXPECT_EQ(rig.status.panels[0], c.line);
        for (const std::string& line : rig.status.history0) EXPECT_EQ(line.find("自动烧录"), std::string::npos);
        EXPECT_EQ(rig.Indicators(), c.indicators);
        EXPECT_EQ(rig.session.Device.DevInf.FailCount, 1);
        EXPECT_EQ(rig.session.Device.DevInf.SuccessCount, 0);
        EXPECT_EQ(rig.progress.label, "ERROR");
        EXPECT_TRUE(rig.Frames(0x34).empty());  // no verify after a failed step
    }
}

TEST(AutoSequence, WithNoStepChosenItSaysSoAndSendsNothing) {
    const struct {
        int language;
        const char* line;
    } cases[] = {
        {0, "10:42:07 自动烧录：没有选择任何操作步骤！"},
        {1, "10:42:07 自動燒錄：沒有選擇任何操作步驟！"},
        {2, "10:42:07 Auto Operation: no step selected!"},
    };
    for (const auto& c : cases) {
        AutoRig rig(0, 0, 0, false);
        rig.session.Texts.Language = c.language;
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        const uint64_t transfers = rig.sim.transferCount();
        EXPECT_EQ(RunAutoSequence(rig.session.Operation), OperationOutcome::NothingSelected);
        EXPECT_EQ(rig.status.panels[0], c.line);
        EXPECT_EQ(rig.sim.transferCount(), transfers);
        EXPECT_EQ(rig.session.Device.DevInf.SuccessCount + rig.session.Device.DevInf.FailCount, 0);
    }
}

TEST(AutoOptions, TheDialogReadsItsCaptionsEachTimeAndTheBoxesSetTheOptionsAtOnce) {
    OperationRig rig;
    std::map<std::string, std::string> file = {{"AutoSel/AutoSelErase", "Erase"}};
    auto lookup = [&](const std::string& section, const std::string& key, const std::string& fallback) {
        const auto found = file.find(section + "/" + key);
        return found == file.end() ? fallback : found->second;
    };
    Prj_Info_Struct& prj = rig.session.Chip.PrjInfo;
    prj.IdCheck = 0;
    prj.Erase = prj.Write = prj.Verify = 1;
    AutoSelDialog dialog = DescribeAutoOptions(rig.session.Chip.PrjInfo, lookup, 2);
    EXPECT_EQ(dialog.title, "自动选项");
    EXPECT_EQ(dialog.idCheckCaption, "ID校验");
    EXPECT_EQ(dialog.eraseCaption, "Erase");
    EXPECT_EQ(dialog.writeCaption, "写入");
    EXPECT_EQ(dialog.verifyCaption, "校验");
    EXPECT_FALSE(dialog.idCheck);
    EXPECT_TRUE(dialog.erase && dialog.write && dialog.verify);

    SetAutoSteps(prj, AutoSteps{.idCheck = true, .erase = false, .write = true, .verify = false});
    EXPECT_EQ((std::array<uint8_t, 4>{prj.IdCheck, prj.Erase, prj.Write, prj.Verify}),
              (std::array<uint8_t, 4>{1, 0, 1, 0}));
    file["AutoSel/AutoSelTitle"] = "Auto options";
    dialog = DescribeAutoOptions(rig.session.Chip.PrjInfo, lookup, 2);
    EXPECT_EQ(dialog.title, "Auto options");
    EXPECT_TRUE(dialog.idCheck && !dialog.erase && dialog.write && !dialog.verify);
}

}  // namespace
}  // namespace tq
