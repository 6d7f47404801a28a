#include "gui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QVBoxLayout>

#include "core/app/chip_detect.h"
#include "core/app/chip_selection.h"
#include "core/app/language_menu.h"
#include "core/app/presence_poll.h"
#include "core/app/session.h"
#include "core/app/window_close.h"
#include "core/buffer/buffer_tools.h"
#include "core/buffer/buffer_undo.h"
#include "core/buffer/file_open_save.h"
#include "core/operations/auto_sequence.h"
#include "core/operations/contact_check.h"
#include "core/operations/erase_blank.h"
#include "core/operations/hardware_info.h"
#include "core/operations/read_verify.h"
#include "core/operations/write.h"
#include "core/texts/language.h"
#include "gui/gui_font.h"
#include "core/texts/text_catalogue.h"
#include "gui/about_dialog.h"
#include "gui/gui_resources.h"
#include "gui/chip_frame_widget.h"
#include "gui/hex_view_widget.h"
#include "gui/progress_indicator.h"
#include "gui/simulator_menu.h"
#include "gui/socket_picture.h"
#include "gui/status_panels.h"
#include "gui/user_manual.h"
#include "gui/window_fit.h"

namespace tq::gui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The not-connected display does not follow a restore the lists stopped.
bool RestoreStoppedInLists(ChipRestore restore) {
    return restore == ChipRestore::TypeNotListed || restore == ChipRestore::ManufacturerNotListed ||
           restore == ChipRestore::NameNotListed;
}

}  // namespace

MainWindow::MainWindow(Session& session, SimProgrammer* simulator, QWidget* parent)
    : QMainWindow(parent), session_(session), simulator_(simulator) {
    RegisterResources();
    setObjectName("TfrmMain");
    worker_ = new SessionWorker(session_, this);
    messages_ = new MessageBoxes(this);
    status_ = new StatusPanels(statusBar());
    statusBar()->setObjectName("StatusBar");
    logPanel_ = new LogPanel(*messages_, this);
    addDockWidget(Qt::BottomDockWidgetArea, logPanel_);
    logPanel_->hide();  // until the settings say it was shown
    // A few lines high when it appears; the hex view keeps the rest.
    connect(logPanel_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible && !logPanel_->isFloating()) resizeDocks({logPanel_}, {110}, Qt::Vertical);
    });
    timerScan_ = new QTimer(this);
    timerScan_->setObjectName("TimerScan");
    timerScan_->setInterval(2000);
    connect(timerScan_, &QTimer::timeout, this, &MainWindow::TimerForMassProduct);
    BuildLayout();
    BuildMenus();
    WireViews();
    FollowChipFrameCounters();
    BuildBufferDialogs();
    connect(worker_, &SessionWorker::idleChanged, this, [this](bool idle) {
        if (idle && busy_) SetBusy(false, Kind::Command);
        // Queued: the job's own step has run and its messages are shown first.
        if (idle && closeWhenIdle_) QTimer::singleShot(0, this, [this] {
            if (!worker_->Idle()) return;  // a poll step came between: wait for its end
            closeWhenIdle_ = false;
            close();
        });
    });
    connect(worker_, &SessionWorker::jobFailed, this, [this](const QString& what, bool databaseError) {
        const QString text = what.isEmpty() ? Q(Text(language_, TextId::UnknownError)) : what;
        messages_->Present(MessageKind::Error,
                           databaseError ? Q(Text(language_, TextId::GuiDatabaseError, {text.toStdString()})) : text);
    });
    for (QAction* item : hexView_->AddEditItems(findChild<QMenu*>("MenuBuffer"))) busyDisabled_ << item;
    // The first size, 800 x 513 below the menu bar, centred on the screen and within it.
    fit_->Place(QSize(800, 513 + menuBar()->sizeHint().height()));
}

MainWindow::~MainWindow() {
    // The worker must be gone before the views it may still call.
    delete worker_;
    session_.Views = SessionViews{};
    session_.Device.Link.SetTrace(nullptr);
}

