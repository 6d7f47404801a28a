// The options of erase, write and auto that guard a chip's old contents:
// --backup DIR / --no-backup, and for write --erase-first / --write-over.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace tq {

class TextPicker;
struct OverwriteGuard;

struct BackupArgs {
    std::string folder;  // --backup DIR; empty: no backup (the command line's default)
    bool noBackup = false;
    bool eraseFirst = false;
    bool writeOver = false;
};

// Adds the options to a chip command; the blank-check pair only to write.
void AddBackupOptions(CLI::App& command, BackupArgs& args, bool write, const TextPicker& usage);

// The guard as the options say. A script cannot answer a question: a range
// that is not blank refuses the write unless --erase-first or --write-over.
void ApplyBackupArgs(OverwriteGuard& guard, const BackupArgs& args);

}  // namespace tq
