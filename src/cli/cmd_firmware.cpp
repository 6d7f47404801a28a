// `firmware update PACKAGE [--wait-boot] [--yes]`: update the programmer's
// firmware, after a question that --yes answers.
// `firmware inspect PACKAGE`: list a package's entries and version record.
#include <CLI/CLI.hpp>
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <ostream>

#include "cli/cli_context.h"
#include "core/texts/text_catalogue.h"
#include "cli/commands.h"
#include "cli/chip_command.h"
#include "cli/terminal_views.h"
#include "core/firmware/firmware_package.h"
#include "core/firmware/firmware_update.h"
#include "sim/sim_programmer.h"

namespace tq {

namespace {

// The update dialog's log as terminal lines; its bar repeats what status
// panel 0 already prints.
class TerminalUpdateLog final : public UpdateDialogView {
public:
    explicit TerminalUpdateLog(std::ostream& out) : out_(out) {}
    void ClearLog() override {}
    void AddLogLine(const std::string& line) override { out_ << line << '\n'; }
    void SetBarMaximum(uint32_t) override {}
    void SetBarPosition(uint32_t) override {}
    void CloseDialog() override {}

private:
    std::ostream& out_;
};

// Passes status texts on, but a block progress line ("2700/65536=>4%") only
// when its percentage differs from the previous one, so a long image does
// not print hundreds of lines.
class ThinProgressStatusBar final : public StatusBarView {
public:
    explicit ThinProgressStatusBar(StatusBarView& inner) : inner_(inner) {}
    void SetPanelText(int panel, const std::string& text) override {
        if (panel == 0) {
            const size_t arrow = text.rfind("=>");
            const bool progress = arrow != std::string::npos && !text.empty() && text.back() == '%';
            const std::string percent = progress ? text.substr(arrow + 2) : std::string();
            if (progress && percent == lastPercent_) return;
            lastPercent_ = percent;
        }
        inner_.SetPanelText(panel, text);
    }

private:
    StatusBarView& inner_;
    std::string lastPercent_;
};

std::string FailureText(int32_t language, FirmwareUpdateResult result, const std::string& package) {
    const TextPicker text(language);
    switch (result) {
        case FirmwareUpdateResult::NotConnected: return text(TextId::FirmwareCliNotConnected);
        case FirmwareUpdateResult::Cancelled: return text(TextId::FirmwareCliNoPackage);
        case FirmwareUpdateResult::PackageError: return text(TextId::FirmwareCliNotForThisProgrammer, {package});
        case FirmwareUpdateResult::PackageUnreadable: return text(TextId::FirmwareCliCannotReadPackage, {package});
        case FirmwareUpdateResult::DownloadFailed: break;
        case FirmwareUpdateResult::NoAnswer: return text(TextId::FirmwareCliNoVersionAnswer);
        case FirmwareUpdateResult::Timeout: return text(TextId::FirmwareCliNoRestart);
        case FirmwareUpdateResult::Busy: return text(TextId::FirmwareCliBusy);
        case FirmwareUpdateResult::Declined: return text(TextId::FirmwareCliDeclined);
        case FirmwareUpdateResult::Updated: break;
    }
    return text(TextId::FirmwareCliFailed);
}

void RunUpdate(CliContext& context, const std::string& package, bool waitBoot, bool yes) {
    Session& session = context.session();
    // The update asks first: --yes answers for a script; a person at a
    // terminal answers there; anything else is a no.
    const bool terminal = &context.err == &std::cerr && isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
    using Answers = TerminalViews::Answers;
    const Answers answers = yes ? Answers::Yes : terminal ? Answers::AskTerminal : Answers::No;
    context.views().SetAnswers(answers, &std::cin);
    // The dialog's procedure expects the programmer to restart into its boot
    // loader and back; the simulated one does so only when asked.
    if (SimProgrammer* sim = context.simulator(); sim && waitBoot) sim->reenumeration = SimReenumeration{};
    if (!ConnectForCommand(context)) return;

    ThinProgressStatusBar statusBar(*session.Views.statusBar);
    TerminalUpdateLog log(context.out);
    const FirmwareUpdateViews views{statusBar, log};
    const FirmwareUpdateResult result =
        waitBoot ? RunBootModeUpdate(session.Operation, views, package, false, session.clock().TickCount())
                 : UpdateFirmware(session.Operation, views, package);

    if (result == FirmwareUpdateResult::Declined && answers == Answers::No) {
        context.Fail(Text(context.Language(), TextId::FirmwareCliNeedsYes));
        return;
    }
    if (result != FirmwareUpdateResult::Updated) {
        context.Fail(FailureText(context.Language(), result, package));
        return;
    }
    // stdout keeps one wording for scripts, as `inspect` does.
    context.out << "Firmware version: " << session.Device.DevInf.FwVersion << '\n';
}

void RunInspect(CliContext& context, const std::string& package) {
    std::vector<PackageEntry> entries;
    const PackageStatus status = ReadPackageDirectory(package, entries);
    if (status == PackageStatus::Unreadable) {
        context.Fail(Text(context.Language(), TextId::FirmwareCliCannotReadPackage, {package}));
        return;
    }
    if (status == PackageStatus::NotFound) {
        context.Fail(Text(context.Language(), TextId::FirmwareCliNotAPackage, {package}));
        return;
    }
    // The listing on stdout keeps one wording for scripts, whatever the language.
    size_t width = 4;
    for (const PackageEntry& e : entries) width = std::max(width, e.name.size());
    context.out << "Entries: " << entries.size() << '\n';
    for (const PackageEntry& e : entries) {
        context.out << "  " << e.name << std::string(width - e.name.size(), ' ') << "  offset " << e.offset
                    << "  length " << e.length;
        if (!e.insideFile) context.out << "  (reaches beyond the end of the file)";
        context.out << '\n';
    }
    uint32_t offset = 0;
    uint32_t length = 0;
    std::vector<uint8_t> record;
    if (LocatePackageEntry(package, kVersionEntryName, offset, length) != PackageStatus::Found ||
        !ReadPackageBytes(package, offset, std::min<uint32_t>(length, kVersionRecordSize), record)) {
        context.out << "Version record: none\n";
        return;
    }
    const PackageVersion version = ParseVersionRecord(record);
    context.out << "Version record: Dev \"" << version.dev << "\", VER \"" << version.ver << "\" ("
                << (IsPackageForThisProgrammer(version) ? "for this programmer" : "not for this programmer")
                << ")\n";
}

}  // namespace

void RegisterFirmwareCommands(CLI::App& app, CliContext& context) {
    CLI::App* firmware = app.add_subcommand("firmware", "Update the programmer's firmware or look into a package");
    firmware->require_subcommand(1);

    struct UpdateOptions {
        std::string package;
        bool waitBoot = false;
        bool yes = false;
    };
    auto options = std::make_shared<UpdateOptions>();
    CLI::App* update = firmware->add_subcommand("update", "Update the programmer's firmware from a .tqmv package");
    update->add_option("PACKAGE", options->package, "The firmware package")->required();
    update->add_flag("--wait-boot", options->waitBoot,
                     "Wait for the programmer to restart into its boot loader before the download and back into "
                     "its firmware afterwards (takes about 15 s)");
    update->add_flag("-y,--yes", options->yes,
                     "Answer yes to the question before the update (needed where no one can answer at a terminal)");
    update->callback([&context, options] { RunUpdate(context, options->package, options->waitBoot, options->yes); });

    auto inspected = std::make_shared<std::string>();
    CLI::App* inspect = firmware->add_subcommand("inspect", "List a package's entries and its version record");
    inspect->add_option("PACKAGE", *inspected, "The firmware package")->required();
    inspect->callback([&context, inspected] { RunInspect(context, *inspected); });
}

}  // namespace tq
