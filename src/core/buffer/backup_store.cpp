#include "core/buffer/backup_store.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "core/base/atomic_write.h"
#include "core/platform/local_time.h"
#include "core/buffer/buffer_undo.h"
#include "core/buffer/file_open_save.h"
#include "core/buffer/image_digests.h"

namespace tq {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kExtension = ".bin";
constexpr size_t kTimeDigits = 15;  // YYYYMMDD-HHMMSS

bool AllOf(std::string_view text, int (*test)(int)) {
    return std::all_of(text.begin(), text.end(), [test](char c) { return test(static_cast<unsigned char>(c)) != 0; });
}

int Digits(std::string_view text, size_t at, size_t count) {
    return std::stoi(std::string(text.substr(at, count)));
}

std::optional<BackupTime> ParseTime(std::string_view text) {
    if (text.size() != kTimeDigits || text[8] != '-') return std::nullopt;
    if (!AllOf(text.substr(0, 8), isdigit) || !AllOf(text.substr(9), isdigit)) return std::nullopt;
    BackupTime time{Digits(text, 0, 4), Digits(text, 4, 2), Digits(text, 6, 2),
                    Digits(text, 9, 2), Digits(text, 11, 2), Digits(text, 13, 2)};
    if (time.month < 1 || time.month > 12 || time.day < 1 || time.day > 31 || time.hour > 23 || time.minute > 59 ||
        time.second > 60)
        return std::nullopt;
    return time;
}

bool IsLowerHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

}  // namespace

BackupTime LocalBackupTime() {
    const std::tm local = LocalCalendarTime(std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()));
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::string BackupTimeText(const BackupTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day, time.hour,
                  time.minute, time.second);
    return text;
}

std::string BackupFileName(std::string_view chip, const BackupTime& time, uint32_t crc32) {
    std::string name;
    for (const char c : chip) name += std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' ? c : '-';
    if (name.empty()) name = "chip";
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "_%04d%02d%02d-%02d%02d%02d_", time.year, time.month, time.day, time.hour,
                  time.minute, time.second);
    return name + stamp + Crc32Hex(crc32) + std::string(kExtension);
}

std::optional<BackupEntry> ParseBackupFileName(const fs::path& path) {
    const std::string name = path.filename().string();
    if (name.size() <= kExtension.size() || !name.ends_with(kExtension)) return std::nullopt;
    const std::string_view stem = std::string_view(name).substr(0, name.size() - kExtension.size());
    const size_t crcAt = stem.rfind('_');
    if (crcAt == std::string_view::npos || crcAt < kTimeDigits + 2) return std::nullopt;
    const std::string_view crc = stem.substr(crcAt + 1);
    if (crc.size() != 8 || !std::all_of(crc.begin(), crc.end(), IsLowerHex)) return std::nullopt;
    const size_t timeAt = crcAt - kTimeDigits;
    if (stem[timeAt - 1] != '_') return std::nullopt;
    const std::optional<BackupTime> time = ParseTime(stem.substr(timeAt, kTimeDigits));
    if (!time) return std::nullopt;
    BackupEntry entry;
    entry.path = path;
    entry.chip = std::string(stem.substr(0, timeAt - 1));
    entry.time = *time;
    entry.crc32 = std::string(crc);
    return entry;
}

std::optional<fs::path> SaveBackup(const fs::path& folder, std::string_view chip, const BackupTime& time,
                                   const uint8_t* bytes, size_t count, std::string& error) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        error = folder.string() + ": " + ec.message();
        return std::nullopt;
    }
    const uint32_t crc = DigestsOf(bytes, count, kDigestCrc32).crc32;
    const fs::path path = folder / BackupFileName(chip, time, crc);
    error = WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes), count));
    if (!error.empty()) return std::nullopt;
    return path;
}

std::vector<BackupEntry> ListBackups(const fs::path& folder) {
    std::vector<BackupEntry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        std::optional<BackupEntry> entry = ParseBackupFileName(it->path());
        if (!entry) continue;
        entry->size = it->file_size(ec);
        if (ec) continue;
        entries.push_back(std::move(*entry));
    }
    // Two backups of one second: the name decides, so the order is the same every time.
    std::sort(entries.begin(), entries.end(), [](const BackupEntry& a, const BackupEntry& b) {
        if (a.time != b.time) return a.time > b.time;
        return a.path.filename() > b.path.filename();
    });
    return entries;
}

std::vector<fs::path> PruneBackups(const fs::path& folder, size_t keepCount, uint64_t keepBytes) {
    std::vector<fs::path> deleted;
    uint64_t total = 0;
    bool full = false;
    const std::vector<BackupEntry> entries = ListBackups(folder);
    for (size_t i = 0; i < entries.size(); ++i) {
        total += entries[i].size;
        // Once a limit is reached every older backup goes, never the newest.
        if (i > 0 && (full || i >= keepCount || total > keepBytes)) {
            full = true;
            std::error_code ec;
            if (fs::remove(entries[i].path, ec)) deleted.push_back(entries[i].path);
        }
    }
    return deleted;
}

bool LoadBackup(BufferContext& buffer, CaptionView& caption, const fs::path& path) {
    if (buffer.Locked() || !ConfirmDiscardEdits(buffer)) return false;
    return OpenDataFile(buffer, caption, path.string());
}

}  // namespace tq
