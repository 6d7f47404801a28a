// The right chip, files that fit, the question before a firmware update and
// what the window shows after each command, on the real window over the
// simulator.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "core/texts/text_catalogue.h"
#include "gui/chip_find_dialog.h"
#include "gui/chip_frame_widget.h"
#include "gui_rig.h"
#include "support/firmware_package_builder.h"

namespace tq::testing {
namespace {

void AnswerFileDialogsWith(GuiRig& rig, const std::string& path) {
    rig.window->messages().SetFilePresenter(
        [path](bool, const QString&, const QString&, const QString&, const QString&) { return QString::fromStdString(path); });
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

TEST(StateAndFit, AnUnknownTypedChipNameIsRefusedAndTheChipStays) {
    GuiRig rig;
    ASSERT_TRUE(rig.StartWithGD25Q64Selected());
    QLineEdit* typed = rig.window->chipFrame().combo(ChipList::Name)->lineEdit();
    typed->selectAll();
    QTest::keyClicks(typed, "NOSUCH");
    QTest::keyClick(typed, Qt::Key_Return);
    rig.WaitIdle();
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_TRUE(rig.messages[0].contains("NOSUCH") && rig.messages[0].contains("GD25Q64")) << rig.messages[0].toStdString();
    EXPECT_EQ(typed->text(), "GD25Q64");
    EXPECT_EQ(rig.session->Chip.PrjInfo.ChipName, "GD25Q64");
    EXPECT_EQ(rig.session->Buffer.RamFile.Data.size(), 8u << 20);
}

TEST(StateAndFit, SearchEnterTakesTheExactNameOrTheRowMovedToAndOtherwiseAsksForARow) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    rig.window->findChild<QPushButton*>("sbChipFind")->click();
    auto* dialog = rig.window->findChild<gui::ChipFindDialog*>("TfrmChipFind");
    ASSERT_TRUE(dialog && dialog->isVisible());
    auto* edit = dialog->findChild<QLineEdit*>("lbeChipFindContent");
    auto* note = dialog->findChild<QLabel*>("lbNote");
    EXPECT_EQ(note->text(), Q(Text(0, TextId::ChipSearchFilterNote)));

    // Part of a name: Enter selects nothing and the note asks for a row.
    QTest::keyClicks(edit, "W25Q64");
    rig.WaitIdle();
    ASSERT_GE(dialog->model().rowCount(), 3);
    QTest::keyClick(edit, Qt::Key_Return);
    rig.WaitIdle();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(note->text(), Q(Text(0, TextId::ChipSearchChooseRow)));
    EXPECT_EQ(rig.session->Chip.PrjInfo.ChipName, "24C02");

    // Down twice from the search text: the second row is taken.
    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(edit, Qt::Key_Down);
    const std::string second = dialog->model().RowAt(1)->ChipName;
    QTest::keyClick(edit, Qt::Key_Return);
    rig.WaitIdle();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(rig.session->Chip.PrjInfo.ChipName, second);

    // The whole name in small letters, among longer names: its row is taken.
    rig.window->findChild<QPushButton*>("sbChipFind")->click();
    edit->clear();
    QTest::keyClicks(edit, "m24c02");
    rig.WaitIdle();
    ASSERT_GE(dialog->model().rowCount(), 2);
    QTest::keyClick(edit, Qt::Key_Return);
    rig.WaitIdle();
    EXPECT_EQ(rig.session->Chip.PrjInfo.ChipName, "M24C02");
    EXPECT_TRUE(rig.messages.empty());
}

TEST(StateAndFit, AFileLargerThanTheChipIsCutWithAWarningAndTheTitleSaysSo) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());  // 24C02: 256 bytes
    const std::string path = rig.folder.File("big.bin");
    rig.folder.WriteBytes("big.bin", std::string(1000, '\x5A'));
    rig.window->OpenFile(Q(path));
    rig.WaitIdle();
    ASSERT_EQ(rig.messages.size(), 1u);
    for (const char* fact : {"1000", "256", "744", "0x100"})
        EXPECT_TRUE(rig.messages[0].contains(fact)) << fact << ": " << rig.messages[0].toStdString();
    EXPECT_TRUE(rig.window->windowTitle().endsWith(Q(path + "（仅前 256 字节，共 1000 字节）")))
        << rig.window->windowTitle().toStdString();
    EXPECT_EQ(rig.session->Buffer.RamFile.DataLen, 256u);
}

