// The backup before a write and the question before writing over data,
// through the real window: the backup is listed with its chip, size and
// CRC-32 and loads into the buffer, the caption naming it.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QTreeWidget>
#include <algorithm>

#include "core/buffer/image_digests.h"
#include "gui/backups_dialog.h"
#include "gui/log_panel.h"
#include "gui_rig.h"
#include "support/expect.h"

namespace tq::testing {
namespace {

TEST(Backups, AWriteOverDataAsksFirstLeavesABackupAndTheListLoadsIt) {
    GuiRig rig;
    ASSERT_TRUE(rig.StartWithGD25Q64Selected());
    EXPECT_TRUE(rig.window->action("MenuOptionBackup")->isChecked());  // on by default
    EXPECT_TRUE(rig.window->action("MenuOptionBlankCheck")->isChecked());
    rig.sim.chipMemory()[0x10] = 0x5A;  // inside the range the write fills
    const std::vector<uint8_t> old = rig.sim.chipMemory();
    rig.folder.WriteBytes("image.bin", std::string(256, '\x11'));
    rig.window->OpenFile(QString::fromStdString((rig.folder.path() / "image.bin").string()));
    rig.WaitIdle();
    QStringList asked;
    rig.window->messages().SetNotBlankPresenter([&](const QString& text) {
        asked << text;
        return NotBlankChoice::EraseFirst;
    });

    rig.Trigger("MenuWrite");
    ASSERT_EQ(asked.size(), 1);
    EXPECT_SAYS(asked[0].toStdString(), "0x000010 处为 0x5A");  // where the data starts
    EXPECT_EQ(rig.sim.chipMemory()[0x10], 0x11);      // erased first, then written
    EXPECT_EQ(rig.sim.chipMemory()[0x1000], 0xFF);

    // The log names the backup, in green as a step that worked.
    gui::LogPanel& log = rig.window->logPanel();
    const QStringList lines = log.Texts();
    const auto saved = std::find_if(lines.begin(), lines.end(), [](const QString& line) { return line.contains("芯片已备份到 "); });
    ASSERT_NE(saved, lines.end());
    EXPECT_EQ(log.lines().item(static_cast<int>(saved - lines.begin()))->foreground().color(), QColor(0, 128, 0));

    rig.Trigger("MenuBackups");
    gui::BackupsDialog* dialog = rig.window->backupsDialog();
    ASSERT_TRUE(dialog && dialog->isVisible());
    ASSERT_EQ(dialog->list()->topLevelItemCount(), 1);
    const QTreeWidgetItem* row = dialog->list()->topLevelItem(0);
    EXPECT_EQ(row->text(0), "GD25Q64");
    EXPECT_EQ(row->text(2), "8388608");
    EXPECT_EQ(row->text(3).toStdString(), Crc32Hex(DigestsOf(old.data(), old.size()).crc32));
    EXPECT_TRUE(saved->contains(row->toolTip(0))) << saved->toStdString();  // the file it names

    dialog->loadButton()->click();
    rig.WaitIdle();
    const Ram_File_Info_Struct& buffer = rig.session->Buffer.RamFile;
    EXPECT_EQ(buffer.DataLen, old.size());
    EXPECT_TRUE(buffer.Data == old);
    EXPECT_SAYS(rig.window->windowTitle().toStdString(), row->text(3).toStdString() + ".bin");
}

}  // namespace
}  // namespace tq::testing
