// The production view with three simulated programmers: Start all programs
// every one with the main window's buffer, one pulled mid-run fails alone
// and says why, Stop all reaches every run and is said.
#include <gtest/gtest.h>

#include <QTableWidget>

#include "core/texts/text_catalogue.h"
#include "production_rig.h"
#include "sim/sim_programmer.h"
#include "support/expect.h"

namespace tq::testing {
namespace {

constexpr int kEnglish = 2;

TEST(ProductionWindow, StartAllProgramsEveryProgrammerAndOnePulledFailsAlone) {
    ProductionRig line;
    ASSERT_TRUE(line.Start(kEnglish));
    line.sims->programmer(1).faults.removeAfterTransfers = 80;  // inside the write
    ASSERT_TRUE(line.RunAll());

    const std::vector<gui::StationPanel*>& panels = line.view->panels();
    ASSERT_EQ(panels.size(), 3u);
    for (size_t i : {0u, 2u}) {
        EXPECT_EQ(panels[i]->state()->text().toStdString(), "passed") << panels[i]->reason()->text().toStdString();
        EXPECT_TRUE(line.Memory(i) == line.image) << "programmer " << i;
    }
    EXPECT_EQ(panels[1]->state()->text().toStdString(), "gone");
    EXPECT_EQ(panels[1]->reason()->text().toStdString(), Text(kEnglish, TextId::LineProgrammerGone));
    EXPECT_FALSE(line.Memory(1) == line.image);

    // The log view lists the three runs, newest first; one failed.
    QTableWidget* log = line.view->logTable();
    ASSERT_EQ(log->rowCount(), 3);
    int failed = 0;
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(log->item(row, 2)->text().toStdString(), "GD25Q64");
        EXPECT_EQ(log->item(row, 3)->text().toStdString(), "C84017");  // as the socket answered
        failed += log->item(row, 5)->text() == "failed" ? 1 : 0;
    }
    EXPECT_EQ(failed, 1);
}

TEST(ProductionWindow, StopAllEndsEveryRunAndSaysSo) {
    ProductionRig line;
    ASSERT_TRUE(line.Start(kEnglish, 60000));  // an erase that would take a minute
    line.view->StartAll();
    // Stop all is enabled once the window has shown the runs; a click before that is a no-op.
    QPushButton* stopAll = line.view->findChild<QPushButton*>("ProductionStopAll");
    ASSERT_TRUE(line.WaitFor([&] { return stopAll->isEnabled(); }));
    stopAll->click();
    EXPECT_EQ(line.view->status()->text().toStdString(), Text(kEnglish, TextId::ProductionStopping));
    ASSERT_TRUE(line.WaitFor([&] { return !line.view->line().Running(); }));
    line.WaitFor([&] { return line.view->panels()[2]->reason()->text().size() > 0; });
    for (gui::StationPanel* panel : line.view->panels())
        EXPECT_EQ(panel->reason()->text().toStdString(), Text(kEnglish, TextId::CliOperationStopped));
}

}  // namespace
}  // namespace tq::testing
