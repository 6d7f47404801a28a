#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QToolButton>

#include "core/app/chip_selection.h"
#include "core/buffer/file_open_save.h"
#include "core/project/project_crc.h"
#include "gui/chip_frame_widget.h"
#include "gui/project_dialog.h"
#include "gui/update_dialog.h"
#include "gui_rig.h"
#include "support/firmware_package_builder.h"

namespace tq::testing {
namespace {

void AnswerFileDialogsWith(GuiRig& rig, const std::string& path) {
    rig.window->messages().SetFilePresenter(
        [path](bool, const QString&, const QString&, const QString&, const QString&) { return QString::fromStdString(path); });
}

// A programmer connected, GD25Q64 chosen and the project dialog open.
gui::ProjectDialog* OpenProjectDialog(GuiRig& rig) {
    if (!rig.StartWithGD25Q64Selected()) return nullptr;
    rig.Trigger("MenuPrjOffline");
    return rig.window->projectDialog();
}

QColor LineColour(QTextEdit* log, int line) {
    return log->document()->findBlockByNumber(line).begin().fragment().charFormat().foreground().color();
}

TEST(ProjectFirmware, TheProjectDialogLogsTheDataFileDownloadsItAndGivesTheChipFrameBack) {
    GuiRig rig;
    gui::ProjectDialog* dialog = OpenProjectDialog(rig);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(rig.window->chipFrame().window(), dialog);
    EXPECT_TRUE(rig.session->Window.ChipFrameInProjectDialog);
    EXPECT_EQ(dialog->log()->toPlainText(), "文件名:文件待选择.");

    // A file that cannot be opened: named in a box and in the log.
    const std::string missing = (rig.folder.path() / "missing.bin").string();
    AnswerFileDialogsWith(rig, missing);
    dialog->findChild<QPushButton*>("Button2")->click();
    rig.WaitIdle();
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_TRUE(rig.messages[0].endsWith(QString::fromStdString(missing))) << rig.messages[0].toStdString();
    EXPECT_TRUE(dialog->log()->toPlainText().endsWith(QString::fromStdString(missing)));
    rig.messages.clear();

    std::string data(64 * 1024, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 13 + i / 2048);
    rig.folder.WriteBytes("data.bin", data);
    AnswerFileDialogsWith(rig, (rig.folder.path() / "data.bin").string());
    dialog->findChild<QPushButton*>("Button2")->click();
    rig.WaitIdle();
    const QString crc = QString("%1").arg(ProjectCrc(reinterpret_cast<const uint8_t*>(data.data()), data.size()), 8, 16,
                                          QChar('0')).toUpper();
    const QStringList lines = dialog->log()->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "文件名: data.bin    CRC32: 0x" + crc);
    EXPECT_EQ(LineColour(dialog->log(), 0), QColor(128, 128, 128));
    EXPECT_EQ(lines[1], "注意：文件名只支持显示英文字符（包含大小写）与数字！中文会导致显示异常！");
    EXPECT_EQ(LineColour(dialog->log(), 1), QColor(255, 0, 0));
    EXPECT_EQ(dialog->findChild<QLineEdit*>("editPrjName")->text(), "data.bin");

    // Held in the middle of storing the data file.
    rig.volumes.HoldWrite(16);
    auto* download = dialog->findChild<QPushButton*>("btnDownLoadPrj");
    download->click();
    ASSERT_TRUE(rig.WaitForHeldWrite());
    EXPECT_FALSE(download->isEnabled());
    EXPECT_EQ(dialog->PanelText(0), "板载存储擦除&写入");
    const int percent = dialog->PanelText(1).chopped(1).toInt();
    EXPECT_TRUE(percent > 30 && percent < 80) << dialog->PanelText(1).toStdString();
    EXPECT_EQ(dialog->bar()->value(), percent);
    rig.volumes.Release();
    rig.WaitIdle();
    EXPECT_EQ(dialog->PanelText(0), "数据文件校验");
    EXPECT_EQ(dialog->PanelText(1), "校验成功");
    EXPECT_EQ(dialog->bar()->value(), 100);
    EXPECT_TRUE(download->isEnabled());
    EXPECT_EQ(std::string(rig.sim.storage().begin(), rig.sim.storage().begin() + data.size()), data);
    EXPECT_NE(std::string(rig.sim.projectFile().begin(), rig.sim.projectFile().end()).find("ChipName=GD25Q64\r\n"),
              std::string::npos);
    EXPECT_TRUE(rig.messages.empty());

