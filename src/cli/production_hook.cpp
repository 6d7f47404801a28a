#include "cli/production_hook.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <ostream>

#include "cli/cli_context.h"
#include "core/app/program_folders.h"
#include "core/app/settings.h"
#include "core/base/number_text.h"
#include "core/base/profile_file.h"
#include "core/buffer/image_digests.h"
#include "core/operations/write.h"
#include "core/production/station_name.h"
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
    std::string steps;
    for (const auto& [on, name] : {std::pair{prj.IdCheck, "id"}, std::pair{prj.Erase, "erase"},
                                   std::pair{prj.Write, "write"}, std::pair{prj.Verify, "verify"}})
        if (on) steps += steps.empty() ? name : std::string(",") + name;
    return steps;
}

// The ID a chip of the selected name answers with, from the chip database.
std::string ChipIdOf(Session& session) {
    try {
        const std::vector<ChipRow> rows = session.Chip.database().ChipRowQuery(session.Chip.PrjInfo.ChipName);
        return rows.empty() ? std::string() : rows.front().ChipID;
    } catch (const DatabaseError&) {
        return {};
    }
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
    if (!context.options.productionDb.empty()) return context.options.productionDb;
    const ProgramFolders folders =
        ChooseProgramFolders(FolderEnvironment::FromProcess(context.options.programDir));
    const std::string set = ProfileFile::Load(folders.settings / kSettingsFileName)
                                .ReadString("tqprog", kProductionDbKey, "", 1024);
    if (!set.empty()) return set;
    // An installed program's data folder may not be there yet when the log is the first thing asked for.
    std::error_code ignored;
    std::filesystem::create_directories(folders.data, ignored);
    return (folders.data / kLedgerFileName).string();
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
    std::vector<uint8_t>& image = session.Buffer.RamFile.Data;
    if (numbered) {
        const std::optional<uint32_t> address = ParseHexNumber(serial.address);
        if (!address) {
            context.Fail(Text(language, TextId::HexOptionRefused, {"--serial-address", serial.address}), kExitUsage);
            return false;
        }
        stamp = SerialStamp{*address, serial.length, serial.endian == "little", serial.first, serial.step};
        switch (CheckStamp(stamp, image.size())) {
            case StampProblem::None: break;
            case StampProblem::FirstTooWide:
                context.Fail(Text(language, TextId::SerialTooWide, {std::to_string(stamp.first), std::to_string(stamp.length)}),
                             kExitUsage);
                return false;
            default:
                context.Fail(Text(language, TextId::SerialBeyondImage,
                                  {serial.address, std::to_string(stamp.length), std::to_string(image.size())}),
                             kExitUsage);
                return false;
        }
    }
    const Prj_Info_Struct& prj = session.Chip.PrjInfo;
    run_.time = LedgerTimeNow();
    run_.station = StationName();
    run_.programmer = session.Device.DevInf.SerialNo;
    run_.chip = prj.ChipName;
    run_.chipId = ChipIdOf(session);
    run_.job = serial.job;
    run_.steps = StepsOf(command, prj);
    startTick_ = session.clock().TickCount();
    try {
        ledger_ = OpenProductionLedger(LedgerLocation(context));
        if (numbered) {
            const SerialAllocation taken =
                ledger_->AllocateSerials(serial.job, stamp.first, stamp.step, 1, {run_.station, run_.programmer, run_.time});
            run_.serial = taken.first;
            run_.allocationId = taken.id;
            if (!StampSerial(image, stamp, taken.first)) {
                // The job has run past what the length holds: the number is spent, the chip untouched.
                run_.message = Text(language, TextId::SerialTooWide, {std::to_string(taken.first), std::to_string(stamp.length)});
                ledger_->RecordRun(run_);
                context.Fail(run_.message);
                return false;
            }
            session.Buffer.KnownStorageSum.reset();
            context.out << Text(language, TextId::SerialTaken, {std::to_string(taken.first), serial.job}) << '\n';
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
    if (command != ChipCommand::Erase && !image.empty()) {
        const size_t length = std::min<size_t>(WriteLength(session.Operation), image.size());
        run_.imageSha256 = DigestHex(DigestsOf(image.data(), length, kDigestSha256).sha256.data(), 32);
    }
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
