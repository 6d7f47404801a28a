#include "cli/production_hook.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/cli_context.h"
#include "core/app/ledger_location.h"
#include "core/app/program_folders.h"
#include "core/base/number_text.h"
#include "core/production/production_run.h"
#include "core/texts/text_catalogue.h"

namespace tq {
namespace {

bool Recorded(ChipCommand command) {
    return command == ChipCommand::Auto || command == ChipCommand::Write || command == ChipCommand::Erase ||
           command == ChipCommand::Verify;
}

std::string StepsOf(ChipCommand command, const Prj_Info_Struct& prj) {
    switch (command) {
        case ChipCommand::Erase: return "erase";
        case ChipCommand::Write: return "write";
        case ChipCommand::Verify: return "verify";
        default: break;
    }
    return AutoStepsText(prj);
}

}  // namespace

void AddSerialOptions(CLI::App& command, SerialOptions& options) {
    command.add_option("--serial-address", options.address,
                       "Chip address (hex) where each chip gets its own serial number from the ledger");
    command.add_option("--serial-length", options.length, "Bytes of the serial number: 1, 2 or 4")
        ->check(CLI::IsMember({1, 2, 4}));
    command.add_option("--serial-endian", options.endian, "Byte order of the serial number: big or little")
        ->check(CLI::IsMember({"big", "little"}));
    command.add_option("--serial-first", options.first, "First serial number of a new job (0x for hex)");
    command.add_option("--serial-step", options.step, "Step between two serial numbers")
        ->check(CLI::Range(uint64_t{1}, uint64_t{0xFFFFFFFF}));
    command.add_option("--job", options.job, "Job whose serial numbers and log rows these are");
}

std::string LedgerLocation(const CliContext& context) {
    return LedgerLocationFor(ChooseProgramFolders(FolderEnvironment::FromProcess(context.options.programDir)),
                             context.options.productionDb);
}

std::string LedgerFailureText(int32_t language, const LedgerError& error) {
    switch (error.kind) {
        case LedgerError::Kind::NewerSchema:
            return Text(language, TextId::ProductionSchemaNewer,
                        {error.what(), std::to_string(kLedgerSchemaVersion)});
        case LedgerError::Kind::NotBuiltIn: return Text(language, TextId::ProductionNoPostgres);
        case LedgerError::Kind::Failed: break;
    }
    return Text(language, TextId::ProductionLedgerFailed, {error.what()});
}

bool ReadSerialStamp(CliContext& context, const SerialOptions& serial, size_t imageSize, SerialStamp& stamp) {
    const int32_t language = context.Language();
    const std::optional<uint32_t> address = ParseHexNumber(serial.address);
    if (!address) {
        context.Fail(Text(language, TextId::HexOptionRefused, {"--serial-address", serial.address}), kExitUsage);
        return false;
    }
    stamp = SerialStamp{*address, serial.length, serial.endian == "little", serial.first, serial.step};
    switch (CheckStamp(stamp, imageSize)) {
        case StampProblem::None: return true;
        case StampProblem::FirstTooWide:
            context.Fail(Text(language, TextId::SerialTooWide, {std::to_string(stamp.first), std::to_string(stamp.length)}),
                         kExitUsage);
            return false;
        default:
            context.Fail(Text(language, TextId::SerialBeyondImage,
                              {serial.address, std::to_string(stamp.length), std::to_string(imageSize)}),
                         kExitUsage);
            return false;
    }
}

bool ProductionRun::Prepare(CliContext& context, ChipCommand command, const SerialOptions& serial) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    const bool numbered = !serial.address.empty();
    if (!Recorded(command)) return true;
    if (context.options.noProductionLog) {
        if (!numbered) return true;
        context.Fail(Text(language, TextId::SerialNeedsLedger), kExitUsage);
        return false;
    }
    SerialStamp stamp;
    if (numbered && !ReadSerialStamp(context, serial, session.Buffer.RamFile.Data.size(), stamp)) return false;
    run_ = StartRunRecord(session.Operation, serial.job, StepsOf(command, session.Chip.PrjInfo));
    startTick_ = session.clock().TickCount();
    try {
        ledger_ = OpenProductionLedger(LedgerLocation(context));
        if (numbered) {
            if (TakeSerial(*ledger_, stamp, session.Operation, run_) == SerialTaking::TooWide) {
                // The job has run past what the length holds: the number is spent, the chip untouched.
                run_.message = Text(language, TextId::SerialTooWide, {std::to_string(*run_.serial), std::to_string(stamp.length)});
                ledger_->RecordRun(run_);
                context.Fail(run_.message);
                return false;
            }
            context.out << Text(language, TextId::SerialTaken, {std::to_string(*run_.serial), serial.job}) << '\n';
        }
    } catch (const LedgerError& error) {
        ledger_.reset();
        if (numbered) {
            context.Fail(LedgerFailureText(language, error));
            return false;
        }
        context.err << "tqprog-cli: " << Text(language, TextId::ProductionLogNotKept, {LedgerFailureText(language, error)})
                    << '\n';
    }
    // The bytes the write and verify handle, as their status line gives the digest.
    if (command != ChipCommand::Erase) run_.imageSha256 = WrittenImageDigest(session.Operation);
    return true;
}

void ProductionRun::Finish(CliContext& context, ChipCommand command, OperationOutcome outcome) {
    if (!ledger_) return;
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    run_.result = outcome == OperationOutcome::Succeeded ? RunResult::Passed : RunResult::Failed;
    run_.durationMs = static_cast<int64_t>(session.clock().TickCount() - startTick_);
    run_.message = OutcomeMessage(language, command, outcome);
    if (run_.programmer.empty()) run_.programmer = session.Device.DevInf.SerialNo;
    try {
        ledger_->RecordRun(run_);
    } catch (const LedgerError& error) {
        context.err << "tqprog-cli: " << Text(language, TextId::ProductionLogNotKept, {LedgerFailureText(language, error)})
                    << '\n';
    }
    if (run_.SerialVoid())
        context.err << "tqprog-cli: " << Text(language, TextId::SerialVoided, {std::to_string(*run_.serial)}) << '\n';
}

}  // namespace tq
