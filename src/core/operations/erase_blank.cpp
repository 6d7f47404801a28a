#include "core/operations/erase_blank.h"

#include <algorithm>
#include <cstring>

#include "core/device/commands.h"
#include "core/session.h"

namespace tq {

namespace {

constexpr uint32_t kFillBlock = 2048;

// The programmer erases by itself; the host starts it and asks every 2 s
// (2.3 s for 45 EEPROM) whether it has finished, at most 100 times.
int PolledErase(Session& session, uint8_t channel) {
    Prj_Info_Struct& prj = session.PrjInfo;
    DeviceLink& link = session.Link;
    ProgressView& progress = *session.Views.progress;
    const uint8_t type = static_cast<uint8_t>(prj.ChipTypeCode);
    if (SendErase(link, channel, type, 0) == 0xFF) SendErase(link, channel, type, 0);

    uint32_t position = 0;
    for (int poll = 1;; ++poll) {
        // A stop cannot interrupt the chip's erase; it is remembered and
        // reported once the chip has finished.
        if (prj.StopRequest == 1) prj.StopRequest = 2;
        link.Wait10us(kErasePollWait10us);
        if (prj.ChipTypeCode == 4) link.Wait10us(kErasePollExtra45Wait10us);
        const int result = SendErase(link, channel, type, 1);
        progress.SetLabelText(std::to_string(poll) + "%");
        position = result == 0 ? 100 : position + 1;
        progress.SetPosition(position);
        if (result == 0) {
            if (prj.StopRequest != 0) {
                prj.StopRequest = 0;
                return kOpStopped;
            }
            return kOpSuccess;
        }
        if (poll == kErasePolls) return kOpFailed;
    }
}

// Writes 0xFF over the whole chip with the write stream.
int FillErase(Session& session, uint8_t channel) {
    Prj_Info_Struct& prj = session.PrjInfo;
    DeviceLink& link = session.Link;
    const uint8_t type = static_cast<uint8_t>(prj.ChipTypeCode);
    const uint32_t block = std::min(prj.Capacity, kFillBlock);
    session.Views.progress->SetMaximum(prj.Capacity);
    session.Views.progress->SetPosition(0);
    SendWriteHeader(link, channel, type, 0, prj.Capacity, static_cast<uint16_t>(block));
    if (!link.Uart.Connected) return kOpTransferFailed;

    for (uint32_t written = 0; written < prj.Capacity;) {
        if (prj.StopRequest == 1) {
            prj.StopRequest = 0;
            // Without the abort block the programmer would take the next
            // command frames for chip data.
            SendAbortBlock(link);
            return kOpStopped;
        }
        std::memset(link.SendArea(), 0xFF, block);
        if (link.DeviceWrite(link.SendArea(), block) == 0) return kOpTransferFailed;
        written += block;
        session.Views.progress->SetPosition(std::min(written, prj.Capacity));
        if (prj.ChipTypeCode == 5) link.Wait10us(2000);
    }
    link.Wait10us(30000);
    return kOpSuccess;
}

}  // namespace

bool UsesPolledErase(uint16_t chipTypeCode) { return chipTypeCode == 1 || chipTypeCode == 4 || chipTypeCode == 7; }

int EraseChip(Session& session, uint8_t channel) {
    ProgressView& progress = *session.Views.progress;
    ShowStatus(session, StatusLine(session, session.DevLanguage.LogChipErase));
    progress.SetState(ProgressState::Normal);
    progress.SetLabelText("0%");
    progress.SetMaximum(100);
    progress.SetPosition(0);
    progress.SetBarColour(kBarGreen);

    if (UsesPolledErase(session.PrjInfo.ChipTypeCode)) return PolledErase(session, channel);

    const int result = FillErase(session, channel);
    progress.SetPosition(session.PrjInfo.Capacity);
    progress.SetLabelText("100%");
    return result;
}

void ShowEraseResult(Session& session, int result, uint32_t elapsedMs) {
    const Dev_Language_Struct& texts = session.DevLanguage;
    if (result == kOpSuccess) {
        ShowStatus(session, TimedStatusLine(session, texts.LogChipEraseSuccess, elapsedMs));
        return;
    }
    ShowProgressFailure(session, "ERROR");
    ShowStatus(session, result == kOpTransferFailed ? StatusLine(session, texts.LogChipEraseCommError)
                                                    : TimedStatusLine(session, texts.LogChipEraseChipErr, elapsedMs));
}

OperationOutcome sbEraseClick(Session& session) {
    OperationScope scope(session);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (!RequireConnected(session)) return OperationOutcome::NotConnected;
    if (!ChipSelected(session)) return OperationOutcome::NoChipSelected;
    if (CheckSocket(session) != 0) return OperationOutcome::EmptySocket;

    session.Views.progress->SetLabelColour(LabelColour::WindowText);
    const uint32_t start = session.clock().TickCount();
    Indicate(session, 1);
    const int result = EraseChip(session, session.PrjInfo.ChannelSelector);
    const uint32_t elapsed = ElapsedSince(session, start);
    if (result != kOpSuccess) Indicate(session, 3);
    ShowEraseResult(session, result, elapsed);
    Indicate(session, 100);
    if (result != kOpSuccess) return OperationOutcome::Failed;
    Indicate(session, 0);
    return OperationOutcome::Succeeded;
}

OperationOutcome sbBlankCheckClick(Session& session) {
    OperationScope scope(session);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (!RequireConnected(session)) return OperationOutcome::NotConnected;
    if (!ChipSelected(session)) return OperationOutcome::NoChipSelected;

    Prj_Info_Struct& prj = session.PrjInfo;
    DeviceLink& link = session.Link;
    const uint8_t type = static_cast<uint8_t>(prj.ChipTypeCode);
    // Its own socket test: either socket holding a chip will do, and an
    // empty socket ends the check without a word.
    prj.SocketStatus = {0xFF, 0xFF};
    ChipPresence(link, type, prj.SocketStatus[0], prj.SocketStatus[1]);
    if (prj.SocketStatus[0] != 0 && prj.SocketStatus[1] != 0) return OperationOutcome::EmptySocket;

    ProgressView& progress = *session.Views.progress;
    Indicate(session, 1);
    progress.SetMaximum(prj.Capacity);
    progress.SetPosition(0);
    progress.SetBarColour(kBarGreen);
    for (uint32_t address = 0; address < prj.Capacity;) {
        const uint32_t length = std::min(prj.Capacity - address, kBlankCheckRange);
        const int result = BlankCheck(link, prj.ChannelSelector, type, address, length);
        address += length;
        progress.SetPosition(address);
        if (result != 0) {
            progress.SetBarColour(kBarRed);
            Indicate(session, 3);
            return OperationOutcome::Failed;
        }
    }
    Indicate(session, 0);
    return OperationOutcome::Succeeded;
}

}  // namespace tq
