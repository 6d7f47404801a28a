// `devices`: every attached programmer (the removable drives, the volumes
// of TQPROG_DEVICES, the simulator with --simulator) with its volume root,
// model, serial number and firmware version, so a production line can start
// one process per programmer with --device ROOT.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/chip_command.h"
#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/text_table.h"
#include "core/device/attached_programmers.h"
#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"

namespace tq {
namespace {

void PrintJson(std::ostream& out, const std::vector<AttachedProgrammer>& programmers) {
    out << '[';
    for (size_t i = 0; i < programmers.size(); ++i) {
        const AttachedProgrammer& p = programmers[i];
        const Dev_Inf_Struct& id = p.identity;
        out << (i ? ",\n " : "") << "{\"root\": " << JsonString(p.root) << ", \"answered\": " << (p.answered ? "true" : "false")
            << (p.inUseBy.empty() ? "" : ", \"inUseBy\": " + JsonString(p.inUseBy))
            << ", \"model\": " << JsonString(id.Model) << ", \"serial\": " << JsonString(id.SerialNo)
            << ", \"firmware\": " << JsonString(id.FwVersion) << ", \"hardware\": " << JsonString(id.HwVersion) << '}';
    }
    out << "]\n";
}

void PrintList(CliContext& context, int32_t language, const std::vector<AttachedProgrammer>& programmers) {
    std::vector<std::vector<std::string>> table;
    const TextPicker text(language);
    table.push_back({text(TextId::DevicesVolumeColumn), text(TextId::DevicesModelColumn),
                     text(TextId::DevicesSerialColumn), text(TextId::DevicesFirmwareColumn)});
    for (const AttachedProgrammer& p : programmers) {
        if (p.answered)
            table.push_back({p.root, p.identity.Model, p.identity.SerialNo, p.identity.FwVersion});
        else if (!p.inUseBy.empty())
            table.push_back({p.root, text(TextId::DevicesInUseBy, {p.inUseBy}), "-", "-"});
        else
            table.push_back({p.root, text(TextId::DevicesNoAnswer), "-", "-"});
    }
    PrintTable(context.out, table);
}

void RunDevices(CliContext& context, bool json) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    const std::vector<AttachedProgrammer> programmers = ListAttachedProgrammers(session.Device);
    if (json)
        PrintJson(context.out, programmers);
    else if (!programmers.empty())
        PrintList(context, language, programmers);
    bool anyAnswered = false;
    for (const AttachedProgrammer& p : programmers) anyAnswered = anyAnswered || p.answered;
    if (programmers.empty())
        context.Fail(Text(language, TextId::DevicesNoneFound), kExitNoProgrammer);
    else if (!anyAnswered)
        context.Fail(Text(language, TextId::DevicesNoneAnswers), kExitNoProgrammer);
}

}  // namespace

void RegisterDevicesCommand(CLI::App& app, CliContext& context) {
    const TextPicker usage(context.usageLanguage);
    CLI::App* devices = app.add_subcommand("devices", usage(TextId::CliDevicesCommand));
    auto json = std::make_shared<bool>(false);
    devices->add_flag("--json", *json, usage(TextId::CliDevicesJson));
    devices->callback([&context, json] { RunDevices(context, *json); });
}

}  // namespace tq
