// The chip search, user chip and auto option dialogs on the real window
// over the simulator.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QMenuBar>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QApplication>
#include <QTest>
#include <map>

#include "core/app/chip_selection.h"
#include "core/buffer/file_open_save.h"
#include "core/chipdb/chip_database.h"
#include "core/device/command_code.h"
#include "gui/auto_options_dialog.h"
#include "gui/hard_info_dialog.h"
#include "gui/chip_find_dialog.h"
#include "gui/chip_frame_widget.h"
#include "gui/user_chip_dialog.h"
#include "core/app/language_menu.h"
#include "gui_rig.h"
#include "support/fixture_languages.h"

namespace tq::testing {
namespace {

template <typename Widget>
Widget* Find(GuiRig& rig, const char* name) {
    auto* widget = rig.window->findChild<Widget*>(name);
    EXPECT_TRUE(widget) << name;
    return widget;
}

QString LabelText(QWidget* dialog, const char* name) { return dialog->findChild<QLabel*>(name)->text(); }

TEST(ChipDialogs, TheSearchNarrowsAsLettersAreTypedAndEnterSelectsTheFirstResult) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    Find<QPushButton>(rig, "sbChipFind")->click();
    auto* dialog = Find<gui::ChipFindDialog>(rig, "TfrmChipFind");
    ASSERT_TRUE(dialog->isVisible());
    auto* edit = dialog->findChild<QLineEdit*>("lbeChipFindContent");

    int previous = 1 << 30;
    QString typed;
    for (const char letter : std::string("GD25Q64")) {
        QTest::keyClick(edit, letter);
        rig.WaitIdle();
        typed += letter;
        const int rows = dialog->model().rowCount();
        EXPECT_GT(rows, 0) << typed.toStdString();
        EXPECT_LE(rows, previous) << typed.toStdString();
        for (int row = 0; row < rows; ++row)
            EXPECT_TRUE(dialog->model().index(row, 0).data().toString().contains(typed, Qt::CaseInsensitive));
        EXPECT_EQ(LabelText(dialog, "lbFindResult"), QString("共搜索到: %1").arg(rows));
        previous = rows;
    }
    EXPECT_LT(previous, rig.session->Chip.database().SearchQuery("G").size());

    const QString first = dialog->model().index(0, 0).data().toString();
    QTest::keyClick(edit, Qt::Key_Return);
    rig.WaitIdle();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(rig.window->chipFrame().combo(ChipList::Name)->currentText(), first);
    EXPECT_EQ(rig.session->Chip.PrjInfo.ChipName, first.toStdString());
    EXPECT_TRUE(rig.messages.empty());
}

// W25Q64FV answers EF4017, an ID several chips share: the search lists them
// and nothing is selected until the person picks one.
TEST(ChipDialogs, DetectingALookAlikeIdOpensTheSearchWithTheCandidates) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start("W25Q64FV"));
    rig.Poll();
    rig.Trigger("MenuChipDetect");
    auto* dialog = Find<gui::ChipFindDialog>(rig, "TfrmChipFind");
    ASSERT_TRUE(dialog->isVisible());
    const std::vector<ChipRow> candidates = rig.session->Chip.database().IdQuery("EF4017");
    ASSERT_GE(candidates.size(), 2u);
    ASSERT_EQ(dialog->model().rowCount(), static_cast<int>(candidates.size()));
    for (int row = 0; row < dialog->model().rowCount(); ++row)
        EXPECT_EQ(dialog->model().RowAt(row)->ChipID, "EF4017");
    EXPECT_EQ(LabelText(dialog, "lbFindResult"), QString("共搜索到: %1").arg(candidates.size()));
    EXPECT_EQ(rig.session->Chip.PrjInfo.ChipName, "24C02");

    auto* grid = dialog->findChild<QTableView*>("dbgChipFind");
    grid->selectRow(1);
    dialog->findChild<QPushButton*>("Button3")->click();
    rig.WaitIdle();
    EXPECT_EQ(rig.session->Chip.PrjInfo.ChipName, dialog->model().RowAt(1)->ChipName);
}

