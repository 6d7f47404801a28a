// The buffer dialogs through the real window: fill, find, find next, jump and
// swap in TfrmFileEdit, a file dropped on the window, and a merge.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include "core/app/chip_selection.h"
#include "core/app/settings.h"
#include "gui/file_combin_dialog.h"
#include "gui/file_edit_dialog.h"
#include "gui_rig.h"
#include "support/expect.h"
#include "support/scratch_folder.h"

namespace tq::testing {
namespace {

struct DialogRig : GuiRig {
    gui::FileEditForm* edit() { return window->findChild<gui::FileEditForm*>("TfrmFileEdit"); }
    QLineEdit* field(int n) { return edit()->findChild<QLineEdit*>(QString("lbeInputValue%1").arg(n)); }
    // Types into the fields (empty: left as prepared), then presses OK.
    void Ok(const std::vector<QString>& texts) {
        for (size_t i = 0; i < texts.size(); ++i) {
            if (texts[i].isEmpty()) continue;
            field(static_cast<int>(i) + 1)->clear();
            QTest::keyClicks(field(static_cast<int>(i) + 1), texts[i]);
        }
        edit()->findChild<QPushButton*>("btnFileInportOK")->click();
        WaitIdle();
    }
    Ram_File_Info_Struct& ram() { return session->Buffer.RamFile; }
};

TEST(BufferDialogs, FillFindFindNextJumpAndSwapThroughTheDialog) {
    DialogRig rig;
    ASSERT_TRUE(rig.Start());  // 24C02: 256 bytes of FF
    rig.Trigger("MenuBufferFill");
    ASSERT_TRUE(rig.edit()->isVisible());
    EXPECT_EQ(rig.edit()->windowTitle(), "缓冲区填充设置");
    EXPECT_EQ(rig.field(2)->text(), "00000100");
    EXPECT_EQ(rig.field(3)->maxLength(), 2);
    auto* random = rig.edit()->findChild<QCheckBox*>("chkInputValueRandom");
    random->click();
    EXPECT_FALSE(rig.field(3)->isEnabled());
    random->click();
    rig.Ok({"g1"});  // typed upper case, refused with the text quoted; the dialog stays
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_TRUE(rig.messages[0].contains("G1")) << rig.messages[0].toStdString();
    EXPECT_TRUE(rig.edit()->isVisible());
    rig.Ok({"11", "20", "ab"});
    EXPECT_FALSE(rig.edit()->isVisible());
    EXPECT_EQ(rig.ram().Data[0x10], 0xFF);
    EXPECT_EQ(rig.ram().Data[0x11], 0xAB);
    EXPECT_EQ(rig.ram().Data[0x30], 0xAB);
    EXPECT_EQ(rig.ram().Data[0x31], 0xFF);
    EXPECT_EQ(rig.Panel(1), "CheckSum:0x0000F480");  // 0xE0 bytes FF, 0x20 bytes AB

    rig.Trigger("MenuBufferFind");
    EXPECT_EQ(rig.field(1)->text(), "FFFFFFFF");
    EXPECT_FALSE(rig.field(2)->isVisible());
    rig.Ok({"ABAB"});
    EXPECT_EQ(rig.session->Buffer.Selection, (BufferSelection{0x11, 2}));
    rig.Trigger("MenuBufferFindNext");
    EXPECT_EQ(rig.session->Buffer.Selection, (BufferSelection{0x12, 2}));
    EXPECT_EQ(rig.window->action("MenuBufferFindNext")->shortcut(), QKeySequence(Qt::Key_F3));

    rig.Trigger("MenuBufferGoto");
    EXPECT_EQ(rig.field(2)->text(), "00000010");  // the view's top, read only
    EXPECT_FALSE(rig.field(2)->isEnabled());
    rig.Ok({"83"});
    EXPECT_EQ(rig.ram().ViewTop, 0x80u);

    rig.Trigger("MenuBufferSwich");
    EXPECT_EQ(rig.ram().Data[0x10], 0xAB);
    EXPECT_EQ(rig.ram().Data[0x11], 0xFF);
    EXPECT_EQ(rig.ram().Data[0x31], 0xAB);
}

// While a write holds the session, nothing can reach the buffer: the buffer
// commands, the dialog's OK and drops are off until it ends.
TEST(BufferDialogs, BufferCommandsAndDropsWaitWhileAnOperationRuns) {
    DialogRig rig;
    ASSERT_TRUE(rig.StartWithGD25Q64Selected());
    rig.Trigger("MenuBufferFill");
    rig.volumes.HoldWrite(8);
    rig.window->findChild<QToolButton*>("sbWrite")->click();
    ASSERT_TRUE(rig.WaitForHeldWrite());
    for (const char* name : {"MenuBufferFill", "MenuBufferFind", "MenuBufferFindNext", "MenuBufferGoto", "MenuBufferSwich"})
        EXPECT_FALSE(rig.window->action(name)->isEnabled()) << name;
    EXPECT_FALSE(rig.edit()->okButton()->isEnabled());
    rig.folder.WriteBytes("image.bin", "x");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString((rig.folder.path() / "image.bin").string()))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(rig.window.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    rig.volumes.Release();
    rig.WaitIdle();
    EXPECT_TRUE(rig.edit()->okButton()->isEnabled());
}

QMimeData* Urls(const QList<QUrl>& urls) {
    auto* mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}

// Drag feedback and the drop in the middle of the window. True when the drag was accepted.
bool Drop(DialogRig& rig, const QList<QUrl>& urls) {
    const QPoint at = rig.window->rect().center();
    std::unique_ptr<QMimeData> mime(Urls(urls));
    QDragEnterEvent enter(at, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(rig.window.get(), &enter);
    QDropEvent drop(at, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(rig.window.get(), &drop);
    rig.WaitIdle();
    return enter.isAccepted();
}

TEST(BufferDialogs, AFileDroppedOnTheWindowIsImportedAtItsStartAddress) {
    DialogRig rig;
    ASSERT_TRUE(rig.Start());
    rig.window->show();
    std::string image(200, '\0');
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i);
    rig.folder.WriteBytes("first.bin", "x");
    rig.folder.WriteBytes("image.bin", image);
    const auto url = [&](const char* name) { return QUrl::fromLocalFile(QString::fromStdString((rig.folder.path() / name).string())); };

    const QUrl remote("https://example.com/image.bin");
    EXPECT_FALSE(Drop(rig, {remote}));  // refused while hovering: nothing drops
    EXPECT_FALSE(rig.edit()->isVisible());

    // The last local file is offered; a remote one among them is named and left out.
    EXPECT_TRUE(Drop(rig, {url("first.bin"), remote, url("image.bin")}));
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0], "只能导入本机上的文件：https://example.com/image.bin");
    ASSERT_TRUE(rig.edit()->isVisible());
    EXPECT_EQ(rig.edit()->windowTitle(), "文件导入缓存区编辑");
    EXPECT_FALSE(rig.field(2)->isVisible());
    rig.session->Buffer.Selection = {1, 1};  // a find's match in the old image
    rig.Ok({"20"});  // 200 bytes from 0x20 fit the 256-byte chip
    EXPECT_EQ(rig.session->Buffer.Selection, BufferSelection{});
    EXPECT_EQ(rig.session->Chip.PrjInfo.RamStartAddr, 0x20u);
    EXPECT_EQ(rig.ram().DataLen, 200u);
    EXPECT_TRUE(rig.window->windowTitle().endsWith("    " + url("image.bin").toLocalFile()));
    EXPECT_EQ(rig.Panel(1), "CheckSum:0x00004DBC");  // 0 + 1 + ... + 199