TEST(StateAndFit, TheFirmwareUpdateAsksFirstAndNoSendsNothing) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Poll();
    const std::string package = rig.folder.File("fw.tqmv");
    ASSERT_TRUE(FirmwarePackage(SampleImage(1000)).WriteTo(package));
    AnswerFileDialogsWith(rig, package);
    rig.Trigger("MenuFirmUpdate");
    ASSERT_EQ(rig.messages.size(), 1u);
    for (const std::string& fact : {std::string("fw.tqmv"), rig.session->Device.DevInf.Model, std::string("001"),
                                    std::string("请勿拔下编程器")})
        EXPECT_TRUE(rig.messages[0].contains(Q(fact))) << fact;
    EXPECT_EQ(rig.Panel(0), Q(Text(0, TextId::FirmwareUpdateDeclined)));
    EXPECT_TRUE(rig.sim.receivedImage().empty());
}

TEST(StateAndFit, ChecksumTitleAndVersionFollowEveryCommand) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start("24C02"));
    rig.Poll();
    const QString title = Q(rig.session->Texts.DevLanguage.MainSoftWareInfo);
    rig.folder.WriteBytes("small.bin", std::string(16, '\x01'));
    rig.window->OpenFile(Q(rig.folder.File("small.bin")));
    rig.WaitIdle();
    EXPECT_EQ(rig.Panel(1), "CheckSum:0x00000010");

    // A read: the blank chip's checksum, and the title names the chip.
    rig.Trigger("MenuRead");
    EXPECT_EQ(rig.Panel(1), "CheckSum:0x0000FF00");
    EXPECT_EQ(rig.window->windowTitle(), title + "    24C02（从芯片读出）");

    // Save As: the title names the new file.
    const std::string saved = rig.folder.File("saved.bin");
    AnswerFileDialogsWith(rig, saved);
    rig.Trigger("Menu_File_SaveAs");
    EXPECT_EQ(rig.window->windowTitle(), title + "    " + Q(saved));

    // Another language keeps the title's file and the firmware version.
    const QString version = Q(rig.session->Device.DevInf.FwVersion);
    ASSERT_FALSE(version.isEmpty());
    rig.Trigger("Menu_Settings_Lang_EN");
    EXPECT_TRUE(rig.window->windowTitle().endsWith("    " + Q(saved)));
    EXPECT_TRUE(rig.Panel(2).endsWith(version)) << rig.Panel(2).toStdString();

    // An auto run counts; another chip chosen in the list starts the counters
    // afresh, blanks the buffer and leaves no file in the title.
    rig.Trigger("MenuAuto");
    EXPECT_TRUE(rig.window->statusPanels().Counters().contains("Suc:1")) << rig.window->statusPanels().Counters().toStdString();
    QComboBox* names = rig.window->chipFrame().combo(ChipList::Name);
    const int other = names->findText("24C04");
    ASSERT_GE(other, 0);
    emit names->activated(other);
    rig.WaitIdle();
    EXPECT_EQ(rig.session->Chip.PrjInfo.ChipName, "24C04");
    EXPECT_FALSE(rig.window->windowTitle().contains("saved.bin"));
    EXPECT_EQ(rig.Panel(1), "CheckSum:0x0001FE00");
    EXPECT_TRUE(rig.window->statusPanels().Counters().contains("Suc:0")) << rig.window->statusPanels().Counters().toStdString();
}

}  // namespace
}  // namespace tq::testing
