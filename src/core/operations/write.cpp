#include "core/operations/write.h"

#include <algorithm>

#include "core/texts/text_catalogue.h"
#include "core/base/number_text.h"
#include "core/device/commands.h"
#include "core/operations/operation_context.h"
#include "core/buffer/image_digests.h"
#include "core/operations/blank_before_write.h"

namespace tq {

namespace {
constexpr uint32_t kGeneralBlock = 2048;
constexpr uint32_t kFixedBlock = 1024;

int WriteFailed(OperationContext& operation) {
    ShowStatus(operation, StatusLine(operation.clock(), operation.Texts.DevLanguage.LogChipWriteCommError));
    ShowProgressFailure(operation, "ERROR");
    return kOpTransferFailed;
}
}  // namespace

uint32_t WriteBlockSize(const Prj_Info_Struct& prj) {
    switch (FamilyOf(prj).writeBlocks) {
    case WriteBlocks::OnePage:
        if (prj.PageSize != 0) return prj.PageSize;
        break;
    case WriteBlocks::Fixed1024: return kFixedBlock;
    case WriteBlocks::UpTo2048: break;
    }
    return std::min(prj.Capacity, kGeneralBlock);
}

uint32_t WriteLength(const OperationContext& operation) {
    const Ram_File_Info_Struct& buffer = operation.Buffer.RamFile;
    return std::min({buffer.DataLen, operation.Chip.PrjInfo.Capacity, static_cast<uint32_t>(buffer.Data.size())});
}

OperationOutcome CheckImageFitsChip(OperationContext& operation) {
    const uint32_t length = WriteLength(operation);
    const int language = operation.Texts.Language;
    const auto refuse = [&](const std::string& text, OperationOutcome outcome) {
        ShowStatus(operation, StatusLine(operation.clock(), text));
        ShowProgressFailure(operation, "ERROR");
        return outcome;
    };
    if (length == 0) {
        return refuse(Text(language, TextId::BufferEmptyNothingSent),
                      OperationOutcome::NoData);
    }
    const Prj_Info_Struct& prj = operation.Chip.PrjInfo;
    const uint64_t end = uint64_t{prj.RamStartAddr} + length;
    if (end <= prj.Capacity) return OperationOutcome::Succeeded;
    // A chip would wrap round and overwrite its first bytes: refuse instead.
    const std::string excess = std::to_string(end - prj.Capacity);
    const std::string where = "0x" + HexText(prj.RamStartAddr, 1);
    const TextId id = end - prj.Capacity == 1 ? TextId::ImageOneByteBeyondChip : TextId::ImageBeyondChip;
    return refuse(Text(language, id, {excess, where, std::to_string(length), std::to_string(prj.Capacity)}),
                  OperationOutcome::DoesNotFit);
}

int StreamWrite(OperationContext& operation, uint8_t channel, ChipType chipType) {
    Prj_Info_Struct& prj = operation.Chip.PrjInfo;
    DeviceLink& link = operation.Device.Link;
    const uint32_t start = operation.clock().TickCount();
    const uint32_t block = WriteBlockSize(prj);
    const uint32_t length = WriteLength(operation);
    const bool paced = FamilyOf(chipType).pacedWrite;

    SendWriteHeader(link, channel, chipType, prj.RamStartAddr, length, static_cast<uint16_t>(block));
    operation.Views.progress->SetMaximum(length);
    operation.Views.progress->SetPosition(0);
    const Dev_Language_Struct& texts = operation.Texts.DevLanguage;
    ShowStatus(operation, StatusLine(operation.clock(), texts.LogChipWriteFileName + texts.LogChipWriteFileLen + std::to_string(length)));
    ResetProgressLabel(operation);
    if (!link.Uart.Connected) return WriteFailed(operation);
    link.Wait10us(1000);

    const uint8_t* data = operation.Buffer.RamFile.Data.data();
    uint32_t offset = 0;
    for (uint32_t remaining = length; remaining > 0;) {
        if (TakeStopRequest(operation)) {
            SendAbortBlock(link);
            return ShowStopped(operation, ChipWork::Write, offset, length);
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
        if (sent == 0) return WriteFailed(operation);
        offset += block;
        ShowProgress(operation, offset, length);
        if (paced) link.Wait10us(20000);
    }
    if (paced) link.Wait10us(50000);
    const uint32_t elapsed = ElapsedSince(operation, start);
    // The stream is unanswered: a chip taken out meanwhile took nothing.
    if (!ChipStayedInSocket(operation)) return kOpChipRemoved;
    // The figures first: the verdict is the line the status bar keeps.
    ShowImageDigests(operation);
    ShowStatus(operation, TimedStatusLine(operation, texts.LogChipWriteSuccess, elapsed));
    return kOpSuccess;
}

int WriteOnChannel(OperationContext& operation, uint8_t channel) {
    Indicate(operation, IndicatorCode::Working);
    if (const int result = StreamWrite(operation, channel, ChipTypeOf(operation.Chip.PrjInfo)); result != kOpSuccess) {
        Indicate(operation, IndicatorCode::Failed);
        return result == kOpStopped ? kOpStopped : kOpFailed;
    }
    Indicate(operation, IndicatorCode::Passed);
    return kOpSuccess;
}

OperationOutcome WriteImage(OperationContext& operation) {
    OperationScope scope(operation);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (!RequireConnected(operation)) return OperationOutcome::NotConnected;
    if (const OperationOutcome image = CheckImageFitsChip(operation); image != OperationOutcome::Succeeded) return image;
    if (const OperationOutcome wait = AwaitRunningErase(operation); wait != OperationOutcome::Succeeded) return wait;
    if (CheckSocket(operation) != SocketCheck::ChipPresent) return OperationOutcome::EmptySocket;
    if (const OperationOutcome guard = PrepareChipForWrite(operation); guard != OperationOutcome::Succeeded) return guard;
    const int result = WriteOnChannel(operation, operation.Chip.PrjInfo.ChannelSelector);
    Indicate(operation, IndicatorCode::Finished);
    return OutcomeOfResult(result);
}

void ShowImageDigests(OperationContext& operation) {
    const std::string text =
        DigestStatusText(operation.Texts.Language, operation.Buffer.RamFile.Data.data(), WriteLength(operation));
    ShowStatus(operation, StatusLine(operation.clock(), text));
}

}  // namespace tq
