#include "core/app/presence_poll.h"

#include "core/chipdb/chip_database.h"
#include "core/app/chip_selection.h"
#include "core/device/presence.h"
#include "core/operations/operation_display.h"
#include "core/app/session.h"
#include "core/texts/language.h"
#include "core/texts/status_line.h"
#include "core/texts/text_catalogue.h"

namespace tq {
namespace {

void ShowOffline(Session& session) {
    session.Views.statusBar->SetPanelText(2, session.Texts.DevLanguage.DevConStaOffline);
    session.Views.statusBar->SetPanelText(0, "");
    session.Views.progress->SetLabelText("Error");
    session.Views.progress->SetState(ProgressState::Error);
}

void ShowOnline(Session& session) {
    session.Views.statusBar->SetPanelText(2, OnlineStatusText(session.Texts, session.Device.DevInf.FwVersion));
    session.Views.chipFrame->SetOfflineProjectMenuVisible(false);
    session.Views.progress->SetLabelText("Conn");
    session.Views.progress->SetState(ProgressState::Normal);
}

void ShowInUse(Session& session) {
    session.Views.statusBar->SetPanelText(2, session.Texts.DevLanguage.DevConStaOffline);
    session.Views.statusBar->SetPanelText(0, DeviceInUseText(session.Texts.Language, session.Device.Link.ClaimHolder()));
}

// The chip types the connected platform supports. No change handler runs.
// The type shown before stays shown when the platform lists it: a blank type
// box would make the next choice of a maker query chips of type "" and find
// none, and the chip in the frame is still of that type.
void RefillTypeList(Session& session) {
    if (!session.Chip.Database) return;
    const TypeList types = session.Chip.Database->TypeListQuery(session.Device.DevInf.Model);
    if (types.rejected) session.Views.messages->ShowWarning(types.Reason(session.Texts.Language));
    const std::string shown = session.Window.ChipFrame.type.text;
    FillTypeList(session, types.types);
    if (!shown.empty()) FindListItem(session, ChipList::Type, shown);
}

}  // namespace

std::string DeviceInUseText(int32_t language, const std::string& holder) {
    if (holder.empty())
        return Text(language, TextId::ProgrammerInUseByProgram);
    return Text(language, TextId::ProgrammerInUseByProcess, {holder});
}

PollResult TimerForMassProduct(Session& session) {
    if (!session.Device.PollEnabled) return PollResult::TimerOff;
    DeviceLink& link = session.Device.Link;
    const bool found = link.FindDeviceDrive();
    if (link.Uart.Connected) {
        // While connected nothing is sent: a silent programmer whose drive
        // stays is noticed by the next transfer that fails.
        if (found) return PollResult::Online;
        link.DeviceReset();
        ShowOffline(session);
        return PollResult::WentOffline;
    }
    if (!found) return PollResult::NoProgrammer;
    OperationScope scope(session.Operation);
    if (!scope.claimed()) return PollResult::Deferred;
    switch (IdentifyProgrammer(session.Device)) {
        case ConnectResult::Connected: break;
        case ConnectResult::InUse: ShowInUse(session); return PollResult::InUse;
        case ConnectResult::NotFound:
        case ConnectResult::NoAnswer: return PollResult::NoAnswer;
    }
    ShowOnline(session);
    RefillTypeList(session);
    // A chip chosen while no programmer was connected was never sent to it:
    // without this, the programmer would drive a chip it was never told about.
    SendChipSelection(session);
    return PollResult::Identified;
}

}  // namespace tq
