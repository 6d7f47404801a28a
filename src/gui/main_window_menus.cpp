// The main window's menus and tool buttons: names, shortcuts and the
// handler each calls. Captions come from the language texts.
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <climits>

#include "core/app/language_menu.h"
#include "core/texts/text_catalogue.h"
#include "gui/hex_view_widget.h"
#include "gui/main_window.h"
#include "gui/simulator_menu.h"

namespace tq::gui {

QAction* MainWindow::AddAction(QMenu* menu, const char* name, void (MainWindow::*slot)(),
                               const QKeySequence& shortcut) {
    auto* action = new QAction(name, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, slot, name] { Guard(name, [this, slot] { (this->*slot)(); }); });
    if (menu) menu->addAction(action);
    actions_.insert(name, action);
    busyDisabled_ << action;
    return action;
}

QToolButton* MainWindow::AddToolButton(QLayout* group, const char* name, const char* actionName) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    // Never narrower than its caption, never spread out: the window's minimum follows.
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QAction* action = actions_.value(actionName);
    button->setIcon(action->icon());
    connect(button, &QToolButton::clicked, action, &QAction::trigger);
    group->addWidget(button);
    busyDisabled_ << button;
    return button;
}

void MainWindow::BuildMenus() {
    QMenuBar* bar = menuBar();
    auto menu = [&](const char* name) {
        QMenu* m = bar->addMenu(name);
        m->setObjectName(name);
        return m;
    };
    QStyle* s = style();

    QMenu* file = menu("Menu_File");
    AddAction(file, "Menu_File_Open", &MainWindow::sbOpenFileClick, QKeySequence::Open)
        ->setIcon(s->standardIcon(QStyle::SP_DialogOpenButton));
    AddAction(file, "Menu_File_Save", &MainWindow::Menu_File_SaveAsClick, QKeySequence(Qt::CTRL | Qt::Key_S))
        ->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    AddAction(file, "Menu_File_SaveAs", &MainWindow::Menu_File_SaveAsClick,
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    AddAction(file, "Menu_File_MenuMerge", &MainWindow::Menu_File_MenuMergeClick);
    AddAction(file, "MenuBackups", &MainWindow::MenuBackupsClick);
    file->addSeparator();
    QAction* exit = AddAction(file, "Menu_File_Exit", &MainWindow::Menu_File_ExitClick, QKeySequence(Qt::CTRL | Qt::Key_Q));
    busyDisabled_.removeOne(exit);  // closing asks to stop first

    QMenu* buffer = menu("MenuBuffer");
    AddAction(buffer, "MenuBufferFill", &MainWindow::MenuBufferFillClick)
        ->setIcon(s->standardIcon(QStyle::SP_FileDialogDetailedView));
    AddAction(buffer, "MenuBufferFind", &MainWindow::MenuBufferFindClick, QKeySequence::Find);
    AddAction(buffer, "MenuBufferFindNext", &MainWindow::MenuBufferFindNextClick, Qt::Key_F3);
    AddAction(buffer, "MenuBufferGoto", &MainWindow::MenuBufferGotoClick);
    AddAction(buffer, "MenuBufferSwich", &MainWindow::sbSwitchClick)
        ->setIcon(s->standardIcon(QStyle::SP_MediaSeekForward));
    buffer->addSeparator();
    for (QAction* step : hexView_->historyActions()) {  // Undo, Redo: the hex view owns their keys
        buffer->addAction(step);
        actions_.insert(step->objectName(), step);
        busyDisabled_ << step;
    }
    buffer->addSeparator();
    AddAction(buffer, "MenuBufferCompareChip", &MainWindow::MenuBufferCompareChipClick);
    AddAction(buffer, "MenuBufferCompareFile", &MainWindow::MenuBufferCompareFileClick);
    AddAction(buffer, "MenuBufferChecksums", &MainWindow::MenuBufferChecksumsClick);

    QMenu* program = menu("MenuProgram");
    AddAction(program, "MenuAuto", &MainWindow::sbAutoClick, Qt::Key_F11)->setIcon(s->standardIcon(QStyle::SP_MediaPlay));
    AddAction(program, "MenuBlankCheck", &MainWindow::sbBlankCheckClick, Qt::Key_F6)
        ->setIcon(s->standardIcon(QStyle::SP_FileIcon));
    AddAction(program, "MenuErase", &MainWindow::sbEraseClick, Qt::Key_F5)->setIcon(s->standardIcon(QStyle::SP_TrashIcon));
    AddAction(program, "MenuWrite", &MainWindow::sbWriteClick, Qt::Key_F7)->setIcon(s->standardIcon(QStyle::SP_ArrowDown));
    AddAction(program, "MenuRead", &MainWindow::sbReadClick, Qt::Key_F8)->setIcon(s->standardIcon(QStyle::SP_ArrowUp));
    AddAction(program, "MenuVerify", &MainWindow::sbVerifyClick, Qt::Key_F9)
        ->setIcon(s->standardIcon(QStyle::SP_DialogApplyButton));
    AddAction(program, "MenuReadTwice", &MainWindow::MenuReadTwiceClick);
    AddAction(program, "MenuChipDetect", &MainWindow::sbDetectClick, Qt::Key_F12)
        ->setIcon(s->standardIcon(QStyle::SP_FileDialogContentsView));
    stopAction_ = AddAction(program, "MenuStop", &MainWindow::sbStopClick, Qt::Key_Escape);
    stopAction_->setIcon(s->standardIcon(QStyle::SP_MediaStop));
    busyDisabled_.removeOne(stopAction_);
    stopAction_->setEnabled(false);
    program->addSeparator();
    AddAction(program, "MenuAddChip", &MainWindow::MenuAddChipClick);
    AddAction(program, "MenuSelfCheck", &MainWindow::MenuSelfCheckClick);
    program->addSeparator();
    // The production view runs programmers of its own: open at any time.
    busyDisabled_.removeOne(AddAction(program, "MenuProduction", &MainWindow::MenuProductionClick));

    AddAction(nullptr, "MenuAutoSel", &MainWindow::MenuAutoSelClick);
    bar->addAction(actions_.value("MenuAutoSel"));
    // Kept visible: the editor is reachable in every run.
    AddAction(nullptr, "MenuPrjOffline", &MainWindow::MenuPrjOfflineClick);
    bar->addAction(actions_.value("MenuPrjOffline"));

    QMenu* hardware = menu("MenuHardWare");
    // Drawn as vectors: the style's drive icon has no pixmap for scale 2.
    AddAction(hardware, "MenuHardInfo", &MainWindow::MenuHardInfoClick)->setIcon(QIcon(":/tqprog/hardware_info.svg"));
    AddAction(hardware, "MenuFirmUpdate", &MainWindow::MenuFirmUpdateClick)
        ->setIcon(s->standardIcon(QStyle::SP_BrowserReload));
    AddAction(hardware, "MenuFirmUpdateFolder", &MainWindow::MenuFirmUpdateFolderClick);

    languageMenu_ = menu("Menu_Language");
    // Named in the current language when the language is applied.
    for (const LanguageMenuEntry& entry : LanguageMenuEntries(language_)) {
        const int i = entry.language;
        auto* item = new QAction(this);
        item->setObjectName(QString::fromStdString(entry.control));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, i, item] {
            // The engine moves the check mark; Qt's own toggle must not.
            item->setChecked(!item->isChecked());
            Guard("language", [this, i] { SelectLanguage(i); });
        });
        languageMenu_->addAction(item);
        actions_.insert(item->objectName(), item);
        busyDisabled_ << item;
    }

    if (simulator_) {
        simulatorMenu_ = new SimulatorMenu(*simulator_, *worker_, *status_, this);
        bar->addMenu(simulatorMenu_);
    }

    BuildOptionsMenu();

    // The log panel: shown or hidden here, saved as text; neither touches the session.
    QMenu* view = menu("MenuView");
    QAction* showLog = logPanel_->toggleViewAction();
    showLog->setObjectName("MenuViewLog");
    view->addAction(showLog);
    actions_.insert("MenuViewLog", showLog);
    AddAction(view, "MenuSaveLog", &MainWindow::SaveLogClick);
    busyDisabled_.removeOne(actions_.value("MenuSaveLog"));

    QMenu* help = menu("MenuHelp");
    AddAction(help, "MenuDataSheet", &MainWindow::sbHelpClick, QKeySequence::HelpContents)
        ->setIcon(s->standardIcon(QStyle::SP_MessageBoxQuestion));
    AddAction(help, "Menu_About", &MainWindow::Menu_AboutClick)->setIcon(s->standardIcon(QStyle::SP_MessageBoxInformation));
    // Neither touches the session: usable while an operation runs.
    busyDisabled_.removeOne(actions_.value("MenuDataSheet"));
    busyDisabled_.removeOne(actions_.value("Menu_About"));

    // The tool buttons, built before the menus existed, follow their actions now.
    const char* buttons[][2] = {{"sbOpenFile", "Menu_File_Open"}, {"sbSaveFile", "Menu_File_Save"},
                                {"sbBufferFill", "MenuBufferFill"}, {"sbSwitch", "MenuBufferSwich"},
                                {"sbAuto", "MenuAuto"},           {"sbBlankCheck", "MenuBlankCheck"},
                                {"sbErase", "MenuErase"},         {"sbWrite", "MenuWrite"},
                                {"sbRead", "MenuRead"},           {"sbVerify", "MenuVerify"},
                                {"sbDetect", "MenuChipDetect"},   {"sbStop", "MenuStop"},
                                {"sbVersion", "MenuHardInfo"},    {"sbUpdate", "MenuFirmUpdate"},
                                {"sbHelp", "MenuDataSheet"},      {"sbAbout", "Menu_About"}};
    for (const auto& [button, actionName] : buttons) {
        auto* group = qobject_cast<QWidget*>(findChild<QObject*>(QString("ToolGroupOf_") + button)->parent());
        QToolButton* made = AddToolButton(group->layout(), button, actionName);
        if (made->objectName() == "sbHelp" || made->objectName() == "sbAbout") busyDisabled_.removeOne(made);
    }
    stopButton_ = findChild<QToolButton*>("sbStop");
    busyDisabled_.removeOne(stopButton_);
    stopButton_->hide();
}

