// The contact check in the window: Read Twice reports the flaky addresses
// or a stable chip in the log, and the Simulator menu makes bytes flaky.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QListWidget>

#include "core/buffer/file_open_save.h"
#include "gui/log_panel.h"
#include "gui_rig.h"

namespace tq::testing {
namespace {

QString LogText(GuiRig& rig) {
    QListWidget& log = rig.window->logPanel().lines();
    QString text;
    for (int i = 0; i < log.count(); ++i) text += log.item(i)->text() + "\n";
    return text;
}

TEST(ContactCheckWindow, ReadTwiceNamesTheFlakyAddressesOrSaysStable) {
    const struct {
        std::set<uint32_t> flaky;
        const char* says;
        const char* label;
    } cases[] = {
        {{}, "Both reads are identical: the contact is stable. CRC-32 ", "100%"},
        // Seed 2: the second read of a flaky byte has bit 7 flipped.
        {{0x5000}, "  0x005000: first read FF, second read 7F", "ERROR"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        GuiRig rig;
        ASSERT_TRUE(rig.StartWithGD25Q64Selected());
        rig.Trigger("Menu_Settings_Lang_EN");
        rig.sim.faults.flakyAddresses = c.flaky;
        rig.sim.faults.flakySeed = 2;
        rig.Trigger("MenuReadTwice");
        EXPECT_TRUE(LogText(rig).contains(c.says)) << LogText(rig).toStdString();
        EXPECT_EQ(rig.Label(), c.label);
    }
}

// The auto options' new box: ticked, the auto run reads the chip again
// after its verify and fails, naming the byte that read differently.
TEST(ContactCheckWindow, VerifyTwiceTickedInTheAutoOptionsFailsARunWhoseSecondReadDiffers) {
    GuiRig rig;
    ASSERT_TRUE(rig.StartWithGD25Q64Selected());
    rig.Trigger("Menu_Settings_Lang_EN");
    rig.folder.WriteBytes("image.bin", std::string(4096, '\x5A'));
    std::string error;
    ASSERT_TRUE(LoadDataFile(rig.session->Buffer, (rig.folder.path() / "image.bin").string(), error)) << error;
    rig.Trigger("MenuAutoSel");
    QCheckBox* twice = rig.window->findChild<QCheckBox*>("chkAutoSelVerifyTwice");
    ASSERT_NE(twice, nullptr);
    EXPECT_EQ(twice->text(), "Verify twice (compare two reads)");
    twice->click();
    rig.WaitIdle();
    // No backup read before the run: the verify's two reads are the only ones.
    rig.session->Operation.Guard.backup = false;
    rig.sim.faults.flakyAddresses = {0x10};
    rig.sim.faults.flakySeed = 2;  // the first read of the byte is right, the second has bit 7 flipped
    rig.Trigger("MenuAuto");
    EXPECT_TRUE(LogText(rig).contains("  0x000010: first read 5A, second read DA")) << LogText(rig).toStdString();
    EXPECT_EQ(rig.Label(), "ERROR");
}

TEST(ContactCheckWindow, TheSimulatorMenuMakesAFewAddressesFlakyAndClearsThem) {
    GuiRig rig;
    ASSERT_TRUE(rig.StartWithGD25Q64Selected());
    rig.Trigger("Menu_Settings_Lang_EN");
    rig.window->findChild<QAction*>("MenuSimFlaky")->trigger();
    rig.WaitIdle();
    ASSERT_EQ(rig.sim.faults.flakyAddresses.size(), 3u);
    for (uint32_t address : rig.sim.faults.flakyAddresses) {
        EXPECT_LT(address, rig.sim.chip()->capacity);
        EXPECT_TRUE(rig.Panel(0).contains(QString("0x%1").arg(address, 6, 16, QChar('0')).toUpper().replace("0X", "0x")))
            << rig.Panel(0).toStdString();
    }
    rig.window->findChild<QAction*>("MenuSimSteady")->trigger();
    rig.WaitIdle();
    EXPECT_TRUE(rig.sim.faults.flakyAddresses.empty());
    EXPECT_EQ(rig.Panel(0), "Simulator: every address reads reliably");
}

}  // namespace
}  // namespace tq::testing
