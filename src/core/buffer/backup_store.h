// The folder of chip backups: copies of a chip taken before it is erased or
// written, named with the chip, the local time and the image's CRC-32
// ("W25Q64_20261210-071502_1a2b3c4d.bin"), kept within a count and a size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/buffer/buffer_context.h"
#include "core/buffer/caption_view.h"

namespace tq {

// The newest backups kept, and the most bytes they may take together;
// whichever limit is reached first decides. The newest is always kept.
inline constexpr size_t kBackupsKept = 20;
inline constexpr uint64_t kBackupBytesKept = uint64_t{1} << 30;

// The folder's name inside the user's data folder.
inline constexpr const char* kBackupFolderName = "backups";

struct BackupTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    auto operator<=>(const BackupTime&) const = default;
};
// The local time now.
BackupTime LocalBackupTime();
// "2026-12-10 07:15:02", as the list shows it.
std::string BackupTimeText(const BackupTime& time);

struct BackupEntry {
    std::filesystem::path path;
    std::string chip;   // as the name holds it (characters a file name cannot take became '-')
    BackupTime time;
    uint64_t size = 0;
    std::string crc32;  // eight lower-case hex digits
};

// The file name of a backup. Only letters, digits and '-' of the chip's
// name are kept (anything else becomes '-'), so the name is safe on every
// file system.
std::string BackupFileName(std::string_view chip, const BackupTime& time, uint32_t crc32);
// The parts of a name BackupFileName made; nothing for any other file.
std::optional<BackupEntry> ParseBackupFileName(const std::filesystem::path& path);

// Writes `bytes` as a new backup in `folder` (made when missing), through a
// temporary file renamed into place. The path written, or nothing with
// `error` saying what failed.
std::optional<std::filesystem::path> SaveBackup(const std::filesystem::path& folder, std::string_view chip,
                                                const BackupTime& time, const uint8_t* bytes, size_t count,
                                                std::string& error);

// The backups in `folder`, newest first (files of other names are left out).
std::vector<BackupEntry> ListBackups(const std::filesystem::path& folder);

// Deletes the oldest backups beyond `keepCount` or beyond `keepBytes` in
// total, the newest always kept. Returns the files deleted.
std::vector<std::filesystem::path> PruneBackups(const std::filesystem::path& folder, size_t keepCount = kBackupsKept,
                                                uint64_t keepBytes = kBackupBytesKept);

// Loads a backup into the buffer as Open loads a file (asking first about
// unsaved edits): the caption then names the backup. False when declined or
// when the file cannot be read (said in a message box).
bool LoadBackup(BufferContext& buffer, CaptionView& caption, const std::filesystem::path& path);

}  // namespace tq
