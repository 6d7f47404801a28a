#include "cli/cli_context.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/interrupt.h"
#include "cli/terminal_views.h"
#include "core/app/language_files.h"
#include "core/app/session_assembly.h"
#include "core/app/simulator_setup.h"
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
        parts_->views = std::make_unique<TerminalViews>(err, interactive, Language());
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
    frontEnd.sim = SimulatorOptions{options.chip, options.simChip, options.simState, options.simEraseMs, options.simFlaky};
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
    terminal.SetLanguage(session.Texts.Language);
    for (const std::string& note : LanguageFileNotes(languageProblems, session.Texts.Language, options.trace))
        err << "tqprog-cli: " << note << '\n';
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

// The --lang value on the command line, if any and valid; else the system's language.
int32_t UsageLanguage(const std::vector<std::string>& arguments) {
    return ParseLanguageChoice(OptionBeforeParsing(arguments, "--lang")).value_or(SystemLanguage());
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
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    // The language files first: --help and every message may speak one of them.
    context.languageProblems = InstallLanguageFiles(
        ChooseProgramFolders(FolderEnvironment::FromProcess(OptionBeforeParsing(arguments, "--program-dir"))));
    context.usageLanguage = UsageLanguage(arguments);
    const TextPicker usage(context.usageLanguage);
    CLI::App app{usage(TextId::CliDescription), "tqprog-cli"};
    app.require_subcommand(0, 1);
    app.footer(usage(TextId::CliExitStatusHelp));
    GlobalOptions& o = context.options;
    bool version = false;
    app.add_flag("--version", version, usage(TextId::CliOptionVersion));
    CLI::Option* simulator = app.add_flag("--simulator", o.simulator, usage(TextId::CliOptionSimulator));
    app.add_option("--device", o.device, usage(TextId::CliOptionDevice));
    app.add_flag("--trace", o.trace, usage(TextId::CliOptionTrace));
    app.add_option("--program-dir", o.programDir, usage(TextId::CliOptionProgramDir));
    app.add_option_function<std::string>(
        "--lang",
        [&o, &context](const std::string& text) {
            const std::optional<int32_t> language = ParseLanguageChoice(text);
            if (!language) throw CLI::ValidationError(WithLanguageCodes(context.usageLanguage, TextId::GuiLanguageValue));
            o.language = *language;
        },
        WithLanguageCodes(context.usageLanguage, TextId::CliOptionLanguage));
    app.add_option("-c,--chip", o.chip, usage(TextId::CliOptionChip));
    app.add_option("--start", o.start, usage(TextId::CliOptionStart))->each([&o](const std::string&) {
        o.startGiven = true;
    });
    app.add_option("--sim-chip", o.simChip, usage(TextId::CliOptionSimChip))->needs(simulator);
    app.add_option("--sim-state", o.simState, usage(TextId::CliOptionSimState))->needs(simulator);
    app.add_option("--sim-erase-ms", o.simEraseMs, usage(TextId::CliOptionSimEraseMs))
        ->check(CLI::NonNegativeNumber)
        ->needs(simulator);
    app.add_option_function<std::string>(
           "--sim-flaky",
           [&o, &context](const std::string& text) {
               std::string refused;
               const std::optional<std::vector<uint32_t>> addresses = ParseAddressList(text, refused);
               if (!addresses)
                   throw CLI::ValidationError(Text(context.usageLanguage, TextId::HexOptionRefused, {"--sim-flaky", refused}));
               o.simFlaky = *addresses;
           },
           usage(TextId::CliOptionSimFlaky))
        ->needs(simulator);
    app.add_option("--production-db", o.productionDb, usage(TextId::CliOptionProductionDb));
    app.add_flag("--no-production-log", o.noProductionLog, usage(TextId::CliOptionNoProductionLog));
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
    RegisterChecksumCommand(app, context);
    RegisterLogCommands(app, context);
    RegisterCompareCommand(app, context);
    RegisterLanguageCommand(app, context);
    try {
        app.parse(argc, argv);
        if (version) {
            out << "tqprog-cli " << TQPROG_VERSION << '\n'
                << Text(context.Language(), TextId::CliDatabaseVersion, {DatabaseVersionText(o, context.Language())})
                << '\n'
                << Text(context.Language(), TextId::LicenceNotice) << '\n';
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
    // An operation that ended as stopped has said so with its own line.
    if (StopWasRequested() && context.exitCode != kExitStopped)
        context.Fail(Text(context.Language(), TextId::CliStoppedByCtrlC), kExitStopped);
    return context.exitCode;
}

}  // namespace tq
