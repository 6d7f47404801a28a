// `project download`: store an offline project in the programmer and print
// its stages.
//   project download DATAFILE -c CHIP [--name NAME] [--mode manual|auto|machine]
//       [--id-check] [--no-erase] [--no-write] [--no-verify]
//       [--serial ADDR:VALUE:BYTES:big|little] [--limit N]
//       [--all [--job NAME]]: to every attached programmer; with --serial
//       each gets its own range of --limit numbers from the ledger
// The step options default to those of the settings, like the editor's.
#include <CLI/CLI.hpp>
#include <charconv>
#include <memory>
#include <ostream>
#include <sstream>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "core/buffer/image_formats.h"
#include "core/texts/text_catalogue.h"
#include "cli/chip_command.h"
#include "core/project/project_download.h"
#include "core/project/project_editor.h"
#include "core/project/project_file.h"
#include "cli/production_hook.h"
#include "core/base/number_text.h"
#include "core/device/attached_programmers.h"
#include "core/production/station_name.h"

namespace tq {
namespace {

struct DownloadOptions {
    std::string dataFile;
    std::string name;
    std::string mode;
    bool idCheck = false;
    bool noErase = false;
    bool noWrite = false;
    bool noVerify = false;
    std::string serial;
    std::string limit;
    bool all = false;  // every attached programmer, each with its own serial range
    std::string job = "default";
};

// The download's stages on the terminal: each stage on its own line, each new state or
// percentage indented below it.
class TerminalProjectStatus final : public StatusBarView {
public:
    explicit TerminalProjectStatus(std::ostream& out) : out_(out) {}
    void SetPanelText(int panel, const std::string& text) override {
        if (panel == 0) {
            out_ << text << '\n';
            last_.clear();
        } else if (text != last_) {
            out_ << "  " << text << '\n';
            last_ = text;
        }
    }

private:
    std::ostream& out_;
    std::string last_;
};

// The editor's log: lines that say something are printed.
class TerminalProjectLog final : public ProjectLogView {
public:
    explicit TerminalProjectLog(std::ostream& out) : out_(out) {}
    void Clear() override {}
    void AppendLine(const std::string& text, LogColour) override {
        if (text.find_first_not_of(' ') != std::string::npos) out_ << text << '\n';
    }

private:
    std::ostream& out_;
};

// --serial ADDR:VALUE:BYTES:big|little into the plan. The address and value
// stay texts: the project file names them when they are not numbers.
bool ParseSerial(const std::string& text, ProjectPlan& plan) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, ':');) parts.push_back(part);
    if (parts.size() != 4 || text.back() == ':') return false;
    if (parts[2] != "1" && parts[2] != "2" && parts[2] != "4") return false;
    if (parts[3] != "big" && parts[3] != "little") return false;
    plan.serialNumbers = true;
    plan.serialAddress = parts[0];
    plan.serialValue = parts[1];
    plan.serialBytes = std::stoi(parts[2]);
    plan.serialLittleEndian = parts[3] == "little";
    return true;
}

// The file types the data file may have: the open dialog's filters, from the format table.
std::string DataFileHelp() {
    std::string help = "The data file the programmer writes to each chip (";
    const std::vector<FileFilter> filters = OpenFileFilters();
    for (size_t i = 0; i + 1 < filters.size(); ++i) help += filters[i].description + " " + filters[i].pattern + ", ";
    return help + "any other: binary)";
}

void Download(CliContext& context, const DownloadOptions& options) {
    Session& session = context.session();
    OperationContext& operation = session.Operation;
    const int32_t language = session.Texts.Language;
    // The steps default to those the settings remember, as in the editor.
    const Prj_Info_Struct& remembered = session.Chip.PrjInfo;
    ProjectPlan plan;
    plan.idCheck = options.idCheck || remembered.IdCheck != 0;
    plan.erase = !options.noErase && remembered.Erase != 0;
    plan.write = !options.noWrite && remembered.Write != 0;
    plan.verify = !options.noVerify && remembered.Verify != 0;
    if (!options.serial.empty() && !ParseSerial(options.serial, plan)) {
        context.Fail(Text(language, TextId::ProjectSerialOptionMalformed, {options.serial}));
        return;
    }
    TerminalProjectLog log(context.out);
    MessageView& messages = *session.Views.messages;
    if (!ChooseDataFile(operation, messages, log, plan, options.dataFile)) {
        context.exitCode = 1;  // the reason was shown with the file's path
        return;
    }
    plan.chipName = context.options.chip;
    if (!options.name.empty()) plan.name = options.name;
    if (!options.mode.empty())
        plan.method = options.mode == "manual" ? DownloadMethod::Manual
                      : options.mode == "auto" ? DownloadMethod::Automatic
                                               : DownloadMethod::Machine;
    if (!options.limit.empty()) {
        plan.countLimited = true;
        plan.countLimit = options.limit;
    }

    if (!ConnectForCommand(context)) return;
    TerminalProjectStatus status(context.out);
    NullProgressView bar;  // panel 1 already prints the percentage
    ProjectDialogViews views{status, bar, messages};
    if (DownloadProject(operation, views, plan) != kStepOk)
        context.Fail(Text(language, TextId::ProjectDownloadFailed));
}