TEST(ChipDialogs, AUserChipIsAddedShownInTheFrameModifiedAndDeleted) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    ASSERT_TRUE(SelectChipByName(*rig.session, "GD25Q64"));
    rig.WaitIdle();
    rig.Trigger("MenuAddChip");
    auto* dialog = Find<gui::UserChipDialogWidget>(rig, "TfrmUserImportChip");
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(LabelText(dialog, "Label1"), "用户自定义型号        0");
    auto edit = [&](const char* name, const QString& text) { dialog->findChild<QLineEdit*>(name)->setText(text); };
    auto algorithm = [&](const QString& name) {
        dialog->findChild<QComboBox*>("cmbSuanFa")->setCurrentText(name);
        rig.WaitIdle();
    };
    auto press = [&](const char* button) {
        dialog->findChild<QPushButton*>(button)->click();
        rig.WaitIdle();
    };
    QComboBox* makers = rig.window->chipFrame().combo(ChipList::Manufacturer);
    QComboBox* names = rig.window->chipFrame().combo(ChipList::Name);

    edit("lbeChipName", "MY25Q64");
    edit("lbeManauf", "GIGADEVICE");
    edit("lbeChipID", "c84099");
    algorithm("W25Q64FV");
    EXPECT_EQ(dialog->findChild<QLineEdit*>("lbeCapcity")->text(), "8388608");
    press("btnAdd");
    EXPECT_EQ(LabelText(dialog, "Label1"), "用户自定义型号        1");
    EXPECT_EQ(dialog->findChild<QListWidget*>("ListBox1")->item(0)->text(), "MY25Q64");
    EXPECT_NE(names->findText("MY25Q64"), -1);  // the frame lists it at once
    EXPECT_EQ(names->currentText(), "GD25Q64");  // and keeps the chip it showed

    edit("lbeManauf", "ACME");
    algorithm("W25Q32FV");
    press("btnModify");
    const ChipRow modified = rig.session->Chip.database().UserRowQuery("MY25Q64").at(0);
    EXPECT_EQ(modified.ManufName, "ACME");
    EXPECT_EQ(modified.Capacity, 4194304);
    EXPECT_NE(makers->findText("ACME"), -1);
    EXPECT_EQ(names->findText("MY25Q64"), -1);

    press("btnDelete");
    EXPECT_EQ(LabelText(dialog, "Label1"), "用户自定义型号        0");
    EXPECT_EQ(makers->findText("ACME"), -1);
    EXPECT_TRUE(rig.session->Chip.database().ChipRowQuery("MY25Q64").empty());
    EXPECT_TRUE(rig.messages.empty());
}

TEST(ChipDialogs, UntickingEraseMakesTheAutoRunStartWithTheWrite) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start("24C02"));
    rig.Poll();
    rig.folder.WriteBytes("image.bin", std::string(256, '\x3C'));
    std::string error;
    ASSERT_TRUE(LoadDataFile(rig.session->Buffer, (rig.folder.path() / "image.bin").string(), error)) << error;
    rig.Trigger("MenuAutoSel");
    auto* dialog = Find<gui::AutoOptionsDialog>(rig, "TfrmAutoSel");
    ASSERT_TRUE(dialog->isVisible());
    QCheckBox* erase = dialog->box(gui::AutoOption::Erase);
    EXPECT_EQ(erase->text(), "擦除");
    ASSERT_TRUE(erase->isChecked());
    erase->click();
    rig.WaitIdle();
    EXPECT_EQ(rig.session->Chip.PrjInfo.Erase, 0);

    const size_t before = rig.sim.commandLog().size();
    rig.Trigger("MenuAuto");
    const std::vector<uint8_t> sent(rig.sim.commandLog().begin() + static_cast<ptrdiff_t>(before),
                                    rig.sim.commandLog().end());
    const auto firstStep = std::find_if(sent.begin(), sent.end(), [](uint8_t code) {
        return code == CMD_ERASE || code == CMD_WRITE;
    });
    ASSERT_NE(firstStep, sent.end());
    EXPECT_EQ(*firstStep, CMD_WRITE);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), CMD_ERASE), 0);
    EXPECT_EQ(rig.sim.chipMemory(), std::vector<uint8_t>(256, 0x3C));
}

// While a write holds the session the dialogs' commands are off, and one
// that slips through is refused with a message instead of nothing.
TEST(ChipDialogs, WhileAWriteRunsTheDialogsRefuseWithAMessage) {
    GuiRig rig;
    ASSERT_TRUE(rig.StartWithGD25Q64Selected());
    rig.Trigger("MenuAddChip");
    Find<QPushButton>(rig, "sbChipFind")->click();
    auto* search = Find<gui::ChipFindDialog>(rig, "TfrmChipFind");
    rig.folder.WriteBytes("image.bin", std::string(64 * 1024, '\x11'));
    std::string error;
    ASSERT_TRUE(LoadDataFile(rig.session->Buffer, (rig.folder.path() / "image.bin").string(), error)) << error;

    rig.volumes.HoldWrite(4);
    rig.window->action("MenuWrite")->trigger();
    ASSERT_TRUE(rig.WaitForHeldWrite());
    EXPECT_FALSE(search->findChild<QPushButton*>("Button3")->isEnabled());
    EXPECT_FALSE(search->findChild<QLineEdit*>("lbeChipFindContent")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(rig, "btnAdd")->isEnabled());
    emit search->selectRequested(rig.session->Chip.database().ChipRowQuery("W25Q64FV").at(0));
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0], "另一项操作正在进行，请等它结束后再试。");
    EXPECT_TRUE(search->isVisible());

    rig.volumes.Release();
    rig.WaitIdle();
    EXPECT_EQ(rig.session->Chip.PrjInfo.ChipName, "GD25Q64");
    EXPECT_TRUE(search->findChild<QPushButton*>("Button3")->isEnabled());
}

