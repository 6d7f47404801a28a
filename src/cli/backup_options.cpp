#include "cli/backup_options.h"

#include <CLI/CLI.hpp>

#include "core/operations/chip_backup.h"
#include "core/texts/text_catalogue.h"

namespace tq {

void AddBackupOptions(CLI::App& command, BackupArgs& args, bool write, const TextPicker& usage) {
    CLI::Option* backup = command.add_option("--backup", args.folder, usage(TextId::CliBackupHelp))->type_name("DIR");
    command.add_flag("--no-backup", args.noBackup, usage(TextId::CliNoBackupHelp))->excludes(backup);
    if (!write) return;
    CLI::Option* eraseFirst = command.add_flag("--erase-first", args.eraseFirst, usage(TextId::CliEraseFirstHelp));
    command.add_flag("--write-over", args.writeOver, usage(TextId::CliWriteOverHelp))->excludes(eraseFirst);
}

void ApplyBackupArgs(OverwriteGuard& guard, const BackupArgs& args) {
    guard.backup = !args.folder.empty() && !args.noBackup;
    guard.backupFolder = args.folder;
    guard.notBlank = args.writeOver    ? NotBlankRule::WriteOver
                     : args.eraseFirst ? NotBlankRule::EraseFirst
                                       : NotBlankRule::Refuse;
}

}  // namespace tq