void MainWindow::BuildLayout() {
    // The content scrolls only where the screen is smaller than it needs.
    auto* area = new QScrollArea(this);
    area->setObjectName("ContentArea");
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    auto* central = new QWidget(area);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(6, 4, 6, 2);
    BuildToolBar();  // adds itself to the central layout below
    column->addWidget(findChild<QWidget*>("ToolBarRow"));

    auto* body = new QHBoxLayout;
    body->setSpacing(4);  // with the 16-column hex view, the Chinese window fits an 800-pixel screen
    auto* left = new QVBoxLayout;
    chipFrame_ = new ChipFrameWidget(central);
    // Never narrower than its boxes and captions need.
    chipFrame_->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    left->addWidget(chipFrame_);
    socketPinout_ = new SocketPictureWidget("imgSocketPinout", ":/tqprog/socket_pinout.svg", central);
    socket18V_ = new SocketPictureWidget("imgSocket18V", ":/tqprog/socket_18v.svg", central);
    socket18V_->hide();
    left->addWidget(socketPinout_, 1);
    left->addWidget(socket18V_, 1);
    progress_ = new ProgressIndicator(central);
    left->addWidget(progress_);
    body->addLayout(left, 0);
    hexView_ = new HexViewWidget(session_, *worker_, central);
    body->addWidget(hexView_, 1);
    busyDisabled_ << hexView_;
    connect(hexView_, &HexViewWidget::modifiedChanged, this, [this](bool modified) {
        modified_ = modified;
        SetTitle(caption_);
    });
    column->addLayout(body, 1);
    area->setWidget(central);
    setCentralWidget(area);
    fit_ = new WindowFit(*this, *central);

    connect(chipFrame_, &ChipFrameWidget::itemChosen, this, [this](ChipList list, int index) {
        worker_->Post([list, index](Session& s) -> GuiStep {
            ChooseListItem(s, list, index);
            return {};
        });
    });
    connect(chipFrame_, &ChipFrameWidget::textTyped, this, [this](ChipList list, const QString& text) {
        worker_->Post([list, text = text.toStdString()](Session& s) -> GuiStep {
            TypeListText(s, list, text);
            return {};
        });
    });
    connect(chipFrame_, &ChipFrameWidget::findClicked, this, [this] { Guard("find", [this] { sbChipFindClick(); }); });
    connect(chipFrame_, &ChipFrameWidget::detectClicked, this,
            [this] { Guard("detect", [this] { sbChipDetectClick(); }); });
    connect(chipFrame_, &ChipFrameWidget::socketPictureChanged, this, &MainWindow::ShowSocketPicture);
    connect(chipFrame_, &ChipFrameWidget::chipSearchOffered, this, &MainWindow::OpenChipSearch);
}

void MainWindow::WireViews() {
    workerViews_.reset(new WorkerViews{
        Marshalled<MessageView>(*messages_), Marshalled<FileDialogView>(*messages_),
        LoggedStatusBar(*status_, *status_, *logPanel_, session_.Texts, session_.clock()),
        Marshalled<ProgressView>(*progress_),
        Marshalled<HexView>(*hexView_, session_.Buffer), Marshalled<ChipFrameView>(*chipFrame_),
        Marshalled<CaptionView>(*this)});
    session_.Views.messages = &workerViews_->messages;
    session_.Views.fileDialog = &workerViews_->fileDialog;
    session_.Views.statusBar = &workerViews_->statusBar;
    session_.Views.progress = &workerViews_->progress;
    session_.Views.hexView = &workerViews_->hexView;
    session_.Views.chipFrame = &workerViews_->chipFrame;
    session_.Buffer.Caption = &workerViews_->caption;
}

