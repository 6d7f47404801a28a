// With --simulator: a "Simulator" menu that puts the chip selected in the
// frame, or any chip of the database, into the simulated socket, takes it
// out, unplugs or plugs in the simulated programmer and makes some bytes read
// unreliably, so every state can be shown without hardware.
// The simulator is touched on the worker only, like the rest of the session,
// except the plug and the chip's removal: those are atomic and act at once,
// so they can be used while an operation runs.
#pragma once

#include <QMenu>
#include <string>

#include "core/texts/text_catalogue.h"

namespace tq {
class SimProgrammer;
}

namespace tq::gui {

class SessionWorker;
class StatusPanels;

class SimulatorMenu final : public QMenu {
    Q_OBJECT
public:
    SimulatorMenu(SimProgrammer& simulator, SessionWorker& worker, StatusPanels& status, QWidget* parent);

    void InsertSelectedChip();
    // Asks for a chip of the database (an editable list) and puts it in.
    void InsertChosenChip();
    void InsertChipNamed(const std::string& name);
    void RemoveChip();
    void SetAttached(bool attached);
    // A few random addresses of the socket's chip read unreliably from now
    // on (a bad contact to show the contact check); or none again.
    void MakeAddressesFlaky();
    void ClearFlakyAddresses();
    // Names the menu and its items in `language`; later status texts follow it.
    void Retranslate(int language);

private:
    QString Say(TextId id, const std::string& value = {}) const;

    int language_ = 0;
    SimProgrammer& simulator_;
    SessionWorker& worker_;
    StatusPanels& status_;
};

}  // namespace tq::gui