    // A file without data is refused with the reason; the buffer keeps the image.
    rig.folder.WriteBytes("empty.hex", ":00000001FF\n");
    Drop(rig, {url("empty.hex")});
    rig.Ok({});
    ASSERT_EQ(rig.messages.size(), 2u);
    EXPECT_TRUE(rig.messages[1].contains("文件中没有数据")) << rig.messages[1].toStdString();
    EXPECT_EQ(rig.ram().DataLen, 200u);
    EXPECT_EQ(rig.ram().Data[199], 199);
}

TEST(BufferDialogs, TwoFilesMergeWithTheGapFilled) {
    DialogRig rig;
    ASSERT_TRUE(rig.Start());
    ScratchFolder files;
    const auto a = files.Write("a.bin", std::vector<uint8_t>(0x100, 0x11));
    const auto b = files.Write("b.bin", std::vector<uint8_t>(0x80, 0x22));
    const auto out = files / "merged.bin";
    std::vector<QString> answers{QString::fromStdString(a.string()), QString::fromStdString(b.string()),
                                 QString::fromStdString(out.string())};
    rig.window->messages().SetFilePresenter([&](bool, const QString&, const QString&, const QString&, const QString&) {
        QString answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    rig.Trigger("Menu_File_MenuMerge");
    auto* form = rig.window->findChild<gui::FileCombinForm*>("TfrmFileCombin");
    ASSERT_TRUE(form->isVisible());
    auto* add = form->findChild<QPushButton*>("btnMergeAddFile");
    add->click();
    add->click();
    auto* grid = form->findChild<QTableWidget*>("sgFileCombin");
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(1, 2)->text(), "00000100");
    EXPECT_EQ(grid->item(1, 3)->text(), "0000017F");
    EXPECT_FALSE(grid->item(1, 3)->flags() & Qt::ItemIsEditable);

    grid->editItem(grid->item(1, 2));
    auto* editor = grid->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "0000020");
    EXPECT_EQ(grid->item(1, 3)->text(), "0000009F");  // follows each keystroke
    QTest::keyClicks(editor, "0");
    EXPECT_EQ(grid->item(1, 3)->text(), "0000027F");
    QTest::keyClick(editor, Qt::Key_Return);

    form->findChild<QPushButton*>("btnMergeMergeFile")->click();
    rig.WaitIdle();
    std::vector<uint8_t> expected(0x100, 0x11);
    expected.resize(0x200, 0xFF);
    expected.resize(0x280, 0x22);
    EXPECT_EQ(ReadBytes(out), expected);
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0], "文件合并完成！");
}

