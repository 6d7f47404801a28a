#include <chrono>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <thread>

#include "cli/auto_all.h"
#include "cli/chip_command.h"
#include "cli/cli_context.h"
#include "core/app/production_line.h"
#include "core/app/session_assembly.h"
#include "core/app/simulated_line.h"
#include "core/texts/text_catalogue.h"

namespace tq {
namespace {

// The programmers the line drives: the drives of this machine, or with
// --simulator one simulated programmer like the other commands'.
std::unique_ptr<ProgrammerDiscovery> LineDiscovery(CliContext& context, std::string& error) {
    const GlobalOptions& o = context.options;
    if (!o.simulator) {
        const char* extra = std::getenv("TQPROG_DEVICES");
        return MakeSystemDiscovery(extra ? DeviceListFromText(extra) : std::vector<std::string>{});
    }
    auto line = std::make_unique<SimulatedLine>(1);
    const SimulatorOptions sim{o.chip, o.simChip, {}, o.simEraseMs, o.simFlaky};
    if (!line->SetUp(context.session().Texts.DataFolder, sim, error)) return nullptr;
    return line;
}

}  // namespace

void RunAutoOnAll(CliContext& context, const AutoAllArgs& args) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    std::optional<uint32_t> start;
    if (!ReadStartOption(context, start)) return;
    if (!SelectGivenChip(context)) return;
    Prj_Info_Struct& prj = session.Chip.PrjInfo;
    if (start && *start >= prj.Capacity) {
        context.Fail(Text(language, TextId::CliStartBeyondChip) + context.options.start);
        return;
    }
    if (!LoadFileForCommand(context, args.file, start.value_or(0), args.truncate)) return;

    if (start) prj.RamStartAddr = *start;
    LineJob job = LineJobOf(session);
    job.steps.erase = job.steps.erase && !args.noErase;
    job.steps.write = job.steps.write && !args.noWrite;
    job.steps.verify = job.steps.verify && !args.noVerify;
    ApplyBackupArgs(job.guard, args.backup);
    job.job = args.serial.job;
    if (!args.serial.address.empty()) {
        if (context.options.noProductionLog) {
            context.Fail(Text(language, TextId::SerialNeedsLedger), kExitUsage);
            return;
        }
        SerialStamp stamp;
        if (!ReadSerialStamp(context, args.serial, job.image.size(), stamp)) return;
        job.serial = stamp;
    }
    std::unique_ptr<ProductionLedger> ledger;
    if (!context.options.noProductionLog) {
        try {
            ledger = OpenProductionLedger(LedgerLocation(context));
        } catch (const LedgerError& error) {
            if (job.serial) {
                context.Fail(LedgerFailureText(language, error));
                return;
            }
            context.err << "tqprog-cli: " << Text(language, TextId::ProductionLogNotKept, {LedgerFailureText(language, error)})
                        << '\n';
        }
    }
    std::string error;
    const std::unique_ptr<ProgrammerDiscovery> discovery = LineDiscovery(context, error);
    if (!discovery) {
        context.Fail(error);
        return;
    }
    ProductionLine line(*discovery, LineSetup{ProgramFolders{session.Texts.ProgramFolder, session.Texts.SettingsFolder,
                                                             session.Texts.DataFolder, session.Texts.TempFolder},
                                              language, language, ledger.get()});
    line.Refresh();
    size_t answering = 0;
    for (const StationSnapshot& station : line.Snapshot()) answering += station.answered ? 1 : 0;
    if (answering == 0) {
        context.Fail(Text(language, TextId::DevicesNoneAnswers), kExitNoProgrammer);
        return;
    }
    // A first Ctrl-C stops every run (the front session stands for the line's).
    session.Busy.Running = true;
    line.StartAll(job);
    while (line.Running()) {
        if (session.Busy.StopRequest) line.StopAll();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    line.Wait();
    session.Busy.Running = false;

    const std::vector<StationSnapshot> stations = line.Snapshot();
    size_t passed = 0;
    for (const StationSnapshot& s : stations) {
        std::string result = StationStateText(language, s.state);
        if (s.serialNumber) result += ", " + Text(language, TextId::SerialTaken, {std::to_string(*s.serialNumber), job.job});
        if (!s.reason.empty()) result += ": " + s.reason;
        context.out << Text(language, TextId::LineProgrammerResult, {s.key, s.serial, result}) << '\n';
        passed += s.state == StationState::Passed ? 1 : 0;
    }
    context.out << Text(language, TextId::LineSummary, {std::to_string(passed), std::to_string(stations.size())}) << '\n';
    if (passed != stations.size()) context.exitCode = kExitFailed;
}

}  // namespace tq
