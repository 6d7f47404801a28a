#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QToolButton>

#include "core/app/chip_selection.h"
#include "core/buffer/file_open_save.h"
#include "core/texts/language.h"
#include "gui/chip_frame_widget.h"
#include "gui/log_panel.h"
#include "gui/simulator_menu.h"
#include "gui_rig.h"

namespace tq::testing {
namespace {

QComboBox* List(GuiRig& rig, ChipList list) { return rig.window->chipFrame().combo(list); }

TEST(MainWindow, AFirstRunRestores24C02AndShowsTheNotConnectedState) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(List(rig, ChipList::Type)->currentText(), "24 EEPROM");
    EXPECT_EQ(List(rig, ChipList::Name)->currentText(), "24C02");
    EXPECT_EQ(rig.window->findChild<QLabel*>("ledtChipValue")->text(), "256 B (2 Kbit)");
    EXPECT_EQ(rig.Label(), "ERROR");
    EXPECT_TRUE(rig.window->action("MenuPrjOffline")->isVisible());
}

TEST(MainWindow, ASavedChipWhoseTypeThePlatformLacksLeavesTheListsUnselected) {
    GuiRig rig;
    // The M500 platform has no SWD ARM chips.
    rig.folder.WriteGbk("dev.ini", "[PrjInfo]\nChipName=STM32F103C8\ndefaultMode=M500\n");
    ASSERT_TRUE(rig.Start());
    for (const ChipList list : {ChipList::Type, ChipList::Manufacturer, ChipList::Name})
        EXPECT_EQ(List(rig, list)->currentIndex(), -1);
    EXPECT_EQ(rig.window->findChild<QProgressBar*>("pbDLChip1")->value(), 50);  // its design state
    EXPECT_TRUE(rig.window->progress().label()->isHidden());
}

TEST(MainWindow, ChoosingATypeCascadesAndATypedNameCountsOnlyWhenFinished) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    QComboBox* type = List(rig, ChipList::Type);
    const int spi = type->findText("SPI FLASH");
    ASSERT_GE(spi, 0);
    emit type->activated(spi);
    rig.WaitIdle();
    EXPECT_GT(List(rig, ChipList::Manufacturer)->count(), 0);
    EXPECT_EQ(List(rig, ChipList::Manufacturer)->currentIndex(), 0);
    EXPECT_EQ(List(rig, ChipList::Name)->currentIndex(), 0);
    EXPECT_EQ(rig.session->Chip.PrjInfo.ChipName, List(rig, ChipList::Name)->currentText().toStdString());

    QComboBox* name = List(rig, ChipList::Name);
    const std::string before = rig.session->Chip.PrjInfo.ChipName;
    name->lineEdit()->setText("GD25Q6");  // half typed: nothing chosen yet
    rig.WaitIdle();
    EXPECT_EQ(rig.session->Chip.PrjInfo.ChipName, before);
    name->lineEdit()->setText("GD25Q64");
    emit name->lineEdit()->editingFinished();
    rig.WaitIdle();
    EXPECT_EQ(rig.session->Chip.PrjInfo.ChipName, "GD25Q64");
    EXPECT_EQ(rig.window->findChild<QLabel*>("ledtChipValue")->text(), "8 MiB (64 Mbit)");
}

// A command clicked while a poll step talks to the programmer runs after it
// instead of being dropped.
TEST(MainWindow, ACommandClickedDuringAPollStepRunsAfterIt) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    std::vector<uint8_t>& data = rig.session->Buffer.RamFile.Data;
    data[0] = 0x12;
    data[1] = 0x34;
    rig.volumes.HoldWrite(1);  // the poll's first frame
    rig.window->TimerForMassProduct();
    ASSERT_TRUE(rig.WaitForHeldWrite());
    rig.window->action("MenuBufferSwich")->trigger();
    rig.volumes.Release();
    rig.WaitIdle();
    EXPECT_EQ(data[0], 0x34);
    EXPECT_EQ(data[1], 0x12);
    EXPECT_TRUE(rig.messages.empty());
}

TEST(MainWindow, ThePollShowsConnAfterPlugInAndErrorAfterUnplug) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Poll();
    EXPECT_EQ(rig.Label(), "Conn");
    const Dev_Language_Struct& texts = rig.session->Texts.DevLanguage;
    EXPECT_TRUE(rig.Panel(2).startsWith(QString::fromStdString(texts.DevConStaOnline))) << rig.Panel(2).toStdString();
    rig.sim.attached = false;
    rig.Poll();
    EXPECT_EQ(rig.Label(), "Error");
    EXPECT_EQ(rig.Panel(2), QString::fromStdString(texts.DevConStaOffline));
}

TEST(MainWindow, TheSimulatorMenuPutsAnyChipOfTheDatabaseInTheSocketForDetection) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Poll();
    rig.Trigger("Menu_Settings_Lang_EN");  // the simulator speaks the window's language
    auto* menu = rig.window->findChild<gui::SimulatorMenu*>("MenuSimulator");
    ASSERT_NE(menu, nullptr);
    menu->InsertChipNamed("nosuchchip");
    rig.WaitIdle();
    EXPECT_TRUE(rig.Panel(0).contains("no chip nosuchchip")) << rig.Panel(0).toStdString();
    menu->InsertChipNamed("gd25q64");
    rig.WaitIdle();
    EXPECT_TRUE(rig.Panel(0).contains("GD25Q64 is in the socket")) << rig.Panel(0).toStdString();
    rig.Trigger("MenuChipDetect");
    EXPECT_EQ(List(rig, ChipList::Name)->currentText(), "GD25Q64");
}

