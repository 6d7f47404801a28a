#include "gui/simulator_menu.h"

#include <QInputDialog>
#include <algorithm>
#include <random>
#include <QStringList>

#include "core/app/session.h"
#include "core/app/simulator_setup.h"
#include "core/base/number_text.h"
#include "core/texts/text_catalogue.h"
#include "gui/session_worker.h"
#include "gui/status_panels.h"
#include "sim/sim_programmer.h"

namespace tq::gui {

SimulatorMenu::SimulatorMenu(SimProgrammer& simulator, SessionWorker& worker, StatusPanels& status, QWidget* parent)
    : QMenu(parent), simulator_(simulator), worker_(worker), status_(status) {
    setObjectName("MenuSimulator");
    addAction(QString(), this, &SimulatorMenu::InsertSelectedChip)->setObjectName("MenuSimInsertChip");
    addAction(QString(), this, &SimulatorMenu::InsertChosenChip)->setObjectName("MenuSimInsertAnyChip");
    addAction(QString(), this, &SimulatorMenu::RemoveChip)->setObjectName("MenuSimRemoveChip");
    addSeparator();
    addAction(QString(), this, [this] { SetAttached(false); })->setObjectName("MenuSimUnplug");
    addAction(QString(), this, [this] { SetAttached(true); })->setObjectName("MenuSimPlug");
    addSeparator();
    addAction(QString(), this, &SimulatorMenu::MakeAddressesFlaky)->setObjectName("MenuSimFlaky");
    addAction(QString(), this, &SimulatorMenu::ClearFlakyAddresses)->setObjectName("MenuSimSteady");
    Retranslate(language_);
}

QString SimulatorMenu::Say(TextId id, const std::string& value) const {
    return QString::fromStdString(Text(language_, id, {value}));
}

void SimulatorMenu::Retranslate(int language) {
    language_ = language;
    setTitle(Say(TextId::SimulatorMenuTitle));
    const std::pair<const char*, TextId> items[] = {{"MenuSimInsertChip", TextId::SimulatorInsertSelected},
                                                    {"MenuSimInsertAnyChip", TextId::SimulatorInsertAny},
                                                    {"MenuSimRemoveChip", TextId::SimulatorRemoveChip},
                                                    {"MenuSimUnplug", TextId::SimulatorUnplug},
                                                    {"MenuSimPlug", TextId::SimulatorPlug},
                                                    {"MenuSimFlaky", TextId::SimulatorMakeFlaky},
                                                    {"MenuSimSteady", TextId::SimulatorClearFlaky}};
    for (const auto& [name, id] : items)
        if (QAction* item = findChild<QAction*>(name)) item->setText(Say(id));
}

void SimulatorMenu::InsertSelectedChip() {
    worker_.Post([this](Session& s) -> GuiStep {
        const std::string name = s.Chip.PrjInfo.ChipName;
        const std::vector<ChipRow> rows = s.Chip.Database ? s.Chip.Database->ChipRowQuery(name) : std::vector<ChipRow>{};
        if (rows.empty()) return [this] { status_.SetPanelText(0, Say(TextId::SimulatorSelectFirst).toStdString()); };
        simulator_.InsertChip(SimChipFromRow(rows.front()));
        return [this, name] { status_.SetPanelText(0, Say(TextId::SimulatorChipInSocket, name).toStdString()); };
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
            const QString name = QInputDialog::getItem(parentWidget(), title(), Say(TextId::SimulatorChipPrompt), names,
                                                       std::max<int>(0, names.indexOf(selected)), true, &ok);
            if (ok && !name.trimmed().isEmpty()) InsertChipNamed(name.trimmed().toStdString());
        };
    });
}

void SimulatorMenu::InsertChipNamed(const std::string& name) {
    worker_.Post([this, name](Session& s) -> GuiStep {
        const std::vector<ChipRow> rows = s.Chip.Database ? s.Chip.Database->ChipRowQuery(name) : std::vector<ChipRow>{};
        if (rows.empty()) return [this, name] { status_.SetPanelText(0, Say(TextId::SimulatorNoSuchChip, name).toStdString()); };
        simulator_.InsertChip(SimChipFromRow(rows.front()));
        return [this, stored = rows.front().ChipName] {
            status_.SetPanelText(0, Say(TextId::SimulatorChipInSocket, stored).toStdString());
        };
    });
}

// Taking the chip out and pulling the plug act at once, also in the middle
// of an operation the worker is running: the simulator sees them before its
// next transfer, and the operation says what it met.
void SimulatorMenu::RemoveChip() {
    simulator_.RequestChipRemoval();
    status_.SetPanelText(0, Say(TextId::SimulatorSocketEmpty).toStdString());
    worker_.Post([this](Session&) -> GuiStep {
        simulator_.RemoveChip();
        return {};
    });
}

void SimulatorMenu::SetAttached(bool attached) { simulator_.attached = attached; }

void SimulatorMenu::MakeAddressesFlaky() {
    worker_.Post([this](Session&) -> GuiStep {
        const SimChip* chip = simulator_.chip();
        if (!chip || chip->capacity == 0) return [this] { status_.SetPanelText(0, Say(TextId::SimulatorSocketEmpty).toStdString()); };
        std::random_device entropy;
        std::mt19937 draws(entropy());
        std::string named;
        for (int i = 0; i < 3; ++i) {
            const uint32_t address = draws() % chip->capacity;
            simulator_.faults.flakyAddresses.insert(address);
            named += (named.empty() ? "0x" : ", 0x") + HexText(address, 6);
        }
        simulator_.faults.flakySeed = draws();
        return [this, named] { status_.SetPanelText(0, Say(TextId::SimulatorFlakyAt, named).toStdString()); };
    });
}

void SimulatorMenu::ClearFlakyAddresses() {
    worker_.Post([this](Session&) -> GuiStep {
        simulator_.faults.flakyAddresses.clear();
        return [this] { status_.SetPanelText(0, Say(TextId::SimulatorFlakyCleared).toStdString()); };
    });
}

}  // namespace tq::gui