    dialog->close();
    rig.WaitIdle();
    EXPECT_EQ(rig.window->chipFrame().window(), rig.window.get());
    EXPECT_FALSE(rig.window->chipFrame().findChild<QGroupBox*>("gbChipInfoDesc")->isHidden());
    EXPECT_FALSE(rig.session->Window.ChipFrameInProjectDialog);
}

TEST(ProjectFirmware, ADownloadIsRefusedInTheDialogsLanguageWhileAWriteRuns) {
    GuiRig rig;
    gui::ProjectDialog* dialog = OpenProjectDialog(rig);
    ASSERT_NE(dialog, nullptr);
    rig.Trigger("Menu_Settings_Lang_EN");
    EXPECT_EQ(dialog->windowTitle(), "Offline Project");
    rig.folder.WriteBytes("data.bin", std::string(4096, '\x33'));
    AnswerFileDialogsWith(rig, (rig.folder.path() / "data.bin").string());
    dialog->findChild<QPushButton*>("Button2")->click();
    rig.WaitIdle();
    std::string error;
    ASSERT_TRUE(LoadDataFile(rig.session->Buffer, (rig.folder.path() / "data.bin").string(), error)) << error;

    rig.volumes.HoldWrite(3);
    rig.window->findChild<QToolButton*>("sbWrite")->click();
    ASSERT_TRUE(rig.WaitForHeldWrite());
    EXPECT_FALSE(dialog->findChild<QPushButton*>("btnDownLoadPrj")->isEnabled());
    emit dialog->btnDownLoadPrjClicked();  // as if the button had been reached anyway
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0], "Another operation is running; try again once it has ended.");
    rig.volumes.Release();
    rig.WaitIdle();
    EXPECT_EQ(rig.sim.projectFileSize(), 0u);
}

TEST(ProjectFirmware, AnUpdateFromTheMenuOrTheFolderEndsWithTheNewVersionInPanel2) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Poll();
    // The same panel text as the presence poll shows.
    const QString online = QString::fromStdString(rig.session->Texts.DevLanguage.DevConStaOnline + "    " +
                                                  rig.session->Texts.DevLanguage.DevConVersion);

    // A package that cannot be opened: named in panel 0 and in a box, nothing sent.
    const std::string package = (rig.folder.path() / "fw.tqmv").string();
    AnswerFileDialogsWith(rig, package);
    rig.Trigger("MenuFirmUpdate");
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_TRUE(rig.messages[0].endsWith(QString::fromStdString(package))) << rig.messages[0].toStdString();
    EXPECT_EQ(rig.Panel(0), rig.messages[0]);
    EXPECT_TRUE(rig.sim.receivedImage().empty());
    rig.messages.clear();

    const std::vector<uint8_t> image = SampleImage(3000);
    ASSERT_TRUE(FirmwarePackage(image).WriteTo(package));
    rig.answerYes = true;  // the question before the update
    rig.Trigger("MenuFirmUpdate");
    ASSERT_EQ(rig.messages.size(), 1u);
    rig.messages.clear();
    EXPECT_EQ(rig.Panel(2), online + "V1.03");
    EXPECT_TRUE(rig.Panel(0).startsWith("系统烧写完成，共耗时")) << rig.Panel(0).toStdString();
    QProgressBar* bar = rig.window->progress().bar();
    EXPECT_EQ(bar->maximum(), 3000);
    EXPECT_EQ(bar->value(), 3000);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), rig.sim.receivedImage().begin()));

    // The dialog takes the newest image of the model from the iap folder.
    std::filesystem::create_directories(rig.folder.path() / "iap");
    ASSERT_TRUE(FirmwarePackage(SampleImage(500)).WriteTo((rig.folder.path() / "iap" / "TQM7-000103.iap").string()));
    ASSERT_TRUE(FirmwarePackage(SampleImage(900)).WriteTo((rig.folder.path() / "iap" / "TQM7-000200.iap").string()));
    rig.sim.firmwareAfterUpdate = "V2.00";
    rig.Trigger("MenuFirmUpdateFolder");
    gui::UpdateDialog* dialog = rig.window->updateDialog();
    ASSERT_TRUE(dialog && dialog->isVisible());
    dialog->findChild<QPushButton*>("btnStartIAP")->click();
    rig.WaitIdle();
    EXPECT_TRUE(dialog->log()->toPlainText().contains("File：TQM7-000200.iap,系统包下载中，请稍等..."));
    EXPECT_TRUE(dialog->log()->toPlainText().endsWith("更新完成，即将关闭更新页面，进入主界面."));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(rig.Panel(2), online + "V2.00");
    EXPECT_EQ(rig.sim.receivedImage().size(), 1024u);
    ASSERT_EQ(rig.messages.size(), 1u);  // the question only
    EXPECT_TRUE(rig.messages[0].contains("TQM7-000200.iap"));
}

}  // namespace
}  // namespace tq::testing