// Erase, write and verify of a loaded image, each from its tool button.
TEST(MainWindow, OperationsShowTheirStatusLineBarAndLabel) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start("24C02"));
    rig.Trigger("Menu_Settings_Lang_EN");
    rig.Poll();
    rig.folder.WriteBytes("image.bin", std::string(256, '\x5A'));
    std::string error;
    ASSERT_TRUE(LoadDataFile(rig.session->Buffer, (rig.folder.path() / "image.bin").string(), error)) << error;
    const struct {
        const char* button;
        const char* line;
        bool sums;  // the image's CRC-32 and SHA-256 come just before the result
    } cases[] = {{"sbErase", "Erase succeeded", false}, {"sbWrite", "Write", true}, {"sbVerify", "Verif", true}};
    for (const auto& c : cases) {
        rig.window->findChild<QToolButton*>(c.button)->click();
        rig.WaitIdle();
        QListWidget& log = rig.window->logPanel().lines();
        const QString result = log.item(log.count() - 1)->text();
        EXPECT_NE(result.indexOf(c.line, 0, Qt::CaseInsensitive), -1) << c.button << ": " << result.toStdString();
        EXPECT_EQ(log.item(log.count() - 2)->text().contains("Image CRC-32 "), c.sums) << c.button;
        EXPECT_EQ(rig.Label(), "100%") << c.button;
        EXPECT_EQ(rig.window->progress().bar()->value(), rig.window->progress().bar()->maximum()) << c.button;
    }
    EXPECT_EQ(rig.sim.chipMemory(), std::vector<uint8_t>(256, 0x5A));
    EXPECT_TRUE(rig.messages.empty());
}

// A write held by the drive: the window keeps working, a second command is
// refused, Stop is raised at once and ends the write once the drive lets go.
TEST(MainWindow, StopEndsAWriteWhileTheDriveHoldsATransfer) {
    GuiRig rig;
    ASSERT_TRUE(rig.StartWithGD25Q64Selected());
    rig.folder.WriteBytes("image.bin", std::string(256 * 1024, '\x11'));
    std::string error;
    ASSERT_TRUE(LoadDataFile(rig.session->Buffer, (rig.folder.path() / "image.bin").string(), error)) << error;

    rig.volumes.HoldWrite(8);
    rig.window->findChild<QToolButton*>("sbWrite")->click();
    ASSERT_TRUE(rig.WaitForHeldWrite());

    auto* stop = rig.window->findChild<QToolButton*>("sbStop");
    EXPECT_TRUE(stop->isVisibleTo(rig.window.get()) && stop->isEnabled());
    EXPECT_FALSE(rig.window->findChild<QToolButton*>("sbErase")->isEnabled());
    const size_t indicatorsBefore = rig.sim.indicatorLog().size();
    rig.window->action("MenuErase")->trigger();  // refused: the write holds the session
    EXPECT_FALSE(rig.window->grab().isNull());   // still paints
    stop->click();
    EXPECT_EQ(rig.session->Busy.StopRequest, 1);  // raised at once, though the transfer is held

    rig.volumes.Release();
    rig.WaitIdle();
    EXPECT_EQ(rig.sim.indicatorLog().size(), indicatorsBefore + 2);  // failed, finished: no erase
    EXPECT_EQ(rig.sim.indicatorLog().back(), 100);
    EXPECT_EQ(rig.sim.chipMemory().back(), 0xFF);  // the end was never written
    EXPECT_FALSE(stop->isVisibleTo(rig.window.get()));
    EXPECT_TRUE(rig.window->findChild<QToolButton*>("sbErase")->isEnabled());
}

TEST(MainWindow, TheLanguageMenuSwitchesCaptionsAndMovesTheCheckMark) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(rig.window->findChild<QToolButton*>("sbErase")->text(), "擦除");
    rig.Trigger("Menu_Settings_Lang_EN");
    EXPECT_EQ(rig.window->findChild<QToolButton*>("sbErase")->text(), "Erase");
    EXPECT_TRUE(rig.window->action("MenuErase")->text().startsWith("Erase"));
    EXPECT_TRUE(rig.window->action("Menu_Settings_Lang_EN")->isChecked());
    EXPECT_FALSE(rig.window->action("Menu_Settings_Lang_CN")->isChecked());
    EXPECT_TRUE(rig.window->windowTitle().contains(QString::fromStdString(rig.session->Device.DevInf.DbVersion)));
}

TEST(MainWindow, ClosingByTheTitleBarSavesTheSettings) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Trigger("Menu_Settings_Lang_TC");
    rig.window->show();
    EXPECT_TRUE(rig.window->close());  // what the title bar's button does
    EXPECT_NE(rig.folder.ReadGbk("dev.ini").find("Language= 1"), std::string::npos);
    EXPECT_TRUE(rig.session->Buffer.RamFile.Data.empty());
}

TEST(MainWindow, EveryControlOfTheCaptionTableExists) {
    GuiRig rig;
    for (const DirectCaption& caption : DirectCaptions()) {
        const QString name = caption.control;
        if (name == "sbMess" || name == "MenuMess") continue;  // no command: left out
        EXPECT_TRUE(rig.window->action(name) || rig.window->findChild<QObject*>(name)) << caption.control;
    }
}

}  // namespace
}  // namespace tq::testing
