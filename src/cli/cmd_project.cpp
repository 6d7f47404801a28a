// `project download`: store an offline project in the programmer, as the
// project editor's download button does, and print its stages.
//   project download DATAFILE -c CHIP [--name NAME] [--mode manual|auto|machine]
//       [--id-check] [--no-erase] [--no-write] [--no-verify]
//       [--serial ADDR:VALUE:BYTES:big|little] [--limit N]
// The step options default to those of the settings, like the editor's.
#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "core/texts/language.h"
#include "cli/chip_command.h"
#include "cli/given_file_dialog.h"
#include "core/project/project_download.h"
#include "core/project/project_editor.h"

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
};

// sbPrj on the terminal: each stage on its own line, each new state or
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
    bool quiet = false;
    void Clear() override {}
    void AppendLine(const std::string& text, LogColour) override {
        if (!quiet && text.find_first_not_of(' ') != std::string::npos) out_ << text << '\n';
    }

private:
    std::ostream& out_;
};

// --serial ADDR:VALUE:BYTES:big|little as the serial-number controls show it.
// The address and value stay texts: the project file names them when they
// are not numbers.
struct SerialSetting {
    std::string address, value;
    int bytesItem = 2;   // cmbSNBytes: 0 "1Byte", 1 "2Byte", 2 "4Byte"
    int endianItem = 0;  // cmbSNEndian: 0 big, 1 little
};

std::optional<SerialSetting> ParseSerial(const std::string& text) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, ':');) parts.push_back(part);
    if (parts.size() != 4 || text.back() == ':') return std::nullopt;
    SerialSetting serial{parts[0], parts[1]};
    if (parts[2] == "1") serial.bytesItem = 0;
    else if (parts[2] == "2") serial.bytesItem = 1;
    else if (parts[2] != "4") return std::nullopt;
    if (parts[3] == "little") serial.endianItem = 1;
    else if (parts[3] != "big") return std::nullopt;
    return serial;
}

void Download(CliContext& context, const DownloadOptions& options) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    std::optional<SerialSetting> serial;
    if (!options.serial.empty() && !(serial = ParseSerial(options.serial))) {
        context.Fail(Triplet(language, "序列号设定应为 地址:数值:字节数(1|2|4):big|little，而不是 ",
                             "序號設定應為 位址:數值:位元組數(1|2|4):big|little，而不是 ",
                             "--serial wants ADDR:VALUE:BYTES(1|2|4):big|little, not ") +
                     options.serial);
        return;
    }
    TerminalProjectLog log(context.out);
    ProjectEditor editor(session.Operation, log, session.Window.ChipFrameInProjectDialog);
    log.quiet = true;  // the "file to be chosen" line means nothing here
    editor.MenuPrjOfflineClick();
    log.quiet = false;
    GivenFileDialog dialog(options.dataFile);
    FileDialogView* previousDialog = session.Views.fileDialog;
    session.Views.fileDialog = &dialog;
    const bool chosen = editor.Button2Click();
    session.Views.fileDialog = previousDialog;
    if (!chosen) {
        editor.FormClose();
        context.exitCode = 1;  // the reason was shown with the file's path
        return;
    }

    ProjectForm& form = editor.form;
    form.chipName = context.options.chip;
    if (!options.name.empty()) form.editPrjName = options.name;
    if (!options.mode.empty()) form.cmbDownMethod = options.mode == "manual" ? 0 : options.mode == "auto" ? 1 : 2;
    if (options.idCheck) form.chkPrjIdCheck = true;
    if (options.noErase) form.chkPrjErase = false;
    if (options.noWrite) form.chkPrjWrite = false;
    if (options.noVerify) form.chkPrjVerify = false;
    if (serial) {
        form.chkAutoSN = true;
        form.lbeSnAddr = serial->address;
        form.lbeSnValue = serial->value;
        form.cmbSNBytes = serial->bytesItem;
        form.cmbSNEndian = serial->endianItem;
    }
    if (!options.limit.empty()) {
        form.chkProTimes = true;
        form.editProTimes = options.limit;
    }

    if (!ConnectForCommand(context)) {
        editor.FormClose();
        return;
    }
    TerminalProjectStatus status(context.out);
    NullProgressView bar;  // panel 1 already prints the percentage
    ProjectDialogViews views{status, bar};
    const int result = btnDownLoadPrjClick(session.Operation, views, form);
    editor.FormClose();
    if (result != kStepOk)
        context.Fail(Triplet(language, "离线工程下载失败。", "離線工程下載失敗。", "The offline project download failed."));
}

}  // namespace

void RegisterProjectCommands(CLI::App& app, CliContext& context) {
    CLI::App* project = app.add_subcommand("project", "Offline projects stored in the programmer");
    project->require_subcommand(1);
    auto options = std::make_shared<DownloadOptions>();
    CLI::App* download = project->add_subcommand(
        "download", "Write the project file for a chip and store it and its data file in the programmer");
    download->add_option("DATAFILE", options->dataFile, "The data file the programmer writes to each chip")->required();
    download->add_option("--name", options->name, "Project name (default: the data file's name)");
    download->add_option("--mode", options->mode, "Download method (default: auto)")
        ->check(CLI::IsMember({"manual", "auto", "machine"}));
    download->add_flag("--id-check", options->idCheck, "Check the chip ID first");
    download->add_flag("--no-erase", options->noErase, "Leave out the erase step");
    download->add_flag("--no-write", options->noWrite, "Leave out the write step");
    download->add_flag("--no-verify", options->noVerify, "Leave out the verify step");
    download->add_option("--serial", options->serial,
                         "Serial numbers: hexadecimal address and first value, 1, 2 or 4 bytes, big or little endian");
    download->add_option("--limit", options->limit, "Program at most N chips (kept to 16 bits)");
    download->callback([&context, options] { Download(context, *options); });
}

}  // namespace tq
