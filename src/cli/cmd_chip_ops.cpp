// The chip operations from the terminal, each run as the main window's
// command would run it, after connecting and selecting the chip named with -c:
//   erase | blank | write FILE | read FILE | verify FILE | selfcheck
//   auto FILE [--no-erase] [--no-write] [--no-verify]
//   read --twice [-o FILE]: the contact check, its report on stdout
// FILE may be a binary image, an Intel HEX or a CAP file (loaded as the open
// command loads it); read writes a binary image. The status lines of panel 0
// are printed as they appear; the exit status tells how the operation ended.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/auto_all.h"
#include "cli/backup_options.h"
#include "cli/chip_command.h"
#include "core/texts/text_catalogue.h"
#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/production_hook.h"
#include "cli/terminal_views.h"
#include "core/texts/language.h"
#include "core/base/number_text.h"
#include "core/buffer/file_open_save.h"
#include "core/buffer/image_formats.h"
#include "core/operations/contact_check.h"
#include "core/operations/auto_sequence.h"
#include "core/operations/erase_blank.h"
#include "core/operations/hardware_info.h"
#include "core/operations/read_verify.h"
#include "core/operations/write.h"

namespace tq {

namespace {

struct OperationArgs {
    std::string name;  // the command as typed
    std::string file;
    bool noErase = false;
    bool noWrite = false;
    bool noVerify = false;
    bool truncate = false;  // write, verify, auto: use the part of FILE that fits the chip
    SerialOptions serial;   // auto: a number from the ledger in each chip
    BackupArgs backup;      // erase, write, auto
    bool twice = false;     // read: the contact check
    std::string output;     // read --twice -o: where a stable image goes
    bool all = false;       // auto --all: every attached programmer at once
};

// read --twice: 0 the reads agree, 1 they differ, 2 a read did not complete;
// no programmer, an empty socket, an unknown chip and a stop keep their statuses.
constexpr int kExitReadsDiffer = 1;
constexpr int kExitReadIncomplete = 2;

bool TakesFile(ChipCommand command) {
    return command == ChipCommand::Write || command == ChipCommand::Verify || command == ChipCommand::Auto;
}

OperationOutcome RunOperation(OperationContext& operation, ChipCommand command) {
    switch (command) {
        case ChipCommand::Erase: return EraseChip(operation);
        case ChipCommand::BlankCheck: return CheckBlank(operation);
        case ChipCommand::Write: return WriteImage(operation);
        case ChipCommand::Read: return ReadChip(operation);
        case ChipCommand::Verify: return VerifyChip(operation);
        case ChipCommand::Auto: return RunAutoSequence(operation);
        case ChipCommand::SelfCheck: return RunSelfCheck(operation);
        case ChipCommand::Detect: break;
    }
    return OperationOutcome::Failed;
}

void RunChipOperation(CliContext& context, ChipCommand command, const OperationArgs& args) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    std::optional<uint32_t> start;
    if (!ReadStartOption(context, start)) return;
    if (!ConnectForCommand(context)) return;
    if (command != ChipCommand::SelfCheck && !SelectGivenChip(context)) return;
    Prj_Info_Struct& prj = session.Chip.PrjInfo;
    if (start) {
        if (*start >= prj.Capacity) {
            context.Fail(Text(language, TextId::CliStartBeyondChip) +
                         context.options.start);
            return;
        }
    }
    if (TakesFile(command) && !LoadFileForCommand(context, args.file, start.value_or(0), args.truncate)) return;
    if (start) prj.RamStartAddr = *start;
    if (args.noErase) prj.Erase = 0;
    if (args.noWrite) prj.Write = 0;
    if (args.noVerify) prj.Verify = 0;
    ApplyBackupArgs(session.Operation.Guard, args.backup);