// --all: the project in every attached programmer, one after the other,
// each through a session of its own. With serial numbers each programmer
// gets the next --limit numbers of the job, recorded in the ledger before
// its download, so two programmers never write the same number; a failed
// download keeps its range, void. One programmer failing stops no other.
void DownloadToAll(CliContext& context, const DownloadOptions& options) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    ProjectPlan serial;
    if (!options.serial.empty() && !ParseSerial(options.serial, serial)) {
        context.Fail(Text(language, TextId::ProjectSerialOptionMalformed, {options.serial}));
        return;
    }
    const std::optional<uint32_t> first = ParseHexNumber(serial.serialValue);
    uint32_t limit = 0;
    const char* end = options.limit.data() + options.limit.size();
    const auto parsed = std::from_chars(options.limit.data(), end, limit);
    const bool limitGiven = !options.limit.empty() && parsed.ec == std::errc() && parsed.ptr == end;
    if (serial.serialNumbers && (!first || !limitGiven || limit == 0 || limit > 0xFFFF)) {
        context.Fail(Text(language, TextId::ProjectAllNeedsRange), kExitUsage);
        return;
    }
    std::vector<AttachedProgrammer> programmers;
    for (const AttachedProgrammer& p : ListAttachedProgrammers(session.Device))
        if (p.answered) programmers.push_back(p);
    if (programmers.empty()) {
        context.Fail(Text(language, TextId::DevicesNoneAnswers), kExitNoProgrammer);
        return;
    }
    int stored = 0;
    try {
        const std::unique_ptr<ProductionLedger> ledger =
            serial.serialNumbers ? OpenProductionLedger(LedgerLocation(context)) : nullptr;
        for (const AttachedProgrammer& programmer : programmers) {
            DownloadOptions own = options;
            RunRecord run;
            run.time = LedgerTimeNow();
            run.station = StationName();
            run.programmer = programmer.identity.SerialNo;
            run.chip = context.options.chip;
            run.job = options.job;
            run.steps = "project";
            bool fits = true;
            uint64_t last = 0;
            if (ledger) {
                const SerialAllocation taken =
                    ledger->AllocateSerials(options.job, *first, 1, limit, {run.station, run.programmer, run.time});
                run.serial = taken.first;
                run.allocationId = taken.id;
                last = taken.first + taken.count - 1;
                run.message = Text(language, TextId::ProjectAllRange, {std::to_string(taken.first), std::to_string(last)});
                fits = ValueFits(SerialStamp{0, serial.serialBytes, false, 0, 1}, last);
                own.serial = serial.serialAddress + ":" + HexText(static_cast<uint32_t>(taken.first), 8) + ":" +
                             std::to_string(serial.serialBytes) + ":" + (serial.serialLittleEndian ? "little" : "big");
            }
            context.out << Text(language, TextId::ProjectAllProgrammer, {programmer.root, programmer.identity.SerialNo})
                        << run.message << '\n';
            CliContext one(context.out, context.err);
            one.options = context.options;
            one.options.device = programmer.root;
            if (fits)
                Download(one, own);
            else
                one.Fail(Text(language, TextId::SerialTooWide, {std::to_string(last), std::to_string(serial.serialBytes)}));
            run.result = one.exitCode == 0 ? RunResult::Passed : RunResult::Failed;
            stored += one.exitCode == 0 ? 1 : 0;
            if (context.exitCode == 0) context.exitCode = one.exitCode;
            if (ledger) ledger->RecordRun(run);
        }
    } catch (const LedgerError& error) {
        context.Fail(LedgerFailureText(language, error));
        return;
    }
    context.out << Text(language, TextId::ProjectAllStored, {std::to_string(stored), std::to_string(programmers.size())})
                << '\n';
}

}  // namespace

void RegisterProjectCommands(CLI::App& app, CliContext& context) {
    CLI::App* project = app.add_subcommand("project", "Offline projects stored in the programmer");
    project->require_subcommand(1);
    auto options = std::make_shared<DownloadOptions>();
    CLI::App* download = project->add_subcommand(
        "download", "Write the project file for a chip and store it and its data file in the programmer");
    download->add_option("DATAFILE", options->dataFile, DataFileHelp())->required();
    download->add_option("--name", options->name, "Project name (default: the data file's name)");
    download->add_option("--mode", options->mode, "Download method (default: auto)")
        ->check(CLI::IsMember({"manual", "auto", "machine"}));
    download->add_flag("--id-check", options->idCheck, "Check the chip ID first");
    download->add_flag("--no-erase", options->noErase, "Leave out the erase step");
    download->add_flag("--no-write", options->noWrite, "Leave out the write step");
    download->add_flag("--no-verify", options->noVerify, "Leave out the verify step");
    download->add_option("--serial", options->serial,
                         "Serial numbers: hexadecimal address and first value, 1, 2 or 4 bytes, big or little endian");
    download->add_option("--limit,--count-limit", options->limit, "Program at most N chips (kept to 16 bits)");
    download->add_flag("--all", options->all,
                       "Store it in every attached programmer; with --serial each gets its own range of --limit numbers");
    download->add_option("--job", options->job, "With --all: the ledger job the serial ranges are taken from");
    download->callback([&context, options] {
        if (options->all)
            DownloadToAll(context, *options);
        else
            Download(context, *options);
    });
}

}  // namespace tq
