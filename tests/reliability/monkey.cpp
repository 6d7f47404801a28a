#include "reliability/monkey.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <execinfo.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <deque>
#include <fstream>
#include <iostream>
#include <mutex>
#include <random>
#include <thread>

#include "core/app/chip_selection.h"
#include "core/app/session.h"
#include "core/app/simulator_setup.h"
#include "core/app/startup.h"
#include "gui/main_window.h"
#include "reliability/success_oracle.h"
#include "sim/sim_programmer.h"
#include "support/program_folder.h"

namespace tq::testing {
namespace {

using Steady = std::chrono::steady_clock;

// The last actions, for the report of a failed run; the watchdog reads
// them from its own thread.
class ActionLog {
public:
    void Add(const std::string& action) {
        const std::lock_guard lock(mutex_);
        actions_.push_back(action);
        if (actions_.size() > 40) actions_.pop_front();
    }
    std::string Last() const {
        const std::lock_guard lock(mutex_);
        std::string text;
        for (const std::string& action : actions_) text += "  " + action + "\n";
        return text;
    }

private:
    mutable std::mutex mutex_;
    std::deque<std::string> actions_;
};

// Pings the window's thread; a ping left unanswered for the limit ends the
// run at once (a hung event loop cannot end it any other way).
// A window thread kept off the processor by a busy machine (the long runs
// run at the lowest priority) is not a window that stopped answering: such
// a silence, the thread runnable all along yet given almost no processor
// time, starts the count again instead of ending the run.
class Watchdog {
public:
    Watchdog(int limitMs, std::function<void(long long)> onHang)
        : limitMs_(limitMs), onHang_(std::move(onHang)), guiTask_(gettid()) {
        pthread_getcpuclockid(pthread_self(), &guiClock_);
        answered_ = Now();
        answeredCpu_ = GuiCpuMs();
        thread_ = std::thread([this] {
            while (!stop_) {
                QMetaObject::invokeMethod(qApp, [this] {
                    answered_ = Now();
                    answeredCpu_ = GuiCpuMs();
                }, Qt::QueuedConnection);
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                const long long silent = Now() - answered_;
                if (silent > limitMs_ && Starved(silent)) {
                    ++starved_;
                    answered_ = Now();
                    answeredCpu_ = GuiCpuMs();
                    continue;
                }
                if (silent > limitMs_ && !stop_) {
                    onHang_(silent);
                    std::fflush(nullptr);
                    std::_Exit(3);
                }
            }
        });
    }
    ~Watchdog() {
        stop_ = true;
        thread_.join();
    }