// The dialogs without buttons get one that closes them; values that cannot
// be typed over do not look like fields to type into.
TEST(ChipDialogs, TheAutoOptionsAndHardwareDialogsCloseByAButtonAndShowValuesReadOnly) {
    GuiRig rig;
    ASSERT_TRUE(rig.Start("24C02"));
    rig.Poll();
    for (const char* command : {"MenuAutoSel", "MenuHardInfo"}) {
        SCOPED_TRACE(command);
        rig.Trigger(command);
        QWidget* dialog = QApplication::activeModalWidget();
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible() && (top->objectName() == "TfrmAutoSel" || top->objectName() == "TfrmHardInfo"))
                dialog = top;
        ASSERT_TRUE(dialog);
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        ASSERT_TRUE(buttons);
        QPushButton* close = buttons->button(QDialogButtonBox::Close);
        ASSERT_TRUE(close);
        EXPECT_EQ(close->text(), "关闭");
        for (auto* field : dialog->findChildren<QLineEdit*>()) {
            EXPECT_TRUE(field->isReadOnly()) << field->objectName().toStdString();
            EXPECT_EQ(field->palette().color(QPalette::Base), field->palette().color(QPalette::Window));
        }
        close->click();
        EXPECT_FALSE(dialog->isVisible());
    }
    rig.Trigger("MenuAddChip");
    auto* capacity = Find<QLineEdit>(rig, "lbeCapcity");
    EXPECT_TRUE(capacity->isReadOnly());
    EXPECT_EQ(capacity->palette().color(QPalette::Base), capacity->palette().color(QPalette::Window));
}

// In every menu, in every language, Alt and a letter reach one command only;
// the title and the About box name the same product.
TEST(ChipDialogs, MnemonicsAreUniqueInEveryMenuAndOneProductNameIsShown) {
    // Every language: the built-in three and each translation shipped (the fixtures until there are any).
    const ScopedLanguages languages(ShippedOrFixtureLanguages());
    GuiRig rig;
    ASSERT_TRUE(rig.Start());
    const std::vector<LanguageMenuEntry> entries = LanguageMenuEntries(0);
    ASSERT_GT(entries.size(), 3u);
    for (const LanguageMenuEntry& entry : entries) {
        const char* language = entry.control.c_str();
        rig.Trigger(language);
        std::vector<QList<QAction*>> rows{rig.window->menuBar()->actions()};
        for (QMenu* menu : rig.window->findChildren<QMenu*>()) rows.push_back(menu->actions());
        for (const QList<QAction*>& row : rows) {
            std::map<QChar, QString> seen;
            for (QAction* action : row) {
                const QString text = action->menu() ? action->menu()->title() : action->text();
                const int amp = text.indexOf('&');
                if (amp < 0 || amp + 1 >= text.size()) continue;
                const QChar key = text.at(amp + 1).toUpper();
                EXPECT_FALSE(seen.count(key)) << language << ": " << text.toStdString() << " and "
                                              << seen[key].toStdString();
                seen[key] = text;
            }
        }
        rig.Trigger("Menu_About");
        QLabel* about = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == "TfrmAbout" && top->isVisible()) about = top->findChild<QLabel*>("lableSoftVer");
        ASSERT_TRUE(about);
        const QString product = about->text().section(' ', 0, 0);
        // A translation may put its word for "programmer" before the name.
        EXPECT_TRUE(entry.language < 3 ? rig.window->windowTitle().startsWith(product)
                                       : rig.window->windowTitle().contains(product))
            << rig.window->windowTitle().toStdString();
        const QLabel* licence = about->window()->findChild<QLabel*>("lblLicence");
        ASSERT_TRUE(licence);
        EXPECT_TRUE(licence->text().contains("GPL-3.0-or-later")) << licence->text().toStdString();
        about->window()->close();  // deletes itself on close
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

}  // namespace
}  // namespace tq::testing
