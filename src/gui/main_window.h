// The main window TfrmMain: menus and tool buttons, the chip selection
// frame, the socket pictures, the progress pair, the status bar and the
// place of the hex view. Every command runs its engine handler on the
// worker; while one runs the window is busy: commands that could touch the
// buffer, the chip, the settings or the link are disabled and Stop is shown.
#pragma once

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

#include "core/app/startup.h"
#include "core/base/views.h"
#include "core/buffer/caption_view.h"
#include "core/chipdb/chip_row.h"
#include "gui/gui_thread_views.h"
#include "gui/log_panel.h"
#include "gui/message_boxes.h"
#include "gui/session_worker.h"

namespace tq {
class Session;
class SimProgrammer;
struct CompareDocument;
}  // namespace tq

namespace tq::gui {

class AutoOptionsDialog;
class BackupsDialog;
class ChipFindDialog;
class ChipFrameWidget;
class CompareView;
class HexViewWidget;
class FileCombinForm;
class FileEditForm;
class HardInfoDialog;
class ChecksumDialog;
class UserChipDialogWidget;
class ProgressIndicator;
class ProjectDialog;
class ProductionWindow;
class UpdateDialog;
class SocketPictureWidget;
class StatusPanels;
class SimulatorMenu;
class WindowFit;

// The window's views as the session worker reaches them.
struct WorkerViews {
    Marshalled<MessageView> messages;
    Marshalled<FileDialogView> fileDialog;
    LoggedStatusBar statusBar;
    Marshalled<ProgressView> progress;
    Marshalled<HexView> hexView;
    Marshalled<ChipFrameView> chipFrame;
    Marshalled<CaptionView> caption;
};

class MainWindow final : public QMainWindow, public CaptionView {
    Q_OBJECT
public:
    // `simulator`: the simulated programmer behind the session, or null.
    MainWindow(Session& session, SimProgrammer* simulator, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up once the views are wired: `start` runs the engine's start-up
    // (on this thread: nothing else runs yet). False when the program must
    // end (the chip database is missing); the message has been shown.
    using StartFunction = std::function<bool(StartupResult&, std::string& error)>;
    bool Start(const StartFunction& start);

    void SetCaption(const std::string& text) override;
    // Opens `path` on the worker as the open command opens a chosen file.
    void OpenFile(const QString& path);
    HexViewWidget& hexView() { return *hexView_; }

    SessionWorker& worker() { return *worker_; }
    MessageBoxes& messages() { return *messages_; }
    StatusPanels& statusPanels() { return *status_; }
    LogPanel& logPanel() { return *logPanel_; }
    ProgressIndicator& progress() { return *progress_; }
    ChipFrameWidget& chipFrame() { return *chipFrame_; }
    bool busy() const { return busy_; }
    int language() const { return language_; }  // as last applied
    QTimer* timerScan() const { return timerScan_; }

    // The commands by control name: menu items (QAction) and tool buttons.
    QAction* action(const QString& name) const { return actions_.value(name); }
    // The offline project and firmware update dialogs, once first opened.
    ProjectDialog* projectDialog() const { return projectDialog_; }
    BackupsDialog* backupsDialog() const { return backups_; }
    UpdateDialog* updateDialog() const { return updateDialog_; }

    // The production view the Program menu opens; made once the session is up.
    void SetProductionWindow(ProductionWindow* window);
    ProductionWindow* productionWindow() const { return production_; }

signals:
    void busyChanged(bool busy);
    void languageApplied(int language);

public slots:
    // One presence poll step on the worker, unless something runs.
    void TimerForMassProduct();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Files dropped on the window go to the import dialog.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    enum class Kind { Operation, Command };  // an operation shows Stop
    void BuildLayout();
    void BuildMenus();
    void BuildToolBar();
    // One row of tool groups where the screen is wide enough; the groups that
    // do not fit (long captions of some languages) move to a second row.
    void ArrangeToolBar();
    QAction* AddAction(QMenu* menu, const char* name, void (MainWindow::*slot)(),
                       const QKeySequence& shortcut = {});
    QToolButton* AddToolButton(QLayout* group, const char* name, const char* actionName);
    void WireViews();

    // Runs `job` on the worker as a command (after a poll step still there);
    // refused with a message while another command runs.
    bool RunCommand(Kind kind, Job job);
    void SetBusy(bool busy, Kind kind);
    void ApplyLanguage(const struct LanguageApplied& applied);
    void ApplyCaption(const QString& control, const QString& text);
    // The caption, with "*" in front while the buffer holds unsaved changes.
    void SetTitle(const QString& caption);
    void ShowSocketPicture(tq::SocketPicture picture);
    void Guard(const char* what, const std::function<void()>& slot);

    // Command handlers, named after the engine's.
    void sbOpenFileClick();
    void Menu_File_SaveAsClick();
    void Menu_File_ExitClick();
    void sbSwitchClick();
    void sbAutoClick();
    void MenuProductionClick();
    void sbBlankCheckClick();
    void sbEraseClick();
    void sbWriteClick();
    void sbReadClick();
    void sbVerifyClick();
    void MenuReadTwiceClick();
    void sbDetectClick();
    void sbChipDetectClick();
    void sbChipFindClick();
    void sbStopClick();
    void MenuSelfCheckClick();
    void MenuHardInfoClick();
    // Offline project and firmware update (main_window_project_firmware.cpp).
    void MenuPrjOfflineClick();
    void ProjectButton2Click();
    void ProjectDownloadClick();
    void ProjectFormClose();
    void MenuFirmUpdateClick();
    void MenuFirmUpdateFolderClick();
    void UpdateStartClick();
    void RetranslateProjectFirmware();
    void ShowBusyRefusal();
    // The buffer dialogs (main_window_buffer_dialogs.cpp).
    void BuildBufferDialogs();
    void MenuBufferFillClick();
    void MenuBufferFindClick();
    void MenuBufferFindNextClick();
    void MenuBufferGotoClick();
    void btnFileInportOKClick();
    void Menu_File_MenuMergeClick();
    void btnMergeMergeFileClick();

    // The chip search, user chip, auto option and hardware information
    // dialogs (main_window_chip_dialogs.cpp), each made on first use.
    void MenuAddChipClick();
    void MenuAutoSelClick();
    void OpenChipSearch(const std::vector<ChipRow>& candidates);
    // The run counters as the session holds them, for the window's thread.
    GuiStep ShowCountersStep(const Session& session);
    void FollowChipFrameCounters();
    ChipFindDialog& ChipFind();
    UserChipDialogWidget& UserChips();
    void SelectLanguage(int index);
    void Menu_AboutClick();
    void sbHelpClick();
    // The View menu: the log panel (main_window_menus.cpp).
    void SaveLogClick();
    void RetranslateViewMenu();
    // Backups and the blank check before writing (main_window_backups.cpp).
    void BuildOptionsMenu();
    void MenuBackupsClick();
    void RetranslateBackupMenus();
    // The Options menu's checks as the settings read at start-up say.
    void ShowGuardOptions();
    // The Checksums dialog (main_window_checksums.cpp).
    void MenuBufferChecksumsClick();
    void ComputeChecksumsClick();
    // Buffer > Compare with Chip / with File (compare_commands.cpp).
    void MenuBufferCompareChipClick();
    void MenuBufferCompareFileClick();
    void RetranslateCompareMenu();
    void ShowCompare(const std::shared_ptr<CompareDocument>& document, int language);
    CompareView* compareView_ = nullptr;

    Session& session_;
    SimProgrammer* simulator_;
    SessionWorker* worker_;
    std::unique_ptr<WorkerViews> workerViews_;  // what the session's views point at
    MessageBoxes* messages_;
    StatusPanels* status_;
    LogPanel* logPanel_;
    ProgressIndicator* progress_;
    ChipFrameWidget* chipFrame_;
    HexViewWidget* hexView_;
    SocketPictureWidget* socketPinout_;
    SocketPictureWidget* socket18V_;
    SimulatorMenu* simulatorMenu_ = nullptr;
    WindowFit* fit_ = nullptr;  // the window's minimum and place on the screen
    ProjectDialog* projectDialog_ = nullptr;
    UpdateDialog* updateDialog_ = nullptr;
    FileEditForm* fileEdit_ = nullptr;
    FileCombinForm* fileCombin_ = nullptr;
    ChipFindDialog* chipFind_ = nullptr;
    UserChipDialogWidget* userChips_ = nullptr;
    AutoOptionsDialog* autoOptions_ = nullptr;
    HardInfoDialog* hardInfo_ = nullptr;
    BackupsDialog* backups_ = nullptr;
    ChecksumDialog* checksums_ = nullptr;
    ProductionWindow* production_ = nullptr;
    QTimer* timerScan_;
    QHash<QString, QAction*> actions_;
    QList<QObject*> busyDisabled_;  // commands off while busy
    QAction* stopAction_ = nullptr;
    QToolButton* stopButton_ = nullptr;
    QMenu* languageMenu_ = nullptr;
    QHBoxLayout* toolRows_[2] = {};
    QList<QGroupBox*> toolGroups_;
    bool busy_ = false;
    bool closeWhenIdle_ = false;  // "stop it?" was answered yes while closing
    bool modified_ = false;     // the buffer differs from the last file opened, read or saved
    QString caption_;           // the caption without the modified marker
    int language_ = 0;          // the session's Language, as last applied
    QString dbVersion_;         // for the About box
    QString title_;             // MainSoftWareInfo with the version
};

}  // namespace tq::gui