    // Silences forgiven because the machine gave the window no time.
    uint64_t starved() const { return starved_; }

private:
    static long long Now() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now().time_since_epoch()).count();
    }
    long long GuiCpuMs() const {
        timespec used{};
        clock_gettime(guiClock_, &used);
        return used.tv_sec * 1000LL + used.tv_nsec / 1000000;
    }
    // Runnable ("R" in /proc) and given under a tenth of the silence.
    bool Starved(long long silent) const {
        const std::string stat = ReadStat();
        const size_t close = stat.rfind(')');
        const bool runnable = close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'R';
        return runnable && (GuiCpuMs() - answeredCpu_) * 10 < silent;
    }
    std::string ReadStat() const {
        std::ifstream in("/proc/self/task/" + std::to_string(guiTask_) + "/stat");
        std::string text;
        std::getline(in, text);
        return text;
    }
    const int limitMs_;
    std::function<void(long long)> onHang_;
    const pid_t guiTask_;
    clockid_t guiClock_{};
    std::atomic<long long> answered_;
    std::atomic<long long> answeredCpu_;
    std::atomic<uint64_t> starved_ = 0;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

// What a person might type anywhere.
const char* const kTexts[] = {"",         "0",        "FF",     "12345678", "-1",       "0x100",
                              "GD25Q64",  "24C02",    "W25Q128", "25",      "abc",      "\xe4\xb8\xad\xe6\x96\x87",
                              "99999999999", "7FFFFFFF", " ",    "..",       "*",        "%1%2"};

const Qt::Key kKeys[] = {Qt::Key_0,    Qt::Key_5,      Qt::Key_9,   Qt::Key_A,      Qt::Key_F,     Qt::Key_Left,
                         Qt::Key_Right, Qt::Key_Up,    Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home,
                         Qt::Key_End,  Qt::Key_Tab,    Qt::Key_Escape, Qt::Key_Return, Qt::Key_Delete, Qt::Key_Backspace,
                         Qt::Key_Z,    Qt::Key_C,      Qt::Key_V,   Qt::Key_X,      Qt::Key_Space, Qt::Key_F3};

// An Intel HEX file of `bytes` from address 0.
std::string IntelHex(const std::string& bytes) {
    std::string text;
    char line[80];
    for (size_t at = 0; at < bytes.size(); at += 16) {
        const size_t count = std::min<size_t>(16, bytes.size() - at);
        unsigned sum = static_cast<unsigned>(count + (at >> 8) + (at & 0xFF));
        int used = std::snprintf(line, sizeof line, ":%02X%04X00", static_cast<unsigned>(count), static_cast<unsigned>(at));
        for (size_t i = 0; i < count; ++i) {
            const auto byte = static_cast<unsigned char>(bytes[at + i]);
            sum += byte;
            used += std::snprintf(line + used, sizeof line - used, "%02X", byte);
        }
        std::snprintf(line + used, sizeof line - used, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
        text += line;
    }
    return text + ":00000001FF\r\n";
}

// Where the window's requests to open a file or folder go instead.
class UrlSink final : public QObject {
    Q_OBJECT
public slots:
    void Open(const QUrl&) {}
};

class Monkey final : public QObject {
public:
    explicit Monkey(const MonkeyOptions& options) : options_(options), random_(options.seed) {
        folder_.CopyFromBin("login.dat");
        for (const char* file : {"CN.ini", "TC.ini", "EN.ini"}) folder_.CopyFromBin(file);
        MakeFiles();
        session_ = std::make_unique<Session>(sim_.volumes(), virtualClock_, folder_.path());
        window_ = std::make_unique<gui::MainWindow>(*session_, &sim_);
        oracle_ = std::make_unique<SuccessOracle>(*session_, sim_, *session_->Views.statusBar);
        session_->Views.statusBar = oracle_.get();
        sim_.faults.forgetWrites = options.lyingProgrammer;
        // Files are chosen among the monkey's own, never anywhere else.
        window_->messages().SetFilePresenter(
            [this](bool save, const QString&, const QString&, const QString&, const QString&) { return ChooseFile(save); });
        // Opening a folder or the manual would start another program.
        QDesktopServices::setUrlHandler("file", &urls_, "Open");
        window_->installEventFilter(this);
    }
    ~Monkey() override { QDesktopServices::unsetUrlHandler("file"); }

    int Run() {
        const bool started = window_->Start([this](StartupResult& result, std::string& error) {
            result = RunStartup(*session_);
            SimulatorOptions options;
            options.socketChip = "GD25Q64";
            options.eraseMs = 0;
            return SetUpSimulator(sim_, *session_->Chip.Database, options, error);
        });
        if (!started) {
            std::cerr << "monkey: the window did not start\n";
            return 2;
        }
        window_->show();
        // The usual bench to start from: the socket's chip selected, an image in the buffer.
        window_->TimerForMassProduct();
        WaitIdle();
        if (!SelectChipByName(*session_, "GD25Q64")) {
            std::cerr << "monkey: GD25Q64 could not be selected\n";
            return 2;
        }
        window_->OpenFile(QString::fromStdString((files_ / "image.bin").string()));
        WaitIdle();
        crashReport_ = this;
        for (int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL}) std::signal(signal, ReportCrash);
        Watchdog watchdog(options_.watchdogMs, [this](long long silent) {
            std::cout << "monkey: FAILED with seed " << options_.seed << " after " << actions_.load()
                      << " actions: the window did not answer for " << silent << " ms\nlast actions:\n"
                      << log_.Last();
        });
        clock_.start();
        progress_.start();
        if (options_.lyingProgrammer) {
            // Its first write is reported as done: the run must fail there.
            Did("menu MenuWrite");
            window_->action("MenuWrite")->trigger();
        }
        QTimer::singleShot(0, this, [this] { Tick(); });
        loop_.exec();
        starved_ = watchdog.starved();
        return Report();
    }

protected:
    // The window is never closed under the monkey: what closing does is
    // tested on its own.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_.get() && event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return false;
    }

private:
    // A crash says the seed and the last actions before it ends the run.
    static inline Monkey* crashReport_ = nullptr;
    static void ReportCrash(int signal) {
        std::signal(signal, SIG_DFL);
        if (Monkey* monkey = crashReport_) {
            std::cout << "monkey: FAILED with seed " << monkey->options_.seed << " after " << monkey->actions_.load()
                      << " actions: signal " << signal << "\nlast actions:\n"
                      << monkey->log_.Last() << std::flush;
            void* frames[64];
            backtrace_symbols_fd(frames, backtrace(frames, 64), 1);
        }
        std::raise(signal);
    }

