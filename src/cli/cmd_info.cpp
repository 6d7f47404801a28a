// `info`: find the programmer, connect and print its identity.
#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "cli/chip_command.h"

namespace tq {

void RegisterInfoCommand(CLI::App& app, CliContext& context) {
    CLI::App* info = app.add_subcommand("info", "Find the programmer and print its identity");
    info->callback([&context] {
        Session& session = context.session();
        if (!ConnectForCommand(context)) return;
        const Dev_Inf_Struct& dev = session.Device.DevInf;
        context.out << "Model:            " << dev.Model << '\n'
                    << "Firmware version: " << dev.FwVersion << '\n'
                    << "Hardware version: " << dev.HwVersion << '\n'
                    << "Serial number:    " << dev.SerialNo << '\n';
    });
}

}  // namespace tq