    ProductionRun production;
    if (!production.Prepare(context, command, args.serial)) return;
    const OperationOutcome outcome = RunOperation(session.Operation, command);
    if (session.Device.EraseRunning) {
        // A stopped erase goes on in the programmer, and the next process
        // would not know of it: wait for its end here (Ctrl-C again quits).
        OperationScope scope(session.Operation);
        AwaitRunningErase(session.Operation);
    }
    context.views().FinishBar();
    production.Finish(context, command, outcome);
    if (outcome == OperationOutcome::Succeeded) {
        if (command == ChipCommand::BlankCheck)
            context.out << Text(language, TextId::CliChipBlank) << '\n';
        if (command == ChipCommand::Read) {
            std::string error;
            if (!SaveBufferFile(session.Buffer, args.file, error)) {
                context.Fail(error);
                return;
            }
            context.out << Text(language, TextId::CliSavedTo) << args.file << '\n';
        }
    }
    // A failure with the link gone is the link's: "not blank" or "differs"
    // would name a cause that did not happen. (The write's own line, that
    // the programmer did not take all the data, is true as it stands.)
    if (outcome == OperationOutcome::Failed && !session.Device.Link.Uart.Connected && command != ChipCommand::Write) {
        context.Fail(Text(language, TextId::CliLinkLostDuringOperation, {args.name}), kExitNoProgrammer);
        return;
    }
    ReportOutcome(context, command, outcome);
}

void RunReadTwice(CliContext& context, const OperationArgs& args) {
    if (!ConnectForCommand(context) || !SelectGivenChip(context)) return;
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    const ContactCheck check = ReadChipTwice(session.Operation);
    context.views().FinishBar();
    if (check.outcome == OperationOutcome::Failed) {
        context.Fail(OutcomeMessage(language, ChipCommand::Read, check.outcome), kExitReadIncomplete);
        return;
    }
    if (check.outcome != OperationOutcome::Succeeded) {
        ReportOutcome(context, ChipCommand::Read, check.outcome);
        return;
    }
    for (const std::string& line : ContactReport(language, check)) context.out << line << '\n';
    if (!check.stable()) {
        context.exitCode = kExitReadsDiffer;
        return;
    }
    // Only an image both reads agree on is worth keeping.
    if (args.output.empty()) return;
    std::string error;
    if (!WriteImageFile(args.output, ImageSpan{0, check.first}, Durability::Synced, error, language)) {
        context.Fail(error, kExitReadIncomplete);
        return;
    }
    context.out << Text(language, TextId::CliSavedTo) << args.output << '\n';
}

}  // namespace

void RegisterChipOperationCommands(CLI::App& app, CliContext& context) {
    struct Entry {
        const char* name;
        ChipCommand command;
        const char* description;
        const char* fileHelp;
    };
    const Entry entries[] = {
        {"erase", ChipCommand::Erase, "Erase the chip", nullptr},
        {"blank", ChipCommand::BlankCheck, "Check that the chip is blank", nullptr},
        {"write", ChipCommand::Write, "Write a file into the chip from --start", "Binary, Intel HEX or CAP file"},
        {"read", ChipCommand::Read, "Read the whole chip into a binary file", "File to write (replaced when the read succeeds)"},
        {"verify", ChipCommand::Verify, "Compare the chip from --start with a file", "Binary, Intel HEX or CAP file"},
        {"auto", ChipCommand::Auto, "Erase, write and verify as the auto options (Erase/Write/Verify settings) say",
         "Binary, Intel HEX or CAP file"},
        {"selfcheck", ChipCommand::SelfCheck, "Run the programmer's self-check", nullptr},
    };
    for (const Entry& entry : entries) {
        auto args = std::make_shared<OperationArgs>();
        args->name = entry.name;
        CLI::App* command = app.add_subcommand(entry.name, entry.description);
        if (entry.fileHelp) {
            CLI::Option* file = command->add_option("FILE", args->file, entry.fileHelp);
            if (entry.command == ChipCommand::Read) {
                // A contact check needs no file: with --twice, FILE gives way to -o.
                const TextPicker usage(context.usageLanguage);
                CLI::Option* twice = command->add_flag("--twice", args->twice, usage(TextId::CliReadTwiceOption))->excludes(file);
                command->add_option("-o,--output", args->output, usage(TextId::CliReadTwiceOutput))->needs(twice);
            } else {
                file->required();
            }
            command->add_flag("--truncate", args->truncate,
                              "Use only the part of FILE that fits the chip from --start (else such a file is refused)");
        }
        if (entry.command == ChipCommand::Auto) {
            command->add_flag("--no-erase", args->noErase, "Leave out the erase step");
            command->add_flag("--no-write", args->noWrite, "Leave out the write step");
            command->add_flag("--no-verify", args->noVerify, "Leave out the verify step");
            AddSerialOptions(*command, args->serial);
            command->add_flag("--all", args->all, TextPicker(context.usageLanguage)(TextId::CliAutoAllOption));
        }
        if (entry.command == ChipCommand::Erase || entry.command == ChipCommand::Write ||
            entry.command == ChipCommand::Auto)
            AddBackupOptions(*command, args->backup, entry.command == ChipCommand::Write,
                             TextPicker(context.usageLanguage));
        const ChipCommand which = entry.command;
        command->callback([&context, which, args] {
            if (which == ChipCommand::Read && args->twice) return RunReadTwice(context, *args);
            if (which == ChipCommand::Auto && args->all)
                return RunAutoOnAll(context, {args->file, args->truncate, args->noErase, args->noWrite, args->noVerify,
                                              args->serial, args->backup});
            if (which == ChipCommand::Read && args->file.empty())
                return void(context.Fail(Text(context.Language(), TextId::CliReadNeedsFile), kExitUsage));
            RunChipOperation(context, which, *args);
        });
    }
}

}  // namespace tq
