#include "cli/cli_context.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/interrupt.h"
#include "cli/terminal_views.h"
#include "core/app/session_assembly.h"
#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"
#include "core/texts/system_language.h"

namespace tq {
namespace {

// Ends the command: start-up could not bring the session up.
struct StartupFailure {
    std::string message;
};

}  // namespace

struct CliContext::Parts {
    std::unique_ptr<SessionAssembly> assembly;
    std::unique_ptr<TerminalViews> views;
};

CliContext::CliContext(std::ostream& out, std::ostream& err) : out(out), err(err), parts_(std::make_unique<Parts>()) {}

CliContext::~CliContext() = default;

TerminalViews& CliContext::views() {
    if (!parts_->views) {
        const bool interactive = &err == &std::cerr && isatty(STDERR_FILENO);
        parts_->views = std::make_unique<TerminalViews>(err, interactive);
    }
    return *parts_->views;
}

SimProgrammer* CliContext::simulator() {
    session();
    return parts_->assembly->simulator();
}

Session& CliContext::session() {
    if (parts_->assembly) return parts_->assembly->session();
    FrontEndOptions frontEnd;
    frontEnd.simulator = options.simulator;
    frontEnd.device = options.device;
    frontEnd.programDir = options.programDir;
    if (options.language >= 0) frontEnd.language = options.language;
    frontEnd.sim = SimulatorOptions{options.chip, options.simChip, options.simState, options.simEraseMs};
    parts_->assembly = std::make_unique<SessionAssembly>(frontEnd);
    Session& session = parts_->assembly->session();
    TerminalViews& terminal = views();
    terminal.SetClock(&parts_->assembly->clock());
    session.Views.messages = &terminal;
    session.Views.statusBar = &terminal;
    session.Views.progress = &terminal;
    if (options.trace) session.Device.Link.SetTrace(&terminal);
    // Database, settings (read only: the CLI never writes dev.ini), texts.
    StartupResult result;
    std::string error;
    if (!parts_->assembly->Start(result, error)) throw StartupFailure{error};
    if (catchInterrupts)
        WatchInterrupts(session.Busy, Text(session.Texts.Language, TextId::CliStopping));
    if (result.outcome == StartupOutcome::DatabaseFailed) terminal.ShowError(result.message);
    return session;
}

void CliContext::KeepSimulatorState() {
    if (!parts_->assembly) return;
    std::string error;
    if (!parts_->assembly->KeepSimulatorState(error))
        Fail(Text(Language(), TextId::SimStateNotKept, {error}));
}

int CliContext::Fail(const std::string& message, int status) {
    err << "tqprog-cli: " << message << '\n';
    exitCode = status;
    return status;
}

namespace {

// The chip database the options lead to, for --version: the user's copy when
// there is one, else the shipped one.
std::string DatabaseVersionText(const GlobalOptions& options, int32_t language) {
    const ProgramFolders folders = ChooseProgramFolders(FolderEnvironment::FromProcess(options.programDir));
    for (const std::filesystem::path& folder : {folders.data, folders.program}) {
        const std::filesystem::path file = folder / kDatabaseFileName;
        std::error_code ec;
        if (!std::filesystem::exists(file, ec)) continue;
        try {
            return ChipDatabase::Open(file)->VersionQuery() + " (" + file.string() + ")";
        } catch (const DatabaseError& error) {
            return file.string() + ": " + error.what();
        }
    }
    return MissingDatabaseText(language, folders.data);
}

// "unknown command: foo" when the first word the parser could not place is
// not an option; empty otherwise.
std::string UnknownCommand(const CLI::App& app, int32_t language) {
    if (!app.get_subcommands().empty()) return {};
    const std::vector<std::string> rest = app.remaining();
    if (rest.empty() || rest.front().empty() || rest.front().front() == '-') return {};
    return Text(language, TextId::CliUnknownCommand, {rest.front()});
}

}  // namespace

int32_t CliContext::Language() const {
    if (options.language >= 0) return options.language;
    if (parts_->assembly) return parts_->assembly->session().Texts.Language;
    return SystemLanguage();
}

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool catchInterrupts) {
    CliContext context(out, err);
    context.catchInterrupts = catchInterrupts;
    CLI::App app{"tqprog-cli: drives the TQM7300B serial memory programmer", "tqprog-cli"};
    app.require_subcommand(0, 1);
    app.footer(kExitStatusHelp);
    GlobalOptions& o = context.options;
    bool version = false;
    app.add_flag("--version", version, "Print the program's and the chip database's version");
    CLI::Option* simulator = app.add_flag("--simulator", o.simulator, "Use the built-in simulated programmer");
    app.add_option("--device", o.device, "Volume root (or exchange file) of the programmer; skips discovery");
    app.add_flag("--trace", o.trace, "Print every frame sent and every answer received on stderr");
    app.add_option("--program-dir", o.programDir,
                   "Folder holding login.dat, dev.ini, the language files and temp/ (portable layout)");
    app.add_option("--lang", o.language, "Message language: 0 Simplified Chinese, 1 Traditional Chinese, 2 English")
        ->check(CLI::Range(0, 2));
    app.add_option("-c,--chip", o.chip, "Chip name as in the chip database");
    app.add_option("--start", o.start, "Chip address (hexadecimal) where write and verify begin; default 0")
        ->each([&o](const std::string&) { o.startGiven = true; });
    app.add_option("--sim-chip", o.simChip,
                   "Chip in the simulated socket, or none (default: the chip named with -c; without it, none)")
        ->needs(simulator);
    app.add_option("--sim-state", o.simState, "Folder keeping the simulated chip memories and storage between runs")
        ->needs(simulator);
    app.add_option("--sim-erase-ms", o.simEraseMs,
                   "How long the simulated chip takes to erase, in ms (default: its EraseTime in the database)")
        ->check(CLI::NonNegativeNumber)
        ->needs(simulator);
    // Global options may also follow the command: "auto image.bin -c GD25Q64".
    app.fallthrough();
    RegisterInfoCommand(app, context);
    RegisterChipsCommand(app, context);
    RegisterProjectCommands(app, context);
    RegisterFirmwareCommands(app, context);
    RegisterConvertCommand(app, context);
    RegisterMergeCommand(app, context);
    RegisterChipOperationCommands(app, context);
    RegisterDetectCommand(app, context);
    RegisterUserChipCommands(app, context);
    RegisterDevicesCommand(app, context);
    try {
        app.parse(argc, argv);
        if (version) {
            out << "tqprog-cli " << TQPROG_VERSION << '\n'
                << Text(context.Language(), TextId::CliDatabaseVersion, {DatabaseVersionText(o, context.Language())})
                << '\n';
            return kExitOk;
        }
        if (app.get_subcommands().empty())
            return context.Fail(Text(context.Language(), TextId::CliNoCommand), kExitUsage);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e, out, err);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        const std::string unknown = UnknownCommand(app, context.Language());
        err << "tqprog-cli: " << (unknown.empty() ? std::string(e.what()) : unknown) << '\n'
            << Text(context.Language(), TextId::CliSeeHelp) << '\n';
        return kExitUsage;
    } catch (const StartupFailure& failure) {
        return context.Fail(failure.message);
    } catch (const DatabaseError& error) {
        context.Fail(Text(context.Language(), TextId::CliDatabaseError, {error.what()}));
    }
    context.KeepSimulatorState();
    if (StopWasRequested())
        context.Fail(Text(context.Language(), TextId::CliStoppedByCtrlC), kExitStopped);
    return context.exitCode;
}

}  // namespace tq