bool MainWindow::Start(const StartFunction& start) {
    StartupResult result;
    std::string error;
    bool started = false;
    try {
        started = start(result, error);
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (!started) {
        messages_->Present(MessageKind::Warning, Q(error));
        return false;
    }
    if (result.outcome == StartupOutcome::DatabaseFailed) messages_->Present(MessageKind::Error, Q(result.message));
    language_ = session_.Texts.Language;
    ApplyLanguage(result.language);
    dbVersion_ = Q(session_.Device.DevInf.DbVersion);
    if (RestoreStoppedInLists(result.chipRestore))
        progress_->ShowDesignState();
    else
        progress_->ShowNotConnected();
    status_->SetCounters(Q(AutoCounterText(session_.Device.DevInf)));
    logPanel_->setVisible(session_.Window.LogPanelShown);
    ShowGuardOptions();
    timerScan_->start();
    return true;
}

void MainWindow::SetCaption(const std::string& text) {
    SetTitle(Q(text));
}

void MainWindow::SetTitle(const QString& caption) {
    caption_ = caption;
    setWindowTitle(modified_ ? "*" + caption : caption);
}

void MainWindow::OpenFile(const QString& path) {
    RunCommand(Kind::Command, [this, path = path.toStdString()](Session& s) -> GuiStep {
        OpenDataFile(s.Buffer, workerViews_->caption, path);
        return {};
    });
}

void MainWindow::Guard(const char* what, const std::function<void()>& slot) {
    // No exception may reach Qt's event loop.
    try {
        slot();
    } catch (const std::exception& e) {
        messages_->Present(MessageKind::Error, Q(Text(language_, TextId::ValueAfterColon, {what, e.what()})));
    } catch (...) {
        messages_->Present(MessageKind::Error,
                           Q(Text(language_, TextId::ValueAfterColon, {what, Text(language_, TextId::UnknownError)})));
    }
}

bool MainWindow::RunCommand(Kind kind, Job job) {
    if (busy_) {
        ShowBusyRefusal();  // never a click that silently does nothing
        return false;
    }
    // A presence poll step still on the worker goes first; this job follows it.
    SetBusy(true, kind);
    // Every command leaves the run counters as the engine holds them (a chip
    // change resets them, an operation counts itself).
    worker_->Post([this, job = std::move(job)](Session& s) -> GuiStep {
        GuiStep step = job(s);
        return [step = std::move(step), counters = ShowCountersStep(s)] {
            if (step) step();
            counters();
        };
    });
    return true;
}

void MainWindow::SetBusy(bool busy, Kind kind) {
    busy_ = busy;
    for (QObject* object : busyDisabled_) {
        if (auto* action = qobject_cast<QAction*>(object)) action->setEnabled(!busy);
        if (auto* widget = qobject_cast<QWidget*>(object)) widget->setEnabled(!busy);
    }
    chipFrame_->SetChoosingEnabled(!busy);
    const bool stoppable = busy && kind == Kind::Operation;
    stopButton_->setVisible(stoppable);
    stopButton_->setEnabled(stoppable);
    stopAction_->setEnabled(stoppable);
    emit busyChanged(busy);
}

void MainWindow::TimerForMassProduct() {
    if (busy_ || !worker_->Idle()) return;  // the running job owns the link
    worker_->Post([](Session& s) -> GuiStep {
        tq::TimerForMassProduct(s);
        return {};
    });
}

void MainWindow::ShowSocketPicture(tq::SocketPicture picture) {
    socketPinout_->setVisible(picture == tq::SocketPicture::Pinout);
    socket18V_->setVisible(picture == tq::SocketPicture::Socket18V);
}

void MainWindow::ApplyLanguage(const LanguageApplied& applied) {
    // Japanese and Korean draw the characters they share with Chinese in their own forms.
    if (const QFont font = ProgramFont(language_); font != QApplication::font()) QApplication::setFont(font);
    title_ = Q(applied.applicationTitle);
    messages_->SetLanguage(language_);
    logPanel_->Retranslate(language_);
    RetranslateViewMenu();
    RetranslateCompareMenu();
    SetTitle(Q(applied.windowCaption));
    QGuiApplication::setApplicationDisplayName(QString());
    for (const LanguageMenuEntry& entry : LanguageMenuEntries(language_)) {
        QAction* item = actions_.value(Q(entry.control));
        if (!item) continue;  // a language installed after the menu was built
        item->setText(Q(entry.text));
        const auto index = static_cast<size_t>(entry.language);
        if (index < applied.menuChecks.size() && applied.menuChecks[index]) item->setChecked(*applied.menuChecks[index]);
    }
    if (simulatorMenu_) simulatorMenu_->Retranslate(language_);
    actions_.value("MenuReadTwice")->setText(Q(Text(language_, TextId::ReadTwiceCommand)) + "(&I)");
    for (const AppliedCaption& caption : applied.captions) ApplyCaption(Q(caption.control), Q(caption.text));
    // Undo and Redo have no captions in the language files.
    actions_.value("MenuBufferUndo")->setText(Q(Text(language_, TextId::UndoCommand)) + "(&U)");
    actions_.value("MenuBufferRedo")->setText(Q(Text(language_, TextId::RedoCommand)) + "(&R)");
    actions_.value("MenuBufferChecksums")->setText(Q(Text(language_, TextId::ChecksumsCommand)));
    hexView_->Retranslate(language_);
    RetranslateProjectFirmware();
    RetranslateBackupMenus();
    actions_.value("MenuProduction")->setText(Q(Text(language_, TextId::ProductionCommand)) + "(&P)");
    ArrangeToolBar();
    emit languageApplied(language_);
}

void MainWindow::ApplyCaption(const QString& control, const QString& text) {
    if (QAction* action = actions_.value(control)) {
        action->setText(text);
        return;
    }
    if (control == "sbStop") stopAction_->setText(text + "(&T)");
    QObject* object = findChild<QObject*>(control);
    if (auto* menu = qobject_cast<QMenu*>(object))
        menu->setTitle(text);
    else if (auto* group = qobject_cast<QGroupBox*>(object))
        group->setTitle(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(object))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(object))
        label->setText(text);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    Guard("close", [&] {
        if (!worker_->Idle()) {
            // Never destroy the session under the worker: stop first, and
            // close once the worker is idle (see idleChanged). A step the
            // person did not start (a poll, the view's layout) ends by
            // itself: nothing to ask.
            closeWhenIdle_ = true;
            if (busy_) {
                closeWhenIdle_ = messages_->Present(MessageKind::Question, Q(Text(language_, TextId::StopRunningOperation)));
                if (closeWhenIdle_) sbStopClick();
            }
            event->ignore();
            return;
        }
        // The worker is idle and, with the poll stopped, stays so while the
        // question is open: the session is this thread's to ask and to close.
        timerScan_->stop();
        if (!ConfirmDiscardEdits(session_.Buffer)) {
            timerScan_->start();
            event->ignore();
            return;
        }
        session_.Window.LogPanelShown = logPanel_->isVisible();
        CloseMainWindow(session_);
        event->accept();
    });
}

