#include "cli/chip_command.h"

#include <cctype>
#include <ostream>

#include "core/texts/text_catalogue.h"
#include "cli/cli_context.h"
#include "core/texts/language.h"
#include "core/base/number_text.h"
#include "core/buffer/chip_buffer.h"
#include "core/buffer/file_open_save.h"
#include "core/app/chip_selection.h"
#include "core/app/presence_poll.h"

namespace tq {

bool ConnectForCommand(CliContext& context) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    // One step of the presence poll, as the desktop program's timer runs it.
    switch (TimerForMassProduct(session)) {
        case PollResult::Identified:
        case PollResult::Online: return true;
        case PollResult::NoProgrammer:
        case PollResult::WentOffline:
        case PollResult::Deferred:
        case PollResult::TimerOff:
            context.Fail(Text(language, TextId::CliNoProgrammer),
                         kExitNoProgrammer);
            return false;
        case PollResult::InUse:
            context.Fail(DeviceInUseText(language, session.Device.Link.ClaimHolder()), kExitInUse);
            return false;
        case PollResult::NoAnswer:
            context.Fail(Text(language, TextId::CliProgrammerSilent),
                         kExitNoProgrammer);
            return false;
    }
    return false;
}

bool ReadStartOption(CliContext& context, std::optional<uint32_t>& start) {
    if (!context.options.startGiven || (start = ParseHexNumber(context.options.start))) return true;
    context.Fail(Text(context.Language(), TextId::HexOptionRefused, {"--start", context.options.start}), kExitUsage);
    return false;
}

bool SelectGivenChip(CliContext& context) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    const std::string& name = context.options.chip;
    if (name.empty()) {
        context.Fail(Text(language, TextId::CliNoChipNamed),
                     kExitUnknownChip);
        return false;
    }
    if (!SelectChipByName(session, name)) {
        context.Fail(Text(language, TextId::CliUnknownChipName) +
                         name,
                     kExitUnknownChip);
        return false;
    }
    // Selecting the chip the settings remembered keeps its buffer; a run
    // whose start-up could not restore that chip has none yet.
    if (session.Buffer.RamFile.Data.size() != session.Chip.PrjInfo.Capacity) NewChipBuffer(session, session.Chip.PrjInfo.Capacity);
    return true;
}

bool LoadFileForCommand(CliContext& context, const std::string& file, uint32_t start, bool truncate) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    LoadOptions options;
    options.ramStartAddr = start;
    options.reportOverCapacity = false;  // the lines below say it for the terminal
    std::string error;
    if (!LoadIntoBuffer(session.Buffer, file, options, nullptr, error)) {
        context.Fail(error);
        return false;
    }
    const BufferHolding& held = session.Buffer.Holding;
    if (held.kept >= held.total) return true;
    const std::string total = std::to_string(held.total);
    const std::string kept = std::to_string(held.kept);
    const std::string leftOut = std::to_string(held.total - held.kept);
    if (!truncate) {
        context.Fail(Text(language, TextId::CliFileDoesNotFit, {file, total, HexText(start, 1), kept, leftOut}));
        return false;
    }
    const std::string firstLeftOut = HexText(static_cast<uint32_t>(held.address + held.kept), 1);
    context.err << Text(language, TextId::CliFileTruncated, {file, kept, firstLeftOut, leftOut}) << '\n';
    return true;
}

std::string OutcomeMessage(int32_t language, ChipCommand command, OperationOutcome outcome) {
    switch (outcome) {
        case OperationOutcome::Succeeded: return {};
        case OperationOutcome::Busy:
            return Text(language, TextId::CliAnotherOperationRuns);
        case OperationOutcome::NotConnected:
            return Text(language, TextId::CliNotConnected);
        case OperationOutcome::NoChipSelected:
            return Text(language, TextId::CliNoChipNamed);
        case OperationOutcome::EmptySocket:
            return Text(language, TextId::CliEmptySocket);
        case OperationOutcome::NothingSelected:
            return Text(language, TextId::CliAutoNoStep);
        case OperationOutcome::NoData:
            return Text(language, TextId::CliNoData);
        case OperationOutcome::DoesNotFit:
            return Text(language, TextId::CliDoesNotFit);
        case OperationOutcome::Stopped:
            return Text(language, TextId::CliOperationStopped);
        case OperationOutcome::Declined:
            // A write's only refusal: the range holds data and nobody can be asked.
            if (command == ChipCommand::Write) return Text(language, TextId::CliWriteNotBlank);
            break;
        case OperationOutcome::Failed: break;
    }
    switch (command) {
        case ChipCommand::Erase:
            return Text(language, TextId::CliEraseFailed);
        case ChipCommand::BlankCheck:
            return Text(language, TextId::CliNotBlank);
        case ChipCommand::Write:
            return Text(language, TextId::CliWriteFailed);
        case ChipCommand::Read:
            return Text(language, TextId::CliReadFailed);
        case ChipCommand::Verify:
            return Text(language, TextId::CliVerifyFailed);
        case ChipCommand::Auto:
            return Text(language, TextId::CliAutoFailed);
        case ChipCommand::SelfCheck:
            return Text(language, TextId::CliSelfCheckFailed);
        case ChipCommand::Detect:
            return Text(language, TextId::CliDetectFailed);
    }
    return {};
}

int OutcomeStatus(OperationOutcome outcome) {
    switch (outcome) {
        case OperationOutcome::Succeeded: return 0;
        case OperationOutcome::NotConnected: return kExitNoProgrammer;
        case OperationOutcome::EmptySocket: return kExitEmptySocket;
        case OperationOutcome::NoChipSelected: return kExitUnknownChip;
        case OperationOutcome::Stopped: return kExitStopped;
        case OperationOutcome::Busy:
        case OperationOutcome::NothingSelected:
        case OperationOutcome::NoData:
        case OperationOutcome::DoesNotFit:
        case OperationOutcome::Declined:
        case OperationOutcome::Failed: break;
    }
    return kExitFailed;
}

void ReportOutcome(CliContext& context, ChipCommand command, OperationOutcome outcome) {
    if (outcome == OperationOutcome::Succeeded) return;
    context.Fail(OutcomeMessage(context.session().Texts.Language, command, outcome), OutcomeStatus(outcome));
}

}  // namespace tq
