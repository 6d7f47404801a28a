// The whole window in one language: every dialog opened and every operation
// run once over the simulator, and every text a person could see collected
// on the way (titles, captions, items, headers, tooltips, status bar, logs,
// message boxes, file dialog titles). English shows no Chinese; Traditional
// Chinese shows nothing that only the Simplified texts have.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>

#include <fstream>
#include <set>
#include <sstream>

#include "core/base/text_encoding.h"
#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"
#include "gui/project_dialog.h"
#include "gui/update_dialog.h"
#include "gui_rig.h"
#include "support/firmware_package_builder.h"

namespace tq::testing {
namespace {

struct Shown {
    QString where, text;
};

QString Where(const QObject* object) {
    QString path;
    for (; object; object = object->parent()) {
        const QString name = object->objectName().isEmpty() ? object->metaObject()->className() : object->objectName();
        path = path.isEmpty() ? name : name + "/" + path;
        if (object->isWidgetType() && static_cast<const QWidget*>(object)->isWindow()) break;
    }
    return path;
}

// What one widget shows: its own texts and those of its actions.
void CollectFrom(QWidget* w, std::vector<Shown>& out) {
    const auto add = [&](const QObject* at, const char* what, const QString& text) {
        if (!text.isEmpty()) out.push_back({Where(at) + " " + what, text});
    };
    if (w->isWindow()) add(w, "title", w->windowTitle());
    add(w, "tooltip", w->toolTip());
    if (auto* label = qobject_cast<QLabel*>(w)) add(w, "text", label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) add(w, "text", button->text());
    if (auto* group = qobject_cast<QGroupBox*>(w)) add(w, "title", group->title());
    if (auto* edit = qobject_cast<QLineEdit*>(w)) add(w, "placeholder", edit->placeholderText());
    if (auto* menu = qobject_cast<QMenu*>(w)) add(w, "title", menu->title());
    if (auto* log = qobject_cast<QTextEdit*>(w)) add(w, "log", log->toPlainText());
    if (auto* log = qobject_cast<QPlainTextEdit*>(w)) add(w, "log", log->toPlainText());
    if (auto* combo = qobject_cast<QComboBox*>(w))
        for (int i = 0; i < combo->count(); ++i) add(w, "item", combo->itemText(i));
    if (auto* tabs = qobject_cast<QTabWidget*>(w))
        for (int i = 0; i < tabs->count(); ++i) add(w, "tab", tabs->tabText(i));
    if (auto* view = qobject_cast<QAbstractItemView*>(w); view && view->model() && !qobject_cast<QHeaderView*>(w))
        for (int i = 0; i < view->model()->columnCount(); ++i)
            add(w, "header", view->model()->headerData(i, Qt::Horizontal).toString());
    for (QAction* action : w->actions()) {
        add(action, "action", action->text());
        add(action, "action tooltip", action->toolTip());
    }
}

// Everything on screen now; menus count whether or not they are open.
void CollectScreen(std::vector<Shown>& out) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible()) continue;
        QList<QWidget*> widgets = top->findChildren<QWidget*>();
        widgets.prepend(top);
        for (QWidget* w : widgets)
            if (w->isVisible() || qobject_cast<QMenu*>(w)) CollectFrom(w, out);
    }
}

// Drives the window through every dialog and operation and returns what it showed.
struct Tour : GuiRig {
    std::vector<Shown> shown;
    std::string answerFile;

    Tour() {
        window->messages().SetFilePresenter([this](bool, const QString& title, const QString& filter, const QString&,
                                                   const QString&) {
            shown.push_back({"file dialog title", title});
            shown.push_back({"file dialog filter", filter});
            return QString::fromStdString(answerFile);
        });
    }
    void Look() {
        for (const QString& message : messages) shown.push_back({"message box", message});
        messages.clear();
        CollectScreen(shown);
    }
    void Do(const char* action) {
        Trigger(action);
        Look();
    }
    void Press(QWidget* dialog, const char* button) {
        if (auto* pressed = dialog ? dialog->findChild<QAbstractButton*>(button) : nullptr) pressed->click();
        WaitIdle();
        Look();
    }

