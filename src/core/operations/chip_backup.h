// The guard before a chip's contents are lost: an erase, a write or an auto
// run first reads the chip and keeps it as a backup file, unless the chip is
// blank or backups are off.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "core/operations/operation_display.h"

namespace tq {

struct OperationContext;

// What a write does when the range it is about to fill is not blank.
enum class NotBlankRule {
    Ask,         // ask the person (erase first / write anyway / cancel)
    Refuse,      // write nothing (a script cannot answer)
    EraseFirst,  // erase the chip, then write
    WriteOver,   // write without looking
};

// The guard's settings, kept by the session (dev.ini, the command line).
struct OverwriteGuard {
    bool backup = false;
    std::filesystem::path backupFolder;  // empty: "backups" in the user's data folder
    // Only for chips whose programming can only clear bits (flash): an
    // EEPROM writes over its old bytes.
    bool blankBeforeWrite = false;
    NotBlankRule notBlank = NotBlankRule::Ask;
};

// Where backups go for this session.
std::filesystem::path BackupFolderOf(const OperationContext& operation);

// Called once the chip is known to be in the socket, before anything is
// erased or written. With backups on, the whole chip is read into `chip`
// and, unless every byte is 0xFF, saved as a backup (the log names the
// file) and old backups pruned. Succeeded: go on (`chip` empty when
// backups are off). Stopped or Failed: said, with the advice to turn backups
// off or free space when the file could not be written; nothing may be
// erased or written then.
OperationOutcome BackUpBeforeOverwrite(OperationContext& operation, std::vector<uint8_t>& chip);

}  // namespace tq