    size_t Pick(size_t count) { return static_cast<size_t>(random_() % count); }
    bool Chance(unsigned percent) { return random_() % 100 < percent; }
    std::string Text() {
        if (Chance(10)) return std::string(300 + Pick(200), static_cast<char>('0' + Pick(10)));
        return kTexts[Pick(std::size(kTexts))];
    }

    void MakeFiles() {
        files_ = folder_ / "files";
        std::filesystem::create_directories(files_);
        std::string image(64 * 1024, '\0');
        for (char& byte : image) byte = static_cast<char>(random_());
        std::ofstream(files_ / "image.bin", std::ios::binary) << image;
        std::ofstream(files_ / "image.hex", std::ios::binary) << IntelHex(image.substr(0, 4096));
        std::ofstream(files_ / "small.bin", std::ios::binary) << image.substr(0, 300);
        std::ofstream(files_ / "empty.bin", std::ios::binary);
        std::ofstream(files_ / "notes.txt", std::ios::binary) << "not an image\n:zz\nS9\n";
    }

    QString ChooseFile(bool save) {
        if (Chance(20)) return {};
        if (save) {
            static const char* const kinds[] = {".bin", ".hex", ".s19", ".txt"};
            return QString::fromStdString((files_ / ("saved-" + std::to_string(Pick(5)) + kinds[Pick(4)])).string());
        }
        std::vector<std::filesystem::path> existing;
        for (const auto& entry : std::filesystem::directory_iterator(files_)) existing.push_back(entry.path());
        return QString::fromStdString(existing[Pick(existing.size())].string());
    }

    void Did(const std::string& action) {
        log_.Add(std::to_string(actions_.load()) + " " + action);
        if (options_.verbose) std::cout << actions_.load() << ' ' << action << std::endl;
    }

    bool TimeIsUp() const {
        if (options_.actions != 0 && actions_ >= options_.actions) return true;
        return clock_.elapsed() >= static_cast<qint64>(options_.seconds * 1000);
    }

