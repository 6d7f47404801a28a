#include "cli/terminal_views.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>

namespace tq {
namespace {

TEST(TerminalBar, ShowsPercentageRateForBytesAndTimeLeft) {
    struct Case {
        uint32_t position, maximum;
        double rate;
        std::optional<double> left;
        std::string line;
    };
    const std::string half = "[" + std::string(15, '#') + std::string(15, ' ') + "] ";
    const Case cases[] = {
        {0, 8388608, 0.0, std::nullopt, "[" + std::string(30, ' ') + "]   0%"},
        {4194304, 8388608, 2097152.0, 2.0, half + " 50%  2.0 MiB/s  0:02 left"},
        {2048, 4096, 512.0, 4.0, half + " 50%  512 B/s  0:04 left"},
        {65536, 131072, 131072.0, 0.5, half + " 50%  128.0 KiB/s  0:01 left"},
        // The polls of an erase are steps, not bytes: no rate.
        {50, 100, 0.5, 100.0, half + " 50%  1:40 left"},
        // A padded last block moves past the maximum: the bar stops at 100%.
        {5000, 4096, 4096.0, 0.0, "[" + std::string(30, '#') + "] 100%  4.0 KiB/s  0:00 left"},
        // Too little done to judge: the rate without a time left.
        {1024, 8388608, 1024.0, std::nullopt, "[" + std::string(30, ' ') + "]   0%  1.0 KiB/s"},
    };
    for (const Case& c : cases) EXPECT_EQ(TerminalViews::BarLine(c.position, c.maximum, c.rate, c.left, 2), c.line);
}

// A transfer that slows down: the time left follows the recent pace, not
// the average since the start (which would promise about 4 s here).
TEST(TerminalBar, TheTimeLeftFollowsTheRecentPace) {
    std::ostringstream err;
    VirtualClock clock;
    TerminalViews views(err, true, 2);
    views.SetClock(&clock);
    views.SetMaximum(1000000);
    uint32_t position = 0;
    for (int step = 0; step < 2; ++step) {  // 500 kB/s for a second
        clock.Advance(500000);
        views.SetPosition(position += 250000);
    }
    for (int step = 0; step < 8; ++step) {  // then 10 kB/s for four seconds
        clock.Advance(500000);
        views.SetPosition(position += 5000);
    }
    const std::string drawn = err.str();
    const size_t left = drawn.rfind(" left");
    ASSERT_NE(left, std::string::npos);
    const size_t start = drawn.rfind(' ', left - 1) + 1;
    const std::string shown = drawn.substr(start, left - start);
    const int seconds = std::stoi(shown.substr(0, shown.find(':'))) * 60 + std::stoi(shown.substr(shown.find(':') + 1));
    EXPECT_GE(seconds, 10) << drawn;
}

TEST(TerminalBar, RedrawsOnlyWhenThePercentageMovesAndEndsBeforeTheNextLine) {
    std::ostringstream err;
    VirtualClock clock;
    TerminalViews views(err, true, 2);
    views.SetClock(&clock);
    views.SetMaximum(1000);
    for (uint32_t position = 1; position <= 20; ++position) views.SetPosition(position);  // 0% .. 2%
    const std::string drawn = err.str();
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), '\r'), 3);
    views.SetPanelText(0, "10:42:07 done");
    const std::string text = err.str();
    const std::string tail = "\x1b[K\n10:42:07 done\n";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(TerminalLines, AMessageBoxRepeatingTheStatusLineIsPrintedOnceOnOneLine) {
    std::ostringstream err;
    TerminalViews views(err, false, 2);
    views.ShowMessage("10:42:07 探测芯片型号出错！\r请手动选择！");
    views.SetPanelText(0, "10:42:07 探测芯片型号出错！\r请手动选择！");
    views.SetPanelText(0, "10:42:08 next");
    views.SetPanelText(2, "connected");
    EXPECT_EQ(err.str(), "10:42:07 探测芯片型号出错！ 请手动选择！\n10:42:08 next\n");
}

TEST(TerminalBar, NothingIsDrawnWhenOutputIsNotATerminal) {
    std::ostringstream err;
    TerminalViews views(err, false, 2);
    views.SetMaximum(100);
    views.SetPosition(50);
    views.FinishBar();
    EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace tq
