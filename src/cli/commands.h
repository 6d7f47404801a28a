// Each group of commands adds its subcommands to the application here.
#pragma once

namespace CLI {
class App;
}

namespace tq {

class CliContext;

void RegisterInfoCommand(CLI::App& app, CliContext& context);
void RegisterChipsCommand(CLI::App& app, CliContext& context);
void RegisterProjectCommands(CLI::App& app, CliContext& context);
void RegisterFirmwareCommands(CLI::App& app, CliContext& context);
void RegisterConvertCommand(CLI::App& app, CliContext& context);
void RegisterMergeCommand(CLI::App& app, CliContext& context);
void RegisterChipOperationCommands(CLI::App& app, CliContext& context);
void RegisterDetectCommand(CLI::App& app, CliContext& context);
void RegisterUserChipCommands(CLI::App& app, CliContext& context);
void RegisterDevicesCommand(CLI::App& app, CliContext& context);
void RegisterChecksumCommand(CLI::App& app, CliContext& context);
void RegisterLogCommands(CLI::App& app, CliContext& context);
void RegisterCompareCommand(CLI::App& app, CliContext& context);
void RegisterLanguageCommand(CLI::App& app, CliContext& context);

}  // namespace tq