    void WaitIdle() {
        QElapsedTimer waited;
        waited.start();
        while ((!window_->worker().Idle() || window_->busy()) && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::processEvents();
    }

    // One action per tick; the next tick is armed first, so a dialog this
    // action opens with its own event loop is answered by the next ones.
    void Tick() {
        if (!failure_.empty()) return;
        const int delay = Chance(8) ? 50 + static_cast<int>(Pick(400)) : static_cast<int>(Pick(10));
        QTimer::singleShot(delay, this, [this] { Tick(); });
        if (const std::string wrong = oracle_->Failure(); !wrong.empty()) {
            failure_ = "a false success: " + wrong;
            loop_.quit();
            return;
        }
        if (TimeIsUp()) {
            WindDown();
            return;
        }
        ++actions_;
        ShowProgress();
        if (QWidget* modal = QApplication::activeModalWidget()) {
            AnswerDialog(*modal);
            return;
        }
        const size_t roll = Pick(100);
        if (roll < 30) TriggerMenuCommand(false);
        else if (roll < 42) TriggerMenuCommand(true);
        else if (roll < 72) UseControl();
        else if (roll < 85) PressKey();
        else if (roll < 90) DropFile();
        else if (roll < 95) CloseAWindow();
        else Did("wait");
    }

    void ShowProgress() {
        if (options_.progressSeconds <= 0 || progress_.elapsed() < options_.progressSeconds * 1000) return;
        progress_.restart();
        const double seconds = clock_.elapsed() / 1000.0;
        std::cout << "monkey: " << actions_.load() << " actions in " << static_cast<long long>(seconds) << " s ("
                  << static_cast<long long>(actions_ / seconds) << " a second), " << oracle_->tally().Checked()
                  << " successes checked" << std::endl;
    }

    // Ends the run: dialogs answered no, a running command stopped, then
    // the loop quits once the window is idle.
    void WindDown() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
            else modal->close();
            return;
        }
        if (window_->busy()) {
            if (QAction* stop = window_->action("MenuStop"); stop && stop->isEnabled()) stop->trigger();
            return;
        }
        if (!window_->worker().Idle()) return;
        loop_.quit();
    }

    // Every enabled command of the menu bar; `simulator`: the Simulator menu's only.
    void TriggerMenuCommand(bool simulator) {
        std::vector<QAction*> commands;
        // Most chip changes put in the chip the frame shows: the programmer
        // then drives it, and what is said of it can be checked.
        if (QAction* insert = window_->findChild<QAction*>("MenuSimInsertChip");
            simulator && insert && insert->isEnabled() && Chance(40)) {
            Did("menu MenuSimInsertChip");
            insert->trigger();
            return;
        }
        for (QMenu* menu : window_->menuBar()->findChildren<QMenu*>()) {
            if ((menu->objectName() == "MenuSimulator") != simulator) continue;
            for (QAction* action : menu->actions())
                if (!action->isSeparator() && !action->menu() && action->isEnabled() && action->isVisible() &&
                    action->objectName() != "Menu_File_Exit")
                    commands.push_back(action);
        }
        if (commands.empty()) return;
        QAction* action = commands[Pick(commands.size())];
        Did("menu " + action->objectName().toStdString());
        action->trigger();
    }

    // The enabled controls of every window shown.
    std::vector<QWidget*> Controls(QWidget& top) const {
        std::vector<QWidget*> controls;
        for (QWidget* widget : top.findChildren<QWidget*>()) {
            if (!widget->isVisible() || !widget->isEnabled()) continue;
            if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget) ||
                qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
                qobject_cast<QAbstractItemView*>(widget) || qobject_cast<QTabBar*>(widget) ||
                qobject_cast<QTextEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget) ||
                widget->focusPolicy() != Qt::NoFocus)
                controls.push_back(widget);
        }
        return controls;
    }

    static std::string NameOf(const QWidget& widget) {
        const QString name = widget.objectName();
        return std::string(widget.metaObject()->className()) + (name.isEmpty() ? "" : " " + name.toStdString());
    }

    void Act(QWidget& control) {
        const std::string name = NameOf(control);
        if (auto* combo = qobject_cast<QComboBox*>(&control)) {
            if (combo->isEditable() && Chance(30)) {
                const std::string text = Text();
                Did("type \"" + text.substr(0, 20) + "\" into " + name);
                combo->setEditText(QString::fromStdString(text));
                QTest::keyClick(combo, Qt::Key_Return);
            } else if (combo->count() > 0) {
                const int index = static_cast<int>(Pick(static_cast<size_t>(combo->count())));
                Did("choose " + std::to_string(index) + " in " + name);
                combo->setCurrentIndex(index);
                emit combo->activated(index);
            }
        } else if (auto* line = qobject_cast<QLineEdit*>(&control)) {
            const std::string text = Text();
            Did("type \"" + text.substr(0, 20) + "\" into " + name);
            if (!line->isReadOnly()) line->setText(QString::fromStdString(text));
            if (Chance(50)) QTest::keyClick(line, Qt::Key_Return);
        } else if (auto* spin = qobject_cast<QSpinBox*>(&control)) {
            const int span = spin->maximum() - spin->minimum();
            const int value = spin->minimum() + (span > 0 ? static_cast<int>(Pick(static_cast<size_t>(span) + 1)) : 0);
            Did("set " + std::to_string(value) + " in " + name);
            spin->setValue(value);
        } else if (auto* items = qobject_cast<QAbstractItemView*>(&control)) {
            QAbstractItemModel* model = items->model();
            if (!model || model->rowCount() == 0) return;
            const QModelIndex index = model->index(static_cast<int>(Pick(static_cast<size_t>(model->rowCount()))), 0);
            items->scrollTo(index);
            const QPoint at = items->visualRect(index).center();
            Did("click row " + std::to_string(index.row()) + " of " + name);
            if (Chance(30)) QTest::mouseDClick(items->viewport(), Qt::LeftButton, {}, at);
            else QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, at);
        } else if (auto* tabs = qobject_cast<QTabBar*>(&control)) {
            if (tabs->count() > 0) {
                const int index = static_cast<int>(Pick(static_cast<size_t>(tabs->count())));
                Did("tab " + std::to_string(index) + " of " + name);
                tabs->setCurrentIndex(index);
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(&control)) {
            Did("click " + name);
            button->click();
        } else {
            // Anything else that takes the focus (the hex view ...): a click
            // somewhere on it, then keys.
            const QPoint at(static_cast<int>(Pick(static_cast<size_t>(std::max(1, control.width())))),
                            static_cast<int>(Pick(static_cast<size_t>(std::max(1, control.height())))));
            Did("click " + name + " at " + std::to_string(at.x()) + "," + std::to_string(at.y()));
            QTest::mouseClick(&control, Qt::LeftButton, {}, at);
        }
    }

    std::vector<QWidget*> WindowsShown() const {
        std::vector<QWidget*> windows;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible() && top->isWindow() && !qobject_cast<QMenu*>(top)) windows.push_back(top);
        return windows;
    }

    void UseControl() {
        const std::vector<QWidget*> windows = WindowsShown();
        if (windows.empty()) return;
        const std::vector<QWidget*> controls = Controls(*windows[Pick(windows.size())]);
        if (!controls.empty()) Act(*controls[Pick(controls.size())]);
    }

    void PressKey() {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window_.get();
        const Qt::Key key = kKeys[Pick(std::size(kKeys))];
        Qt::KeyboardModifiers modifiers;
        if (Chance(20)) modifiers |= Qt::ControlModifier;
        if (Chance(10)) modifiers |= Qt::ShiftModifier;
        Did("key " + QKeySequence(static_cast<int>(key) | static_cast<int>(modifiers)).toString().toStdString() +
            " on " + NameOf(*target));
        QTest::keyClick(target, key, modifiers);
    }

    void DropFile() {
        QMimeData data;
        const QString file = ChooseFile(false);
        if (!file.isEmpty()) data.setUrls({QUrl::fromLocalFile(file)});
        else data.setText("dropped text");
        Did("drop " + (file.isEmpty() ? std::string("text") : file.toStdString()));
        const QPoint at = window_->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window_.get(), &enter);
        if (!enter.isAccepted()) return;
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window_.get(), &drop);
    }

    void CloseAWindow() {
        std::vector<QWidget*> windows;
        for (QWidget* window : WindowsShown())
            if (window != window_.get()) windows.push_back(window);
        if (windows.empty()) return;
        QWidget* window = windows[Pick(windows.size())];
        Did("close " + NameOf(*window));
        window->close();
    }

    // A dialog with its own event loop: input into its fields, then
    // accepted, refused, a button of its own, or a key.
    void AnswerDialog(QWidget& dialog) {
        const std::vector<QWidget*> controls = Controls(dialog);
        const size_t roll = Pick(100);
        if (roll < 45 && !controls.empty()) {
            Act(*controls[Pick(controls.size())]);
        } else if (roll < 60) {
            Did("accept " + NameOf(dialog));
            if (auto* box = qobject_cast<QDialog*>(&dialog)) box->accept();
        } else if (roll < 75) {
            Did("reject " + NameOf(dialog));
            if (auto* box = qobject_cast<QDialog*>(&dialog)) box->reject();
            else dialog.close();
        } else {
            const Qt::Key key = Chance(50) ? Qt::Key_Escape : Qt::Key_Return;
            Did(std::string("key ") + (key == Qt::Key_Escape ? "Esc" : "Enter") + " on " + NameOf(dialog));
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &dialog, key);
        }
    }

    int Report() {
        const SuccessOracle::Tally tally = oracle_->tally();
        const double seconds = std::max<qint64>(clock_.elapsed(), 1) / 1000.0;
        if (!failure_.empty()) {
            std::cout << "monkey: FAILED with seed " << options_.seed << " after " << actions_.load() << " actions: "
                      << failure_ << "\nlast actions:\n"
                      << log_.Last();
            return 1;
        }
        std::cout << "monkey: passed with seed " << options_.seed << ": " << actions_.load() << " actions in "
                  << seconds << " s (" << static_cast<long long>(actions_ / seconds) << " a second); successes checked: "
                  << tally.writes << " writes, " << tally.verifies << " verifies, " << tally.erases << " erases, "
                  << tally.reads << " reads, " << tally.autos << " auto runs; " << tally.unjudged
                  << " said of a chip not driven; " << starved_
                  << " silences forgiven (the window's thread runnable but given no time)" << std::endl;
        return 0;
    }

    MonkeyOptions options_;
    std::mt19937_64 random_;
    ProgramFolder folder_;
    std::filesystem::path files_;
    VirtualClock virtualClock_;
    SimProgrammer sim_{virtualClock_};
    std::unique_ptr<Session> session_;
    std::unique_ptr<gui::MainWindow> window_;
    std::unique_ptr<SuccessOracle> oracle_;
    QElapsedTimer clock_;  // wall time of the run (the session runs on the virtual clock)
    QElapsedTimer progress_;
    QEventLoop loop_;
    ActionLog log_;
    UrlSink urls_;
    std::atomic<uint64_t> actions_ = 0;
    std::string failure_;
    uint64_t starved_ = 0;
};

}  // namespace

int RunMonkey(const MonkeyOptions& options) {
    Monkey monkey(options);
    return monkey.Run();
}

}  // namespace tq::testing

#include "monkey.moc"