void MainWindow::SaveLogClick() { logPanel_->SaveLog(); }

void MainWindow::RetranslateViewMenu() {
    findChild<QMenu*>("MenuView")->setTitle(QString::fromStdString(Text(language_, TextId::ViewMenuTitle)) + "(&V)");
    actions_.value("MenuSaveLog")->setText(QString::fromStdString(Text(language_, TextId::SaveLogCommand)) + "(&S)");
}

// Five group boxes along the top; BuildMenus puts the buttons into them.
void MainWindow::BuildToolBar() {
    auto* row = new QWidget(this);
    row->setObjectName("ToolBarRow");
    auto* rows = new QVBoxLayout(row);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(3);
    for (QHBoxLayout*& line : toolRows_) {
        line = new QHBoxLayout;
        line->setSpacing(3);
        line->addStretch(1);  // a wider window leaves the groups packed at the left
        rows->addLayout(line);
    }
    const std::vector<std::pair<const char*, std::vector<const char*>>> groups{
        {"gbToolFile", {"sbOpenFile", "sbSaveFile"}},
        {"gbToolBuffer", {"sbBufferFill", "sbSwitch"}},
        {"gbToolOperation", {"sbAuto", "sbBlankCheck", "sbErase", "sbWrite", "sbRead", "sbVerify", "sbDetect", "sbStop"}},
        {"gbToolFirmware", {"sbVersion", "sbUpdate"}},
        {"gbToolHelp", {"sbHelp", "sbAbout"}}};
    for (const auto& [name, buttons] : groups) {
        auto* group = new QGroupBox(row);
        group->setObjectName(name);
        auto* inner = new QHBoxLayout(group);
        inner->setContentsMargins(2, 2, 2, 2);
        inner->setSpacing(1);
        // Each button finds its group by this name.
        for (const char* button : buttons) {
            auto* anchor = new QObject(group);
            anchor->setObjectName(QString("ToolGroupOf_") + button);
        }
        toolRows_[0]->insertWidget(toolRows_[0]->count() - 1, group);
        toolGroups_ << group;
    }
}

void MainWindow::ArrangeToolBar() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    // The content's margins and a window frame take the rest of the screen's width.
    const int room = screen ? screen->availableGeometry().width() - 32 : INT_MAX;
    int used = 0;
    for (QGroupBox* group : toolGroups_) {
        group->layout()->invalidate();
        used += group->sizeHint().width() + toolRows_[0]->spacing();
        QHBoxLayout* line = used <= room || group == toolGroups_.front() ? toolRows_[0] : toolRows_[1];
        if (line->indexOf(group) >= 0) continue;
        toolRows_[line == toolRows_[0] ? 1 : 0]->removeWidget(group);
        line->insertWidget(line->count() - 1, group);
    }
}

}  // namespace tq::gui
