// Replacing a file so that a crash, a full disk or a failed write never
// leaves half of it: the new contents go to a temporary file beside the
// target, are flushed to the disk and renamed over the target. On any
// failure the old file stays as it was and the temporary file goes.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace tq {

// Whether Commit waits until the new contents are on the disk. Files made
// from another file that stays (a converted image) can skip that wait: a
// crash loses nothing a second conversion cannot make again.
enum class Durability { Synced, Flushed };

class ReplacingFile {
public:
    explicit ReplacingFile(std::filesystem::path target, Durability durability = Durability::Synced);
    ~ReplacingFile();  // removes the temporary file unless committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file (with the target's permissions when it
    // exists). False with error() set when it cannot.
    bool Open();
    bool Write(const void* data, std::size_t size);
    // Flushes the temporary file (to the disk when Synced) and renames it over
    // the target (then, when Synced, puts the folder's new entry on the disk too).
    bool Commit();
    // Leaves the target empty instead, whatever was written so far: what a
    // conversion that failed part-way promises.
    bool CommitEmpty();

    const std::filesystem::path& target() const { return target_; }
    // What failed, naming the file; empty while nothing failed.
    const std::string& error() const { return error_; }

private:
    bool Fail(const std::string& what, const std::filesystem::path& path, int code);
    void Discard();

    std::filesystem::path target_;
    std::filesystem::path temp_;
    Durability durability_;
    std::FILE* file_ = nullptr;
    std::string error_;
    bool committed_ = false;
};

// Puts a file written by other means (a copy) on the disk before it is
// renamed into place. Empty on success, else what failed, naming the file.
std::string SyncFileToDisk(const std::filesystem::path& file);
// Puts the folder's entries, a rename just made in it, on the disk; without
// it a power cut can bring back the old name. Best effort: the rename has
// been made whatever this answers.
void SyncFolderToDisk(const std::filesystem::path& folder);

// The whole of `bytes` as the new contents of path. Returns an empty text on
// success, else what failed.
std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace tq
