#include "core/operations/read_verify.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "core/buffer/buffer_undo.h"
#include "core/base/number_text.h"
#include "core/buffer/caption_text.h"
#include "core/device/commands.h"
#include "core/texts/text_catalogue.h"
#include "core/operations/operation_context.h"
#include "core/operations/write.h"

namespace tq {

namespace {

// A family's block for a chip of `pageSize`: its pages cut to the whole
// pages that fit the receive area, or its fixed size.
uint32_t BlockFor(const TransferBlock& rule, uint16_t pageSize) {
    if (rule.pages == 0) return rule.bytes == 0 ? kAreaSize : rule.bytes;
    if (pageSize == 0) return kAreaSize;
    const uint32_t fitting = std::min<uint32_t>(rule.pages, kAreaSize / pageSize);
    return fitting == 0 ? kAreaSize : fitting * pageSize;
}

// Ends a read whose result must not count (its line is shown already).
int ReadEndedEarly(OperationContext& operation, int result) {
    Indicate(operation, IndicatorCode::Failed);
    Indicate(operation, IndicatorCode::Finished);
    return result;
}

// Where the chip first differs from the buffer in one compared block of
// `count` bytes from `address`. A flash chip whose bytes only lack bits of
// the data was programmed over old data: the text says to erase first.
std::string DifferenceLine(OperationContext& operation, const uint8_t* expected, const uint8_t* read, uint32_t count,
                           uint32_t address) {
    uint32_t first = count, differing = 0;
    bool onlyClearedBits = true;
    for (uint32_t i = 0; i < count; ++i) {
        if (expected[i] == read[i]) continue;
        if (first == count) first = i;
        ++differing;
        if ((read[i] & ~expected[i]) != 0) onlyClearedBits = false;
    }
    const int language = operation.Texts.Language;
    const auto hex = [](uint32_t value, int digits) { return "0x" + HexText(value, digits); };
    std::string line = Text(language, TextId::VerifyDifference,
                            {hex(address + first, 6), hex(expected[first], 2), hex(read[first], 2),
                             std::to_string(differing), std::to_string(count), hex(address, 6)});
    if (onlyClearedBits && FamilyOf(operation.Chip.PrjInfo).simProgramsLikeFlash)
        line += " " + Text(language, TextId::VerifyNotErasedHint);
    return StatusLine(operation.clock(), line);
}

int ReadFailed(OperationContext& operation) {
    ShowStatus(operation, StatusLine(operation.clock(), operation.Texts.DevLanguage.LogChipReadError));
    ShowProgressFailure(operation, "ERROR");
    Indicate(operation, IndicatorCode::Failed);
    Indicate(operation, IndicatorCode::Finished);
    return kOpFailed;
}

}  // namespace

uint32_t ReadBlockSize(const Prj_Info_Struct& prj) { return BlockFor(FamilyOf(prj).readBlock, prj.PageSize); }

uint32_t VerifyBlockSize(const Prj_Info_Struct& prj) { return BlockFor(FamilyOf(prj).verifyBlock, prj.PageSize); }

int ReadChipImage(OperationContext& operation, uint8_t channel, std::vector<uint8_t>& chip, uint32_t* elapsedMs) {
    Prj_Info_Struct& prj = operation.Chip.PrjInfo;
    DeviceLink& link = operation.Device.Link;
    ProgressView& progress = *operation.Views.progress;
    const ChipType type = ChipTypeOf(prj);
    const uint32_t pause10us = FamilyOf(prj).readPause10us;
    const uint32_t capacity = prj.Capacity;

    ShowStatus(operation, StatusLine(operation.clock(), operation.Texts.DevLanguage.LogChipReadChip));
    ResetProgressLabel(operation);
    Indicate(operation, IndicatorCode::Working);
    const uint32_t start = operation.clock().TickCount();
    progress.SetMaximum(capacity);
    progress.SetPosition(0);
    progress.SetBarColour(kBarGreen);

    chip.assign(capacity, 0xFF);
    uint32_t block = std::min(ReadBlockSize(prj), capacity);
    SendReadHeader(link, channel, type, 0, capacity, static_cast<uint16_t>(block));
    if (!link.Uart.Connected) return ReadFailed(operation);

    int retries = 0;
    for (uint32_t offset = 0; offset < capacity;) {
        if (TakeStopRequest(operation)) {
            SendAbortBlock(link);
            return ReadEndedEarly(operation, ShowStopped(operation, ChipWork::Read, offset, capacity));
        }
        block = std::min(block, capacity - offset);
        link.Wait1us(1);
        if (link.DeviceRead(link.ReceiveArea(), block) == 0) return ReadFailed(operation);
        if (BlockHasNotDeliveredMarker(link.ReceiveArea(), RoundToSectors(block))) {
            // Not delivered: ask again from here, a bounded number of times.
            if (++retries > kReadBlockRetries) return ReadFailed(operation);
            SendReadHeader(link, channel, type, offset, capacity, static_cast<uint16_t>(block));
            if (!link.Uart.Connected) return ReadFailed(operation);
        } else {
            std::memcpy(chip.data() + offset, link.ReceiveArea(), block);
            offset += block;
            retries = 0;
        }
        ShowProgress(operation, offset, capacity);
        if (pause10us != 0) link.Wait10us(pause10us);
    }
    if (elapsedMs != nullptr) *elapsedMs = ElapsedSince(operation, start);
    // An empty socket reads as 0xFF: such bytes are not the chip's.
    if (!ChipStayedInSocket(operation)) return ReadEndedEarly(operation, kOpChipRemoved);
    return kOpSuccess;
}

int ReadOnChannel(OperationContext& operation, uint8_t channel) {
    // The chip's bytes go into new storage; the buffer is replaced only once
    // every block has arrived, so a failed read loses nothing.
    std::vector<uint8_t> chip;
    uint32_t elapsed = 0;
    if (const int result = ReadChipImage(operation, channel, chip, &elapsed); result != kOpSuccess) return result;

    Ram_File_Info_Struct& buffer = operation.Buffer.RamFile;
    buffer.DataLen = static_cast<uint32_t>(chip.size());
    buffer.Data = std::move(chip);
    buffer.ViewTop = 0;
    ForgetBufferHistory(operation.Buffer);
    TakeChipRead(operation.Buffer, operation.Chip.PrjInfo.ChipName);
    operation.Views.hexView->Redraw();

    const std::string line = TimedStatusLine(operation, operation.Texts.DevLanguage.LogChipReadSuccess, elapsed);
    Indicate(operation, IndicatorCode::Finished);
    Indicate(operation, IndicatorCode::Passed);
    ShowImageDigests(operation);
    ShowStatus(operation, line);
    return kOpSuccess;
}

int VerifyOnChannel(OperationContext& operation, uint8_t channel) {
    Prj_Info_Struct& prj = operation.Chip.PrjInfo;
    DeviceLink& link = operation.Device.Link;
    ProgressView& progress = *operation.Views.progress;
    const Ram_File_Info_Struct& buffer = operation.Buffer.RamFile;
    const uint32_t length = std::min({buffer.DataLen, prj.Capacity, static_cast<uint32_t>(buffer.Data.size())});

    auto transferFailed = [&](uint32_t done) {
        ShowStatus(operation, StatusLine(operation.clock(), Text(operation.Texts.Language, TextId::VerifyTransferFailed,
                                                                 {std::to_string(done), std::to_string(length)})));
        ShowProgressFailure(operation, "Error");
        return kOpFailed;
    };

    progress.SetMaximum(buffer.DataLen);
    progress.SetBarColour(kBarGreen);
    progress.SetPosition(0);
    uint32_t block = VerifyBlockSize(prj);
    progress.SetState(ProgressState::Normal);
    // Announce only the bytes that will be fetched: a longer buffer than the
    // chip must not send the programmer reading past the chip's end.
    SendReadHeader(link, channel, ChipTypeOf(prj), prj.RamStartAddr, length,
                   static_cast<uint16_t>(block));
    if (!link.Uart.Connected) return transferFailed(0);

    for (uint32_t offset = 0; offset < length;) {
        if (TakeStopRequest(operation)) return ShowStopped(operation, ChipWork::Verify, offset, length);
        block = std::min(block, prj.Capacity - offset);
        link.Wait1us(1);
        // A block that did not arrive leaves old bytes in the receive area:
        // it counts as a difference, never as a match.
        if (link.DeviceRead(link.ReceiveArea(), block) == 0) return transferFailed(offset);
        block = std::min(block, length - offset);
        const uint8_t* expected = buffer.Data.data() + offset;
        if (std::memcmp(expected, link.ReceiveArea(), block) != 0) {
            // Described before the socket is asked: its answer lands in the
            // receive area. An empty socket reads as 0xFF: that, not the
            // data, is the cause then.
            const std::string line = DifferenceLine(operation, expected, link.ReceiveArea(), block, prj.RamStartAddr + offset);
            if (ChipStayedInSocket(operation)) {
                ShowStatus(operation, line);
                ShowProgressFailure(operation, "Error");
            }
            return kOpFailed;
        }
        offset += block;
        ShowProgress(operation, offset, buffer.DataLen);
    }
    return kOpSuccess;
}

OperationOutcome ReadMayStart(OperationContext& operation) {
    if (!RequireConnected(operation)) return OperationOutcome::NotConnected;
    if (const OperationOutcome wait = AwaitRunningErase(operation); wait != OperationOutcome::Succeeded) return wait;
    if (CheckSocket(operation) != SocketCheck::ChipPresent) return OperationOutcome::EmptySocket;
    if (!ChipSelected(operation)) return OperationOutcome::NoChipSelected;
    return OperationOutcome::Succeeded;
}

OperationOutcome ReadChip(OperationContext& operation) {
    OperationScope scope(operation);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (const OperationOutcome ready = ReadMayStart(operation); ready != OperationOutcome::Succeeded) return ready;
    if (!ConfirmDiscardEdits(operation.Buffer)) return OperationOutcome::Declined;
    return OutcomeOfResult(ReadOnChannel(operation, operation.Chip.PrjInfo.ChannelSelector));
}

OperationOutcome CopyChip(OperationContext& operation, std::vector<uint8_t>& chip) {
    OperationScope scope(operation);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (const OperationOutcome ready = ReadMayStart(operation); ready != OperationOutcome::Succeeded) return ready;
    const int result = ReadChipImage(operation, operation.Chip.PrjInfo.ChannelSelector, chip);
    if (result != kOpSuccess) return OutcomeOfResult(result);
    Indicate(operation, IndicatorCode::Finished);
    Indicate(operation, IndicatorCode::Passed);
    return OperationOutcome::Succeeded;
}

OperationOutcome VerifyChip(OperationContext& operation) {
    OperationScope scope(operation);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (!RequireConnected(operation)) return OperationOutcome::NotConnected;
    if (const OperationOutcome image = CheckImageFitsChip(operation); image != OperationOutcome::Succeeded) return image;
    if (const OperationOutcome wait = AwaitRunningErase(operation); wait != OperationOutcome::Succeeded) return wait;
    if (CheckSocket(operation) != SocketCheck::ChipPresent) return OperationOutcome::EmptySocket;

    const Dev_Language_Struct& texts = operation.Texts.DevLanguage;
    ShowStatus(operation, StatusLine(operation.clock(), texts.LogChipVerifyChip));
    ResetProgressLabel(operation);
    Indicate(operation, IndicatorCode::Working);
    Indicate(operation, IndicatorCode::Working);
    const uint32_t start = operation.clock().TickCount();
    const int result = VerifyOnChannel(operation, operation.Chip.PrjInfo.ChannelSelector);
    const uint32_t elapsed = ElapsedSince(operation, start);

    const bool equal = result == kOpSuccess;
    Indicate(operation, equal ? IndicatorCode::Passed : IndicatorCode::Failed);
    Indicate(operation, equal ? IndicatorCode::Finished : IndicatorCode::FinishedWithError);
    // A stop or a failure has said what happened where it happened.
    if (!equal) return OutcomeOfResult(result);
    operation.Views.progress->SetState(ProgressState::Normal);
    ShowImageDigests(operation);
    ShowStatus(operation, TimedStatusLine(operation, texts.LogChipVerifySuccess, elapsed));
    return OperationOutcome::Succeeded;
}

}  // namespace tq