// Edits no file holds, then Open: Save writes them through the save dialog
// and goes on to open, Discard opens at once, Cancel keeps everything.
TEST(BufferDialogs, UnsavedEditsAskSaveDiscardOrCancelBeforeAnOpen) {
    struct Case {
        SaveChoice answer;
        bool saved, opened;
    };
    const Case cases[] = {{SaveChoice::Save, true, true}, {SaveChoice::Discard, false, true},
                          {SaveChoice::Cancel, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        DialogRig rig;
        ASSERT_TRUE(rig.Start());  // 24C02: 256 bytes of FF
        ScratchFolder files;
        const auto image = files.Write("image.bin", std::vector<uint8_t>(256, 0x5A));
        const auto saved = files / "edits.bin";
        std::vector<QString> asked;
        rig.window->messages().SetSaveChoicePresenter([&](const QString& text) {
            asked.push_back(text);
            return c.answer;
        });
        rig.window->messages().SetFilePresenter([&](bool save, const QString&, const QString&, const QString&,
                                                    const QString&) {
            return QString::fromStdString((save ? saved : image).string());
        });
        rig.Trigger("MenuBufferFill");
        rig.Ok({"0", "10", "AB"});
        rig.Trigger("Menu_File_Open");
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_TRUE(asked[0].contains("保存")) << asked[0].toStdString();
        EXPECT_EQ(std::filesystem::exists(saved), c.saved);
        if (c.saved) {
            EXPECT_EQ(ReadBytes(saved).at(0x0F), 0xAB);
        }
        EXPECT_EQ(rig.ram().Data[0], c.opened ? 0x5A : 0xAB);
        EXPECT_EQ(rig.window->windowTitle().startsWith("*"), !c.opened);
    }
}

// The open dialog lists every supported extension first and opens, the next
// time and in the next run, with the filter the person chose last.
TEST(BufferDialogs, TheOpenDialogOffersAllSupportedFilesAndRemembersTheFilterChosen) {
    DialogRig rig;
    ASSERT_TRUE(rig.Start());
    ScratchFolder files;
    const auto image = files.Write("image.hex", ":0100000042BD\n:00000001FF\n");
    std::vector<QString> offered, preselected;
    QString choice;
    rig.window->messages().SetFilePresenter([&](bool, const QString&, const QString& filter, const QString&,
                                                const QString&) {
        offered.push_back(filter);
        preselected.push_back(rig.window->messages().selectedFilter());
        rig.window->messages().selectedFilter() = choice;  // the person picks a filter
        return QString::fromStdString(image.string());
    });
    choice = "Hex File (*.hex)";
    rig.Trigger("Menu_File_Open");
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_TRUE(offered[0].startsWith("所有支持的文件 (*.bin *.cap *.hex")) << offered[0].toStdString();
    EXPECT_EQ(preselected[0], offered[0].section(";;", 0, 0));
    EXPECT_EQ(rig.ram().Data[0], 0x42);

    rig.Trigger("Menu_File_Open");
    EXPECT_EQ(preselected.back(), "Hex File (*.hex)");

    // The next run reads it from the settings.
    ASSERT_TRUE(SaveSettings(*rig.session));
    EXPECT_SAYS(rig.folder.ReadGbk("dev.ini"), "*.hex");
    rig.window->messages().SetRememberedFilter("*.*");
    LoadSettings(*rig.session);
    rig.WaitIdle();
    rig.Trigger("Menu_File_Open");
    EXPECT_EQ(preselected.back(), "Hex File (*.hex)");
}

}  // namespace
}  // namespace tq::testing
