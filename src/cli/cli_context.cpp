#include "cli/cli_context.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/commands.h"
#include "cli/terminal_views.h"
#include "core/app/session_assembly.h"

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

std::filesystem::path CliContext::ProgramFolder() const { return ProgramFolderFor(options.programDir); }

TerminalViews& CliContext::views() {
    if (!parts_->views) {
        const bool interactive = &out == &std::cout && isatty(STDOUT_FILENO);
        parts_->views = std::make_unique<TerminalViews>(out, err, interactive);
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
    if (result.outcome == StartupOutcome::DatabaseFailed) terminal.ShowError(result.message);
    return session;
}

void CliContext::KeepSimulatorState() {
    if (!parts_->assembly) return;
    std::string error;
    if (!parts_->assembly->KeepSimulatorState(error))
        Fail("--sim-state: the simulated memories were not kept: " + error);
}

int CliContext::Fail(const std::string& message, int status) {
    err << "tqprog-cli: " << message << '\n';
    exitCode = status;
    return status;
}

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CliContext context(out, err);
    CLI::App app{"tqprog-cli: drives the TQM7300B serial memory programmer", "tqprog-cli"};
    app.require_subcommand(1);
    GlobalOptions& o = context.options;
    CLI::Option* simulator = app.add_flag("--simulator", o.simulator, "Use the built-in simulated programmer");
    app.add_option("--device", o.device, "Volume root (or exchange file) of the programmer; skips discovery");
    app.add_flag("--trace", o.trace, "Print every frame sent and every answer received on stderr");
    app.add_option("--program-dir", o.programDir, "Folder holding login.dat, dev.ini, the language files and temp/");
    app.add_option("--lang", o.language, "Message language: 0 Simplified Chinese, 1 Traditional Chinese, 2 English")
        ->check(CLI::Range(0, 2));
    app.add_option("-c,--chip", o.chip, "Chip name as in the chip database");
    app.add_option("--start", o.start, "Chip address (hexadecimal) where write and verify begin; default 0");
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
    } catch (const CLI::ParseError& e) {
        return app.exit(e, out, err);
    } catch (const StartupFailure& failure) {
        return context.Fail(failure.message);
    } catch (const DatabaseError& error) {
        context.Fail(std::string("database error: ") + error.what());
    }
    context.KeepSimulatorState();
    return context.exitCode;
}

}  // namespace tq
