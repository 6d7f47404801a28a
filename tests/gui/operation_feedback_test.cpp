// How the window says an operation ended early: a stop, a stopped erase
// the programmer finishes by itself, a verify difference, and the plug or
// the chip pulled through the Simulator menu in the middle of a write.
#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QProgressBar>
#include <QToolButton>

#include "core/buffer/file_open_save.h"
#include "gui/simulator_menu.h"
#include "gui/log_panel.h"
#include "gui_rig.h"

namespace tq::testing {
namespace {

// GD25Q64 selected, the window in English, `image` loaded into the buffer.
void Bench(GuiRig& rig, const std::string& image) {
    ASSERT_TRUE(rig.StartWithGD25Q64Selected());
    rig.Trigger("Menu_Settings_Lang_EN");
    rig.folder.WriteBytes("image.bin", image);
    std::string error;
    ASSERT_TRUE(LoadDataFile(rig.session->Buffer, (rig.folder.path() / "image.bin").string(), error)) << error;
}

void Click(GuiRig& rig, const char* button) { rig.window->findChild<QToolButton*>(button)->click(); }

bool Says(GuiRig& rig, const char* text) { return rig.Panel(0).contains(text); }

// Esc-like Stop in the middle of a write, alone and as a step of Auto: the
// status line says how far it got, the bar shows its stopped state, and an
// auto run counts as failed.
TEST(OperationFeedback, AStoppedWriteSaysSoAndAStoppedAutoRunCountsAsFailed) {
    const struct {
        const char* button;
        const char* counters;
    } cases[] = {{"sbWrite", "Suc:0  Fal:0"}, {"sbAuto", "Suc:0  Fal:1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        GuiRig rig;
        Bench(rig, std::string(256 * 1024, '\x11'));
        rig.volumes.HoldWrite(c.button == std::string("sbAuto") ? 16 : 8);
        Click(rig, c.button);
        ASSERT_TRUE(rig.WaitForHeldWrite());
        Click(rig, "sbStop");
        rig.volumes.Release();
        rig.WaitIdle();

        EXPECT_TRUE(Says(rig, "Stopped by the user after ")) << rig.Panel(0).toStdString();
        EXPECT_TRUE(Says(rig, "of 262144 bytes; the chip holds part of the data.")) << rig.Panel(0).toStdString();
        EXPECT_EQ(rig.Label(), "STOPPED");
        EXPECT_TRUE(rig.window->progress().bar()->property("stoppedState").toBool());
        EXPECT_EQ(rig.window->statusPanels().Counters(), c.counters);
    }
}

// Stop while the programmer erases by itself ends the wait at once; the
// next command waits for the erase to end, showing so, and only then writes.
TEST(OperationFeedback, AStoppedEraseIsFinishedByTheProgrammerAndTheNextCommandWaitsForIt) {
    GuiRig rig;
    Bench(rig, std::string(4096, '\x5A'));
    SimChip slow = *rig.sim.chip();
    slow.eraseTimeMs = 30000;
    rig.sim.InsertChip(slow);
    rig.Trigger("MenuOptionBackup");  // off: the frames counted below are the erase's own

    rig.volumes.HoldWrite(3);  // the frame that starts the erase (after the socket and indicator)
    Click(rig, "sbErase");
    ASSERT_TRUE(rig.WaitForHeldWrite());
    Click(rig, "sbStop");
    rig.volumes.Release();
    rig.WaitIdle();
    EXPECT_TRUE(Says(rig, "the programmer finishes the erase on its own")) << rig.Panel(0).toStdString();
    EXPECT_EQ(rig.Label(), "STOPPED");
    EXPECT_TRUE(rig.sim.Erasing());

    rig.volumes.HoldWrite(2);  // the second poll of the running erase
    Click(rig, "sbWrite");
    ASSERT_TRUE(rig.WaitForHeldWrite());
    EXPECT_TRUE(Says(rig, "still erasing the chip; waiting")) << rig.Panel(0).toStdString();
    rig.volumes.Release();
    rig.WaitIdle();
    // The image's sums, then the result, which the status bar keeps.
    QListWidget& log = rig.window->logPanel().lines();
    EXPECT_TRUE(log.item(log.count() - 2)->text().contains("Image CRC-32 ")) << log.item(log.count() - 2)->text().toStdString();
    EXPECT_TRUE(Says(rig, "Write succeeded")) << rig.Panel(0).toStdString();
    EXPECT_EQ(std::vector<uint8_t>(rig.sim.chipMemory().begin(), rig.sim.chipMemory().begin() + 4096),
              std::vector<uint8_t>(4096, 0x5A));
}

// A flash written over old data without an erase: the verify names the
// address and both bytes and says to erase first.
TEST(OperationFeedback, AVerifyFailureNamesTheAddressTheBytesAndTheMissingErase) {
    GuiRig rig;
    Bench(rig, std::string(4096, '\xF5'));
    std::fill(rig.sim.chipMemory().begin() + 16, rig.sim.chipMemory().begin() + 32, 0x0F);
    // Asked before writing over that data, the person writes anyway.
    rig.window->messages().SetNotBlankPresenter([](const QString&) { return NotBlankChoice::WriteAnyway; });
    Click(rig, "sbWrite");
    rig.WaitIdle();
    Click(rig, "sbVerify");
    rig.WaitIdle();
    EXPECT_TRUE(Says(rig, "Verify failed at 0x000010: expected 0xF5, read 0x05; 16 of the ")) << rig.Panel(0).toStdString();
    EXPECT_TRUE(Says(rig, "Erase it first")) << rig.Panel(0).toStdString();
    EXPECT_EQ(rig.Label(), "Error");
}

// The Simulator menu stays usable while a write runs: pulling the plug or
// taking the chip out ends the write with that cause, never with success.
TEST(OperationFeedback, UnpluggingOrTakingTheChipOutMidWriteEndsItWithTheRealCause) {
    const struct {
        const char* item;
        const char* cause;
    } cases[] = {
        {"MenuSimUnplug", "Write communication error"},
        {"MenuSimRemoveChip", "The chip was taken out of the socket during the operation"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        GuiRig rig;
        Bench(rig, std::string(256 * 1024, '\x11'));
        rig.volumes.HoldWrite(8);
        Click(rig, "sbWrite");
        ASSERT_TRUE(rig.WaitForHeldWrite());
        QAction* item = rig.window->findChild<gui::SimulatorMenu*>("MenuSimulator")->findChild<QAction*>(c.item);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->isEnabled() && rig.window->findChild<gui::SimulatorMenu*>("MenuSimulator")->isEnabled());
        item->trigger();
        rig.volumes.Release();
        rig.WaitIdle();
        EXPECT_TRUE(Says(rig, c.cause)) << rig.Panel(0).toStdString();
        EXPECT_FALSE(Says(rig, "succeeded")) << rig.Panel(0).toStdString();
        EXPECT_EQ(rig.Label(), "ERROR");
    }
}

}  // namespace
}  // namespace tq::testing
