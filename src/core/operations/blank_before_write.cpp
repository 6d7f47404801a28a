#include "core/operations/blank_before_write.h"

#include <algorithm>
#include <optional>

#include "core/base/chip_family.h"
#include "core/base/number_text.h"
#include "core/device/commands.h"
#include "core/operations/chip_backup.h"
#include "core/operations/erase_blank.h"
#include "core/operations/operation_context.h"
#include "core/operations/write.h"
#include "core/texts/text_catalogue.h"

namespace tq {

namespace {

// What the programmer's blank check found over the range to be written.
enum class RangeState { Blank, NotBlank, Stopped, LinkLost };

std::string Address(uint32_t value) { return "0x" + HexText(value, 6); }

// The programmer's blank check over [start, start + length), in the pieces
// one command may ask about.
RangeState AskProgrammerIfBlank(OperationContext& operation, uint32_t start, uint32_t length) {
    Prj_Info_Struct& prj = operation.Chip.PrjInfo;
    DeviceLink& link = operation.Device.Link;
    ProgressView& progress = *operation.Views.progress;
    progress.SetMaximum(length);
    progress.SetPosition(0);
    for (uint32_t done = 0; done < length;) {
        if (TakeStopRequest(operation)) {
            ShowStopped(operation, ChipWork::BlankCheck, done, length);
            return RangeState::Stopped;
        }
        const uint32_t piece = std::min(length - done, kBlankCheckRange);
        const CommandResult result = BlankCheck(link, prj.ChannelSelector, ChipTypeOf(prj), start + done, piece);
        done += piece;
        progress.SetPosition(done);
        if (result == CommandResult::Ok) continue;
        return link.Uart.Connected ? RangeState::NotBlank : RangeState::LinkLost;
    }
    return RangeState::Blank;
}

// Erases the chip for the write that follows, as the erase command would
// say it: Succeeded, Stopped or Failed.
OperationOutcome EraseBeforeWrite(OperationContext& operation) {
    const uint32_t start = operation.clock().TickCount();
    Indicate(operation, IndicatorCode::Working);
    const int result = EraseOnChannel(operation, operation.Chip.PrjInfo.ChannelSelector);
    ShowEraseResult(operation, result, ElapsedSince(operation, start));
    Indicate(operation, result == kOpSuccess ? IndicatorCode::Passed : IndicatorCode::Failed);
    return OutcomeOfResult(result);
}

}  // namespace

bool BlankCheckBeforeWrite(const OperationContext& operation) {
    const OverwriteGuard& guard = operation.Guard;
    return guard.blankBeforeWrite && guard.notBlank != NotBlankRule::WriteOver &&
           FamilyOf(operation.Chip.PrjInfo).simProgramsLikeFlash;
}

OperationOutcome PrepareChipForWrite(OperationContext& operation) {
    std::vector<uint8_t> chip;
    if (const OperationOutcome backup = BackUpBeforeOverwrite(operation, chip); backup != OperationOutcome::Succeeded)
        return backup;
    if (!BlankCheckBeforeWrite(operation)) return OperationOutcome::Succeeded;

    const int language = operation.Texts.Language;
    const auto say = [&](const std::string& text) { ShowStatus(operation, StatusLine(operation.clock(), text)); };
    const uint32_t start = operation.Chip.PrjInfo.RamStartAddr;
    const uint32_t length = WriteLength(operation);
    const std::string first = Address(start), last = Address(start + length - 1);

    std::string notBlank = Text(language, TextId::WriteRangeNotBlank, {first, last});
    bool blank = true;
    if (chip.size() >= uint64_t{start} + length) {
        // The backup has just read these bytes: no second look at the chip.
        const auto from = chip.begin() + start;
        const auto data = std::find_if(from, from + length, [](uint8_t b) { return b != 0xFF; });
        if (data != from + length) {
            blank = false;
            notBlank += Text(language, TextId::WriteRangeFirstData,
                             {Address(start + static_cast<uint32_t>(data - from)), "0x" + HexText(*data, 2)});
        }
    } else {
        switch (AskProgrammerIfBlank(operation, start, length)) {
            case RangeState::Blank: break;
            case RangeState::NotBlank: blank = false; break;
            case RangeState::Stopped: return OperationOutcome::Stopped;
            case RangeState::LinkLost:
                say(Text(language, TextId::BlankCheckTransferFailed));
                ShowProgressFailure(operation, "ERROR");
                return OperationOutcome::Failed;
        }
    }
    if (blank) {
        say(Text(language, TextId::WriteRangeBlank, {first, last}));
        return OperationOutcome::Succeeded;
    }
    say(notBlank);

    NotBlankChoice choice = NotBlankChoice::Cancel;
    switch (operation.Guard.notBlank) {
        case NotBlankRule::Ask:
            choice = operation.Views.messages->AskNotBlank(Text(language, TextId::NotBlankQuestion, {notBlank}));
            break;
        case NotBlankRule::EraseFirst: choice = NotBlankChoice::EraseFirst; break;
        case NotBlankRule::WriteOver: choice = NotBlankChoice::WriteAnyway; break;
        case NotBlankRule::Refuse: break;
    }
    switch (choice) {
        case NotBlankChoice::WriteAnyway: return OperationOutcome::Succeeded;
        case NotBlankChoice::EraseFirst:
            return EraseBeforeWrite(operation);
        case NotBlankChoice::Cancel: break;
    }
    say(Text(language, TextId::WriteCancelledNotBlank));
    return OperationOutcome::Declined;
}

}  // namespace tq
