// `info [--json]`: find the programmer, connect and print its identity.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/chip_command.h"
#include "cli/json_text.h"
#include "core/texts/text_catalogue.h"

namespace tq {

void RegisterInfoCommand(CLI::App& app, CliContext& context) {
    const TextPicker usage(context.usageLanguage);
    CLI::App* info = app.add_subcommand("info", usage(TextId::CliInfoCommand));
    auto json = std::make_shared<bool>(false);
    info->add_flag("--json", *json, usage(TextId::CliInfoJson));
    info->callback([&context, json] {
        Session& session = context.session();
        if (!ConnectForCommand(context)) return;
        const Dev_Inf_Struct& dev = session.Device.DevInf;
        if (*json) {
            context.out << JsonObject({{"model", JsonString(dev.Model)},
                                       {"firmware", JsonString(dev.FwVersion)},
                                       {"hardware", JsonString(dev.HwVersion)},
                                       {"serial", JsonString(dev.SerialNo)}})
                        << '\n';
            return;
        }
        const TextPicker text(session.Texts.Language);
        context.out << text(TextId::InfoModelLine, {dev.Model}) << '\n'
                    << text(TextId::InfoFirmwareLine, {dev.FwVersion}) << '\n'
                    << text(TextId::InfoHardwareLine, {dev.HwVersion}) << '\n'
                    << text(TextId::InfoSerialLine, {dev.SerialNo}) << '\n';
    });
}

}  // namespace tq
