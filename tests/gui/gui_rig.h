// The real main window over the simulated programmer, on a fresh program
// folder and the virtual clock; message boxes are recorded, not shown.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QThread>

#include "core/app/chip_selection.h"
#include "core/app/session.h"
#include "core/app/simulator_setup.h"
#include "core/app/startup.h"
#include "gui/main_window.h"
#include "gui/progress_indicator.h"
#include "gui/status_panels.h"
#include "sim/sim_programmer.h"
#include "support/program_folder.h"
#include "gate_volumes.h"

namespace tq::testing {

struct GuiRig {
    ProgramFolder folder;
    VirtualClock clock;
    SimProgrammer sim{clock};
    GateVolumes volumes{sim.volumes()};
    std::unique_ptr<Session> session;
    std::unique_ptr<gui::MainWindow> window;
    std::vector<QString> messages;
    bool answerYes = false;

    explicit GuiRig(bool withLanguageFiles = true) {
        folder.CopyFromBin("login.dat");
        if (withLanguageFiles)
            for (const char* file : {"CN.ini", "TC.ini", "EN.ini"}) folder.CopyFromBin(file);
        session = std::make_unique<Session>(volumes, clock, folder.path());
        window = std::make_unique<gui::MainWindow>(*session, &sim);
        window->messages().SetPresenter([this](gui::MessageKind, const QString& text) {
            messages.push_back(text);
            return answerYes;
        });
    }

    // Start-up as the program runs it, with `socketChip` in the simulated socket.
    bool Start(const std::string& socketChip = "none") {
        return window->Start([&](StartupResult& result, std::string& error) {
            result = RunStartup(*session);
            SimulatorOptions options;
            options.socketChip = socketChip;
            options.eraseMs = 0;
            return SetUpSimulator(sim, *session->Chip.Database, options, error);
        });
    }

    // The usual bench: GD25Q64 in the socket, the programmer connected, the
    // chip selected in the frame.
    bool StartWithGD25Q64Selected() {
        if (!Start("GD25Q64")) return false;
        Poll();
        if (!SelectChipByName(*session, "GD25Q64")) return false;
        WaitIdle();
        return true;
    }

    // A failed check while a write is held must not leave the worker
    // blocked under a window being destroyed.
    ~GuiRig() { volumes.Release(); }

    // Waits (up to 5 s) until the drive holds the write HoldWrite armed.
    [[nodiscard]] bool WaitForHeldWrite() {
        QElapsedTimer waited;
        waited.start();
        while (!volumes.Holding() && waited.elapsed() < 5000) QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return volumes.Holding();
    }

    // Lets the worker finish and its results reach the widgets.
    void WaitIdle() {
        QElapsedTimer timer;
        timer.start();
        while ((!window->worker().Idle() || window->busy()) && timer.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::processEvents();
    }
    void Poll() {
        window->TimerForMassProduct();
        WaitIdle();
    }
    void Trigger(const char* action) {
        window->action(action)->trigger();
        WaitIdle();
    }
    QString Label() const { return window->progress().label()->text(); }
    QString Panel(int panel) const { return window->statusPanels().PanelText(panel); }
};

}  // namespace tq::testing