    std::vector<Shown> Run(const char* languageItem) {
        answerYes = true;
        window->show();
        if (!StartWithGD25Q64Selected()) ADD_FAILURE() << "the window did not start";
        Do(languageItem);
        const std::string dataFile = (folder.path() / "data.bin").string();
        folder.WriteBytes("data.bin", std::string(4096, '\x5A'));

        answerFile = dataFile;
        Do("Menu_File_Open");
        for (const char* operation :
             {"MenuChipDetect", "MenuErase", "MenuBlankCheck", "MenuWrite", "MenuRead", "MenuVerify", "MenuAuto", "MenuSelfCheck"})
            Do(operation);
        answerFile = (folder.path() / "saved.bin").string();
        Do("Menu_File_Save");
        Do("Menu_File_SaveAs");

        Do("Menu_About");
        for (const char* tool : {"MenuBufferFill", "MenuBufferFind", "MenuBufferGoto"}) {
            Do(tool);
            // A value that is no number: refused with a message box.
            if (auto* value = window->findChild<QLineEdit*>("lbeInputValue1")) value->setText("G1");
            Press(window.get(), "btnFileInportOK");
        }
        Do("Menu_File_MenuMerge");
        answerFile = dataFile;  // added twice, then merged into merged.bin
        Press(window.get(), "btnMergeAddFile");
        Press(window.get(), "btnMergeAddFile");
        answerFile = (folder.path() / "merged.bin").string();
        Press(window.get(), "btnMergeMergeFile");
        Press(window.get(), "sbChipFind");
        Do("MenuAddChip");
        Do("MenuAutoSel");
        Do("MenuHardInfo");

        Do("MenuPrjOffline");
        answerFile = dataFile;
        Press(window->projectDialog(), "Button2");
        Press(window->projectDialog(), "btnDownLoadPrj");
        if (window->projectDialog()) window->projectDialog()->close();

        const std::string package = (folder.path() / "fw.tqmv").string();
        FirmwarePackage(SampleImage(600)).WriteTo(package);
        answerFile = package;
        Do("MenuFirmUpdate");
        Do("MenuFirmUpdateFolder");
        Press(window->updateDialog(), "btnStartIAP");  // no iap folder yet: refused
        std::filesystem::create_directories(folder.path() / "iap");
        FirmwarePackage(SampleImage(500)).WriteTo((folder.path() / "iap" / "TQM7-000103.iap").string());
        Do("MenuFirmUpdateFolder");
        Press(window->updateDialog(), "btnStartIAP");
        // The dialog closes when the update is done; its log was on screen until then.
        if (window->updateDialog()) shown.push_back({"TfrmUpdate log", window->updateDialog()->log()->toPlainText()});
        return shown;
    }
};

bool HasCjk(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF)) return true;
    }
    return false;
}

// Ideographs that occur in the Simplified Chinese texts (catalogue, built-in
// defaults, CN.ini) and in no Traditional Chinese text (catalogue, TC.ini).
std::set<char16_t> SimplifiedOnlyCharacters(const std::filesystem::path& folder) {
    const auto fileText = [&](const char* name) {
        std::ifstream in(folder / name, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return QString::fromStdString(GbkToUtf8(bytes.str()));
    };
    QString simplified = fileText("CN.ini"), traditional = fileText("TC.ini");
    for (size_t i = 0; i < TextCount(); ++i) {
        simplified += QString::fromStdString(Text(0, static_cast<TextId>(i)));
        traditional += QString::fromStdString(Text(1, static_cast<TextId>(i)));
    }
    for (const LanguageField& field : LanguageFields()) simplified += field.fallback;
    for (const DirectCaption& caption : DirectCaptions()) simplified += caption.fallback;
    for (const DialogText& text : DialogTexts()) simplified += text.fallback;
    std::set<char16_t> only;
    for (const QChar c : simplified)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF && !traditional.contains(c)) only.insert(c.unicode());
    return only;
}

// Each (place, text) once, so that one wrong caption is one failure.
std::set<std::pair<std::string, std::string>> Distinct(const std::vector<Shown>& shown) {
    std::set<std::pair<std::string, std::string>> distinct;
    for (const Shown& s : shown) distinct.insert({s.where.toStdString(), s.text.toStdString()});
    return distinct;
}

TEST(WindowLanguage, EveryTextOfEveryDialogAndOperationIsInTheChosenLanguage) {
    {
        Tour english;
        const auto shown = Distinct(english.Run("Menu_Settings_Lang_EN"));
        ASSERT_GT(shown.size(), 200u);
        for (const auto& [where, text] : shown)
            EXPECT_FALSE(HasCjk(QString::fromStdString(text))) << "English window, " << where << ": " << text;
    }
    Tour traditional;
    const std::set<char16_t> simplifiedOnly = SimplifiedOnlyCharacters(traditional.folder.path());
    ASSERT_GT(simplifiedOnly.size(), 50u);
    const auto shown = Distinct(traditional.Run("Menu_Settings_Lang_TC"));
    ASSERT_GT(shown.size(), 200u);
    for (const auto& [where, text] : shown) {
        QString found;
        for (const QChar c : QString::fromStdString(text))
            if (simplifiedOnly.count(c.unicode())) found += c;
        EXPECT_TRUE(found.isEmpty()) << "Traditional Chinese window, " << where << ": " << text
                                     << " (Simplified only: " << found.toStdString() << ")";
    }
}

}  // namespace
}  // namespace tq::testing
