#include "core/operations/operation_display.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/operations/auto_sequence.h"
#include "core/operations/erase_blank.h"
#include "core/operations/hardware_info.h"
#include "core/operations/read_verify.h"
#include "core/operations/write.h"
#include "support/operation_rig.h"

namespace tq {
namespace {

using testing::OperationRig;

struct Handler {
    const char* name;
    std::function<OperationOutcome(OperationContext&)> run;
};

const Handler kHandlers[] = {
    {"erase", EraseChip},
    {"blank", CheckBlank},
    {"write", WriteImage},
    {"read", ReadChip},
    {"verify", VerifyChip},
    {"auto", RunAutoSequence},
    {"selfcheck", RunSelfCheck},
    {"hardinfo",
     [](OperationContext& s) {
         return ReadHardwareInfo(s) ? OperationOutcome::Succeeded : OperationOutcome::NotConnected;
     }},
};

TEST(OperationPreconditions, WithoutAProgrammerEveryCommandWarnsInItsLanguageAndSendsNothing) {
    const struct {
        int language;
        const char* warning;
    } languages[] = {
        {0, "没有设备连接！\r请检查确认！"},
        {1, "燒錄器沒有鏈接！\r請檢查確認！"},
        {2, "The programmer is not connected!\rPlease check it!"},
        {7, "The programmer is not connected!\rPlease check it!"},
    };
    for (const auto& language : languages) {
        for (const Handler& handler : kHandlers) {
            SCOPED_TRACE(std::string(handler.name) + " language " + std::to_string(language.language));
            OperationRig rig;
            rig.UseChip(1, 4096);
            rig.session.Texts.Language = language.language;
            EXPECT_EQ(handler.run(rig.session.Operation), OperationOutcome::NotConnected);
            ASSERT_EQ(rig.messages.warnings.size(), 1u);
            EXPECT_EQ(rig.messages.warnings[0], language.warning);
            EXPECT_EQ(rig.sim.transferCount(), 0u);
            EXPECT_TRUE(rig.status.history0.empty());
        }
    }
}

TEST(OperationPreconditions, AnEmptySocketEndsTheCommandWithTheNoChipLine) {
    const struct {
        int language;
        const char* line;
    } languages[] = {
        {0, "10:42:07 没有芯片放入，请确认！"},
        {1, "10:42:07 沒有放入晶片，請確認！"},
        {2, "10:42:07 No chip found. Please check it!"},
    };
    const Handler handlers[] = {{"erase", EraseChip}, {"write", WriteImage}, {"read", ReadChip},
                                {"verify", VerifyChip}, {"auto", RunAutoSequence}};
    for (const auto& language : languages) {
        for (const Handler& handler : handlers) {
            SCOPED_TRACE(std::string(handler.name) + " language " + std::to_string(language.language));
            OperationRig rig;
            rig.UseChip(1, 4096);
            rig.LoadBuffer(std::vector<uint8_t>(16, 0x5A));
            rig.session.Chip.PrjInfo.Erase = rig.session.Chip.PrjInfo.Write = rig.session.Chip.PrjInfo.Verify = 1;
            rig.session.Texts.Language = language.language;
            rig.sim.RemoveChip();
            ASSERT_TRUE(rig.Connect());
            rig.ClearRecords();
            EXPECT_EQ(handler.run(rig.session.Operation), OperationOutcome::EmptySocket);
            EXPECT_EQ(rig.status.panels[0], language.line);
            EXPECT_EQ(rig.progress.state, ProgressState::Error);
            EXPECT_EQ(rig.progress.label, "ERROR");
            EXPECT_EQ(rig.progress.labelColour, LabelColour::Red);
            // Only the socket question (auto first sends its start code).
            const bool isAuto = std::string(handler.name) == "auto";
            EXPECT_EQ(rig.Indicators(), isAuto ? std::vector<uint16_t>{50} : std::vector<uint16_t>{});
            EXPECT_EQ(rig.Frames(0x38).size(), 1u);
            EXPECT_TRUE(rig.Frames(0x34).empty());
            EXPECT_TRUE(rig.Frames(0x35).empty());
            EXPECT_TRUE(rig.Frames(0x32).empty());
        }
    }
}

TEST(OperationPreconditions, AnUnansweredSocketQuestionCountsAsAnEmptySocket) {
    OperationRig rig;
    rig.UseChip(1, 4096);
    rig.LoadBuffer(std::vector<uint8_t>(16, 0x5A));
    ASSERT_TRUE(rig.Connect());
    rig.sim.faults.silentCommands = {0x38};
    EXPECT_EQ(WriteImage(rig.session.Operation), OperationOutcome::EmptySocket);
    EXPECT_EQ(rig.session.Chip.PrjInfo.SocketStatus, (std::array<uint8_t, 2>{0xFF, 0xFF}));
    EXPECT_EQ(rig.status.panels[0], "10:42:07 没有芯片放入，请确认！");
}

TEST(OperationPreconditions, WithoutASelectedChipEraseBlankAndAutoDoNothingAndReadStopsAfterTheSocket) {
    const struct {
        Handler handler;
        size_t socketQuestions;
    } cases[] = {
        {{"erase", EraseChip}, 0},
        {{"blank", CheckBlank}, 0},
        {{"auto", RunAutoSequence}, 0},
        {{"read", ReadChip}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.handler.name);
        OperationRig rig;
        rig.UseChip(1, 4096);
        rig.session.Chip.PrjInfo.BlockSize = 0;
        rig.session.Chip.PrjInfo.Erase = 1;
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        EXPECT_EQ(c.handler.run(rig.session.Operation), OperationOutcome::NoChipSelected);
        EXPECT_EQ(rig.Frames(0x38).size(), c.socketQuestions);
        EXPECT_TRUE(rig.Indicators().empty());
        EXPECT_TRUE(rig.status.history0.empty());
        EXPECT_TRUE(rig.progress.labels.empty());
        EXPECT_TRUE(rig.messages.warnings.empty());
    }
}

TEST(OperationDisplay, SecondsHaveTwoDecimalsAndLinesStartWithTheTimeOfDay) {
    const struct {
        uint32_t ms;
        const char* text;
    } cases[] = {{1500, "1.50"}, {0, "0.00"}, {2345, "2.35"}, {999, "1.00"}, {4, "0.00"}, {123456, "123.46"}};
    for (const auto& c : cases) EXPECT_EQ(FormatSeconds(c.ms), c.text) << c.ms;

    OperationRig rig;
    rig.clock.timeOfDay = {9, 5, 3};
    EXPECT_EQ(StatusLine(rig.session.clock(), "擦除芯片"), "09:05:03 擦除芯片");
    EXPECT_EQ(TimedStatusLine(rig.session.Operation, "擦除成功.共耗时", 2350), "09:05:03 擦除成功.共耗时2.35秒");
}

TEST(OperationDisplay, ElapsedTimeSurvivesTheTickCounterWrapping) {
    OperationRig rig;
    rig.clock.Advance((uint64_t{0xFFFFFFFF} - 499) * 1000);  // 500 ms before the wrap
    const uint32_t start = rig.clock.TickCount();
    rig.clock.Advance(1500 * 1000);
    EXPECT_EQ(ElapsedSince(rig.session.Operation, start), 1500u);
}

TEST(OperationDisplay, PercentNeverPassesTheMaximum) {
    OperationRig rig;
    const struct {
        uint32_t position, maximum, shown;
        const char* label;
    } cases[] = {{264, 300, 264, "88%"}, {528, 300, 300, "100%"}, {0, 100, 0, "0%"}, {99, 100, 99, "99%"}};
    for (const auto& c : cases) {
        ShowProgress(rig.session.Operation, c.position, c.maximum);
        EXPECT_EQ(rig.progress.position, c.shown);
        EXPECT_EQ(rig.progress.label, c.label);
    }
}

TEST(OperationGuard, ACommandStartedInsideARunningOneIsRefusedWhileStopStaysReachable) {
    OperationRig rig;
    rig.UseChip(1, 4096, 0, 7000);  // a polled erase of three or four polls
    ASSERT_TRUE(rig.Connect());
    std::vector<OperationOutcome> inner;
    bool stopAccepted = false;
    rig.clock.SetEventHook([&] {
        if (!rig.session.Busy.Running || !inner.empty()) return;
        size_t framesBefore = rig.sim.commandLog().size();
        inner.push_back(WriteImage(rig.session.Operation));
        inner.push_back(ReadChip(rig.session.Operation));
        inner.push_back(RunAutoSequence(rig.session.Operation));
        inner.push_back(RunSelfCheck(rig.session.Operation));
        EXPECT_EQ(rig.sim.commandLog().size(), framesBefore);  // the refused ones sent nothing
        stopAccepted = RequestStop(rig.session.Operation);
    });
    EXPECT_EQ(EraseChip(rig.session.Operation), OperationOutcome::Stopped);
    rig.clock.SetEventHook(nullptr);
    EXPECT_EQ(inner, std::vector<OperationOutcome>(4, OperationOutcome::Busy));
    EXPECT_TRUE(stopAccepted);
    EXPECT_FALSE(rig.session.Busy.Running);
    EXPECT_EQ(rig.session.Busy.StopRequest, 0);
    EXPECT_EQ(rig.progress.label, "已停止");
}

TEST(OperationGuard, AStopWithNothingRunningDoesNotEndTheNextCommand) {
    OperationRig rig;
    rig.UseChip(2, 256);
    rig.LoadBuffer(std::vector<uint8_t>(256, 0x5A));
    ASSERT_TRUE(rig.Connect());
    EXPECT_FALSE(RequestStop(rig.session.Operation));
    EXPECT_EQ(WriteImage(rig.session.Operation), OperationOutcome::Succeeded);
    EXPECT_EQ(rig.sim.chipMemory(), std::vector<uint8_t>(256, 0x5A));
}

}  // namespace
}  // namespace tq
