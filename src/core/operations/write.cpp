#include "core/operations/write.h"

#include <algorithm>

#include "core/device/commands.h"
#include "core/session.h"

namespace tq {

namespace {
constexpr uint32_t kGeneralBlock = 2048;
constexpr uint32_t kSwdBlock = 1024;

int WriteFailed(Session& session) {
    ShowStatus(session, StatusLine(session, session.DevLanguage.LogChipWriteCommError));
    ShowProgressFailure(session, "ERROR");
    return kOpTransferFailed;
}
}  // namespace

uint32_t WriteBlockSize(const Prj_Info_Struct& prj) {
    if (prj.ChipTypeCode == 4 && prj.PageSize != 0) return prj.PageSize;
    if (prj.ChipTypeCode == 7) return kSwdBlock;
    return std::min(prj.Capacity, kGeneralBlock);
}

bool PacedWrite(uint16_t chipTypeCode) {
    return chipTypeCode == 2 || chipTypeCode == 3 || chipTypeCode == 5 || chipTypeCode == 6;
}

uint32_t WriteLength(const Session& session) {
    const Ram_File_Info_Struct& buffer = session.RamFile;
    return std::min({buffer.DataLen, session.PrjInfo.Capacity, static_cast<uint32_t>(buffer.Data.size())});
}

int StreamWrite(Session& session, uint8_t channel, uint16_t chipTypeCode) {
    Prj_Info_Struct& prj = session.PrjInfo;
    DeviceLink& link = session.Link;
    const uint32_t start = session.clock().TickCount();
    const uint32_t block = WriteBlockSize(prj);
    const uint32_t length = WriteLength(session);
    const bool paced = PacedWrite(chipTypeCode);

    SendWriteHeader(link, channel, static_cast<uint8_t>(chipTypeCode), prj.RamStartAddr, length,
                    static_cast<uint16_t>(block));
    session.Views.progress->SetMaximum(length);
    session.Views.progress->SetPosition(0);
    const Dev_Language_Struct& texts = session.DevLanguage;
    ShowStatus(session, StatusLine(session, texts.LogChipWriteFileName + texts.LogChipWriteFileLen + std::to_string(length)));
    ResetProgressLabel(session);
    if (!link.Uart.Connected) return WriteFailed(session);
    link.Wait10us(1000);

    const uint8_t* data = session.RamFile.Data.data();
    uint32_t offset = 0;
    for (uint32_t remaining = length; remaining > 0;) {
        if (prj.StopRequest == 1) {
            prj.StopRequest = 0;
            SendAbortBlock(link);
            return kOpStopped;
        }
        uint32_t sent;
        if (remaining >= block) {
            remaining -= block;
            sent = link.DeviceWrite(data + offset, block);
            link.Wait10us(1);
        } else {
            // The last, short block goes out as a full block padded with 0xFF.
            sent = SendWriteBlock(link, data + offset, remaining, static_cast<uint16_t>(block));
            remaining = 0;
        }
        if (sent == 0) return WriteFailed(session);
        offset += block;
        ShowProgress(session, offset, length);
        if (paced) link.Wait10us(20000);
    }
    if (paced) link.Wait10us(50000);
    ShowStatus(session, TimedStatusLine(session, texts.LogChipWriteSuccess, ElapsedSince(session, start)));
    return kOpSuccess;
}

int WriteChip(Session& session, uint8_t channel) {
    Indicate(session, 1);
    if (StreamWrite(session, channel, session.PrjInfo.ChipTypeCode) != kOpSuccess) {
        Indicate(session, 3);
        return kOpFailed;
    }
    Indicate(session, 0);
    return kOpSuccess;
}

OperationOutcome sbWriteClick(Session& session) {
    OperationScope scope(session);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (!RequireConnected(session)) return OperationOutcome::NotConnected;
    if (CheckSocket(session) != 0) return OperationOutcome::EmptySocket;
    const int result = WriteChip(session, session.PrjInfo.ChannelSelector);
    Indicate(session, 100);
    return result == kOpSuccess ? OperationOutcome::Succeeded : OperationOutcome::Failed;
}

}  // namespace tq
