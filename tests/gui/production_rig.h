// The production view over three in-process simulated programmers, beside
// the real main window with GD25Q64 selected and an image in its buffer.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>
#include <memory>

#include "core/app/simulated_line.h"
#include "gui/production_window.h"
#include "gui_rig.h"

namespace tq::testing {

struct ProductionRig {
    static constexpr size_t kImageBytes = 0x40000;  // 128 blocks of the write

    GuiRig rig;
    SimulatedLine* sims = nullptr;
    std::unique_ptr<gui::ProductionWindow> view;
    std::string image;

    // False when the main window or the simulated programmers cannot come up.
    bool Start(int language, int eraseMs = 1) {
        if (!rig.StartWithGD25Q64Selected()) return false;
        for (size_t i = 0; i < kImageBytes; ++i) image += static_cast<char>(i * 5 + 1);
        rig.folder.WriteBytes("image.bin", image);
        rig.window->OpenFile(QString::fromStdString((rig.folder.path() / "image.bin").string()));
        rig.WaitIdle();
        // No backup read first: a pull after a few dozen transfers lands in the write.
        rig.session->Operation.Guard.backup = false;
        auto line = std::make_unique<SimulatedLine>(3);
        SimulatorOptions options;
        options.chip = "GD25Q64";
        options.eraseMs = eraseMs;
        std::string error;
        if (!line->SetUp(rig.folder.path(), options, error)) return false;
        sims = line.get();
        view = std::make_unique<gui::ProductionWindow>(rig.window->worker(), rig.window->messages(), std::move(line),
                                                       PortableFolders(rig.folder.path()), language);
        view->show();
        return WaitFor([this] { return view->panels().size() == 3 && !view->Working(); });
    }

    // Processes events until `done` holds (at most 20 s).
    bool WaitFor(const std::function<bool()>& done) {
        QElapsedTimer waited;
        waited.start();
        while (!done() && waited.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::processEvents();
        return done();
    }

    // Start all, through the button, until every run has ended and the log shows it.
    bool RunAll() {
        view->StartAll();
        if (!WaitFor([this] { return view->line().Running(); })) return false;
        return WaitFor([this] { return !view->line().Running() && !view->Working() && view->logTable()->rowCount() > 0; });
    }

    std::string Memory(size_t index) {
        const std::vector<uint8_t>& memory = sims->programmer(index).chipMemory();
        return {memory.begin(), memory.begin() + kImageBytes};
    }
};

}  // namespace tq::testing
