// The log panel, the status bar's long lines and closing the window while
// an operation runs, on the real window over the simulator.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QToolButton>

#include "core/buffer/file_open_save.h"
#include "gui/log_panel.h"
#include "gui_rig.h"
#include "support/expect.h"
#include "support/scratch_folder.h"

namespace tq::testing {
namespace {

bool LoadImage(GuiRig& rig, size_t size, char value) {
    rig.folder.WriteBytes("image.bin", std::string(size, value));
    std::string error;
    return LoadDataFile(rig.session->Buffer, (rig.folder.path() / "image.bin").string(), error);
}

// Closing while a write runs asks to stop it. Yes stops the write and the
// window closes once it has ended; No leaves both running.
TEST(LogAndClose, ClosingDuringAWriteStopsItOnYesAndThenCloses) {
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        GuiRig rig;
        ASSERT_TRUE(rig.StartWithGD25Q64Selected());
        ASSERT_TRUE(LoadImage(rig, 256 * 1024, '\x11'));
        rig.window->show();
        rig.volumes.HoldWrite(8);
        rig.window->findChild<QToolButton*>("sbWrite")->click();
        ASSERT_TRUE(rig.WaitForHeldWrite());

        rig.answerYes = yes;
        EXPECT_FALSE(rig.window->close());  // never under a running operation
        ASSERT_EQ(rig.messages.size(), 1u);
        EXPECT_EQ(rig.session->Busy.StopRequest, yes ? 1 : 0);
        rig.volumes.Release();
        rig.WaitIdle();
        QElapsedTimer waited;
        waited.start();
        while (rig.window->isVisible() && waited.elapsed() < 2000) QCoreApplication::processEvents();

        EXPECT_EQ(rig.window->isVisible(), !yes);
        QListWidget& log = rig.window->logPanel().lines();
        // A finished write's result line comes after the image's sums.
        if (!yes) {
            EXPECT_TRUE(log.item(log.count() - 2)->text().contains("CRC-32"));
        }
        const QColor last = log.item(log.count() - 1)->foreground().color();
        EXPECT_EQ(last, yes ? QColor(176, 112, 0) : QColor(0, 128, 0));  // stopped amber, finished green
        EXPECT_EQ(rig.sim.chipMemory()[256 * 1024 - 1] == 0x11, !yes);  // No: the write went to its end
        EXPECT_EQ(rig.session->Buffer.RamFile.Data.empty(), yes);  // closing gave the buffer back
    }
}

// A step the person did not start (here a presence poll) asks nothing:
// the window closes once it has ended.
TEST(LogAndClose, ClosingDuringAPollStepClosesAfterItWithoutAQuestion) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start("GD25Q64"));
    rig.window->show();
    rig.window->TimerForMassProduct();
    EXPECT_FALSE(rig.window->close());  // not under the running step
    rig.WaitIdle();
    QElapsedTimer waited;
    waited.start();
    while (rig.window->isVisible() && waited.elapsed() < 2000) QCoreApplication::processEvents();
    EXPECT_FALSE(rig.window->isVisible());
    EXPECT_TRUE(rig.messages.empty());
}

// Every status line goes to the log with its time, coloured by how it ended;
// the log shows and hides from the View menu, saves as text and is shown
// again in the next run when it was shown at the end of this one.
TEST(LogAndClose, TheLogKeepsEveryStatusLineTimedAndColouredAndSavesIt) {
    GuiRig rig;
    ASSERT_TRUE(rig.StartWithGD25Q64Selected());
    ASSERT_TRUE(LoadImage(rig, 4096, '\x22'));
    gui::LogPanel& log = rig.window->logPanel();
    log.lines().clear();
    rig.Trigger("MenuWrite");
    rig.session->Buffer.RamFile.Data[7] = 0x23;  // the chip no longer matches
    rig.Trigger("MenuVerify");

    const QStringList lines = log.Texts();
    ASSERT_GE(lines.size(), 4);
    const QRegularExpression timed("^\\d\\d:\\d\\d:\\d\\d \\S");
    for (const QString& line : lines) EXPECT_TRUE(timed.match(line).hasMatch()) << line.toStdString();
    const auto colourOf = [&](const std::string& text) {
        for (int i = 0; i < lines.size(); ++i)
            if (lines[i].contains(QString::fromStdString(text))) return log.lines().item(i)->foreground().color();
        ADD_FAILURE() << "no line with " << text;
        return QColor();
    };
    const Dev_Language_Struct& texts = rig.session->Texts.DevLanguage;
    EXPECT_EQ(colourOf(texts.LogChipWriteSuccess), QColor(0, 128, 0));
    EXPECT_EQ(log.lines().item(lines.size() - 1)->foreground().color(), QColor(200, 0, 0));  // the verify's difference
    EXPECT_EQ(log.lines().item(0)->data(Qt::ForegroundRole), QVariant());  // "writing...": plain
    EXPECT_EQ(rig.Panel(0), lines.back());

    rig.window->show();
    EXPECT_FALSE(log.isVisible());  // hidden until the person shows it
    QAction* shown = rig.window->action("MenuViewLog");
    for (const bool visible : {true, false, true}) {
        shown->trigger();
        EXPECT_EQ(log.isVisible(), visible);
    }

    ScratchFolder files;
    const auto saved = files / "run.txt";
    rig.window->messages().SetFilePresenter([&](bool, const QString&, const QString&, const QString&,
                                                const QString&) { return QString::fromStdString(saved.string()); });
    rig.Trigger("MenuSaveLog");
    const std::vector<uint8_t> bytes = ReadBytes(saved);
    EXPECT_EQ(QString::fromUtf8(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())),
              lines.join('\n') + '\n');
    rig.WaitIdle();  // the hex view's new size is laid out on the worker
    rig.answerYes = true;  // the byte changed above is let go
    EXPECT_TRUE(rig.window->close());
    EXPECT_SAYS(rig.folder.ReadGbk("dev.ini"), "LogPanel= 1");  // shown again in the next run
}

// A line wider than its panel is cut with "…" and shown whole as the tooltip.
TEST(LogAndClose, TheStatusBarElidesALongLineAndShowsItWholeAsTooltip) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    rig.window->resize(640, 480);
    rig.window->show();
    const QString line = "12:00:00 Write succeeded, time used: 123.456 s  Capacity: 8 MiB (64 Mbit)  " + QString(80, 'x');
    rig.window->statusPanels().SetPanelText(0, line.toStdString());
    QCoreApplication::processEvents();
    const QString shown = rig.window->statusPanels().ShownText(0);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(line.startsWith(shown.chopped(1)));
    EXPECT_EQ(rig.window->findChild<QLabel*>("StatusPanel0")->toolTip(), line);
    EXPECT_EQ(rig.Panel(0), line);
}

}  // namespace
}  // namespace tq::testing
