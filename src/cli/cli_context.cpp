#include "cli/cli_context.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>

#include "cli/commands.h"
#include "cli/sim_setup.h"
#include "cli/terminal_views.h"
#include "core/app/startup.h"
#include "core/platform/system_volumes.h"
#include "sim/sim_programmer.h"

namespace tq {
namespace {

// Ends the command: start-up could not bring the session up.
struct StartupFailure {
    std::string message;
};

}  // namespace

struct CliContext::Parts {
    std::unique_ptr<Clock> clock;
    std::unique_ptr<Volumes> systemVolumes;
    std::unique_ptr<SimProgrammer> simulator;
    std::unique_ptr<TerminalViews> views;
    std::unique_ptr<Session> session;
    bool simulatorStateLoaded = false;  // --sim-state may be written back
};

CliContext::CliContext(std::ostream& out, std::ostream& err) : out(out), err(err), parts_(std::make_unique<Parts>()) {}

CliContext::~CliContext() = default;

std::filesystem::path CliContext::ProgramFolder() const {
    if (!options.programDir.empty()) return options.programDir;
    if (const char* home = std::getenv("TQPROG_HOME"); home && *home) return home;
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : exe.parent_path();
}

TerminalViews& CliContext::views() {
    if (!parts_->views) {
        const bool interactive = &out == &std::cout && isatty(STDOUT_FILENO);
        parts_->views = std::make_unique<TerminalViews>(out, err, interactive);
    }
    return *parts_->views;
}

SimProgrammer* CliContext::simulator() {
    session();
    return parts_->simulator.get();
}

Session& CliContext::session() {
    if (parts_->session) return *parts_->session;
    parts_->clock = std::make_unique<RealClock>();
    Volumes* volumes = nullptr;
    if (options.simulator) {
        parts_->simulator = std::make_unique<SimProgrammer>(*parts_->clock);
        volumes = &parts_->simulator->volumes();
    } else {
        parts_->systemVolumes = MakeSystemVolumes();
        volumes = parts_->systemVolumes.get();
    }
    parts_->session = std::make_unique<Session>(*volumes, *parts_->clock, ProgramFolder());
    Session& session = *parts_->session;
    TerminalViews& terminal = views();
    terminal.SetClock(parts_->clock.get());
    session.Views.messages = &terminal;
    session.Views.statusBar = &terminal;
    session.Views.progress = &terminal;
    if (options.trace) session.Device.Link.SetTrace(&terminal);
    std::string device = options.device;
    if (device.empty() && !options.simulator)
        if (const char* env = std::getenv("TQPROG_DEVICE"); env) device = env;
    session.Device.Link.SetExplicitDevice(device);
    // Database, settings (read only: the CLI never writes dev.ini), texts.
    StartupOptions startup;
    if (options.language >= 0) startup.language = options.language;
    const StartupResult result = RunStartup(session, startup);
    if (result.outcome == StartupOutcome::DatabaseMissing) throw StartupFailure{result.message};
    if (result.outcome == StartupOutcome::DatabaseFailed) terminal.ShowError(result.message);
    if (parts_->simulator) {
        if (!session.Chip.Database) throw StartupFailure{"the simulated socket needs the chip database"};
        std::string error;
        if (!SetUpSimulator(*parts_->simulator, *session.Chip.Database, options, error)) throw StartupFailure{error};
        parts_->simulatorStateLoaded = !options.simState.empty();
    }
    return session;
}

void CliContext::KeepSimulatorState() {
    if (!parts_->simulatorStateLoaded) return;
    std::string error;
    if (!parts_->simulator->SaveState(options.simState, error))
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
