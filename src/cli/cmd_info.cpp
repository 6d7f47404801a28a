// `info`: find the programmer, connect and print its identity.
#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/cli_context.h"
#include "cli/commands.h"
#include "core/device/presence.h"

namespace tq {

void RegisterInfoCommand(CLI::App& app, CliContext& context) {
    CLI::App* info = app.add_subcommand("info", "Find the programmer and print its identity");
    info->callback([&context] {
        Session& session = context.session();
        const ConnectResult result = ConnectProgrammer(session);
        if (result == ConnectResult::NotFound) {
            context.Fail("no programmer found (no removable 4608-byte volume holding Write.Temp)");
            return;
        }
        if (result == ConnectResult::NoAnswer) {
            context.Fail("the programmer does not answer (no reply to the firmware version query)");
            return;
        }
        const Dev_Inf_Struct& dev = session.DevInf;
        context.out << "Model:            " << dev.Model << '\n'
                    << "Firmware version: " << dev.FwVersion << '\n'
                    << "Hardware version: " << dev.HwVersion << '\n'
                    << "Serial number:    " << dev.SerialNo << '\n';
    });
}

}  // namespace tq