// --- Commands ---

void MainWindow::sbOpenFileClick() {
    RunCommand(Kind::Command, [this](Session& s) -> GuiStep {
        const LanguageFile file(s.Texts);
        tq::ChooseAndOpenFile(s.Buffer, workerViews_->caption, [file](const std::string& section, const std::string& key,
                                                    const std::string& fallback) {
            return file.Text(section, key, fallback);
        });
        return {};
    });
}

void MainWindow::Menu_File_SaveAsClick() {
    RunCommand(Kind::Command, [](Session& s) -> GuiStep {
        tq::SaveBufferAs(s.Buffer);
        return {};
    });
}

void MainWindow::Menu_File_ExitClick() { close(); }

void MainWindow::sbSwitchClick() {
    RunCommand(Kind::Command, [](Session& s) -> GuiStep {
        tq::SwapBufferBytePairs(s.Buffer);
        return {};
    });
}

namespace {
// An operation's job: the handler (RunCommand shows the counters after it).
Job OperationJob(StatusPanels*, OperationOutcome (*handler)(OperationContext&)) {
    return [handler](Session& s) -> GuiStep {
        handler(s.Operation);
        return {};
    };
}
}  // namespace

void MainWindow::sbAutoClick() { RunCommand(Kind::Operation, OperationJob(status_, &tq::RunAutoSequence)); }
void MainWindow::sbBlankCheckClick() { RunCommand(Kind::Operation, OperationJob(status_, &tq::CheckBlank)); }
void MainWindow::sbEraseClick() { RunCommand(Kind::Operation, OperationJob(status_, &tq::EraseChip)); }
void MainWindow::sbWriteClick() { RunCommand(Kind::Operation, OperationJob(status_, &tq::WriteImage)); }
void MainWindow::sbReadClick() { RunCommand(Kind::Operation, OperationJob(status_, &tq::ReadChip)); }
void MainWindow::sbVerifyClick() { RunCommand(Kind::Operation, OperationJob(status_, &tq::VerifyChip)); }
void MainWindow::MenuReadTwiceClick() { RunCommand(Kind::Operation, OperationJob(status_, &tq::CheckContact)); }

void MainWindow::sbDetectClick() {
    RunCommand(Kind::Operation, [](Session& s) -> GuiStep {
        tq::DetectChip(s);
        return {};
    });
}

void MainWindow::sbChipDetectClick() {
    RunCommand(Kind::Operation, [](Session& s) -> GuiStep {
        tq::DetectChipFromFrame(s);
        return {};
    });
}

void MainWindow::sbStopClick() {
    // Only atomics are touched: safe while the worker runs the operation.
    tq::RequestStop(session_.Operation);
}

void MainWindow::SelectLanguage(int index) {
    RunCommand(Kind::Command, [this, index](Session& s) -> GuiStep {
        const LanguageApplied applied = tq::ChooseLanguage(s.Operation, index);
        const int language = s.Texts.Language;
        return [this, applied, language] {
            language_ = language;
            ApplyLanguage(applied);
        };
    });
}

void MainWindow::Menu_AboutClick() {
    // Reads the caption from the language file: a file read, not the session.
    auto* about = new AboutDialog(this, session_.Texts.ProgramFolder, language_, dbVersion_);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
}

void MainWindow::sbHelpClick() {
    const OpenManualResult opened = OpenUserManual(QString::fromStdString(session_.Texts.ProgramFolder.string()),
                                                   language_);
    if (!opened.opened) messages_->Present(MessageKind::Warning, opened.message);
}

}  // namespace tq::gui
