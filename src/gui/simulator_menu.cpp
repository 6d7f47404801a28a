#include "gui/simulator_menu.h"

#include <QInputDialog>
#include <algorithm>
#include <QStringList>

#include "core/app/session.h"
#include "core/app/simulator_setup.h"
#include "gui/session_worker.h"
#include "gui/status_panels.h"
#include "sim/sim_programmer.h"

namespace tq::gui {

SimulatorMenu::SimulatorMenu(SimProgrammer& simulator, SessionWorker& worker, StatusPanels& status, QWidget* parent)
    : QMenu("Simulator", parent), simulator_(simulator), worker_(worker), status_(status) {
    setObjectName("MenuSimulator");
    addAction("Put the selected chip into the socket", this, &SimulatorMenu::InsertSelectedChip)
        ->setObjectName("MenuSimInsertChip");
    addAction("Put a chip of the database into the socket...", this, &SimulatorMenu::InsertChosenChip)
        ->setObjectName("MenuSimInsertAnyChip");
    addAction("Take the chip out of the socket", this, &SimulatorMenu::RemoveChip)->setObjectName("MenuSimRemoveChip");
    addSeparator();
    addAction("Unplug the programmer", this, [this] { SetAttached(false); })->setObjectName("MenuSimUnplug");
    addAction("Plug the programmer in", this, [this] { SetAttached(true); })->setObjectName("MenuSimPlug");
}

void SimulatorMenu::InsertSelectedChip() {
    worker_.Post([this](Session& s) -> GuiStep {
        const std::string name = s.Chip.PrjInfo.ChipName;
        const std::vector<ChipRow> rows = s.Chip.Database ? s.Chip.Database->ChipRowQuery(name) : std::vector<ChipRow>{};
        if (rows.empty()) return [this] { status_.SetPanelText(0, "Simulator: select a chip first"); };
        simulator_.InsertChip(SimChipFromRow(rows.front()));
        return [this, name] { status_.SetPanelText(0, "Simulator: " + name + " is in the socket"); };
    });
}

void SimulatorMenu::InsertChosenChip() {
    // The names come from the worker, which alone uses the database; the
    // question is asked here, on the window's thread.
    worker_.Post([this](Session& s) -> GuiStep {
        QStringList names;
        if (s.Chip.Database)
            for (const ChipRow& row : s.Chip.Database->SearchQuery("")) names << QString::fromStdString(row.ChipName);
        const QString selected = QString::fromStdString(s.Chip.PrjInfo.ChipName);
        return [this, names, selected] {
            bool ok = false;
            const QString name = QInputDialog::getItem(parentWidget(), title(), "Chip:", names,
                                                       std::max<int>(0, names.indexOf(selected)), true, &ok);
            if (ok && !name.trimmed().isEmpty()) InsertChipNamed(name.trimmed().toStdString());
        };
    });
}

void SimulatorMenu::InsertChipNamed(const std::string& name) {
    worker_.Post([this, name](Session& s) -> GuiStep {
        const std::vector<ChipRow> rows = s.Chip.Database ? s.Chip.Database->ChipRowQuery(name) : std::vector<ChipRow>{};
        if (rows.empty()) return [this, name] { status_.SetPanelText(0, "Simulator: no chip " + name + " in the database"); };
        simulator_.InsertChip(SimChipFromRow(rows.front()));
        return [this, stored = rows.front().ChipName] {
            status_.SetPanelText(0, "Simulator: " + stored + " is in the socket");
        };
    });
}

void SimulatorMenu::RemoveChip() {
    worker_.Post([this](Session&) -> GuiStep {
        simulator_.RemoveChip();
        return [this] { status_.SetPanelText(0, "Simulator: the socket is empty"); };
    });
}

void SimulatorMenu::SetAttached(bool attached) {
    worker_.Post([this, attached](Session&) -> GuiStep {
        simulator_.attached = attached;
        return {};
    });
}

}  // namespace tq::gui
