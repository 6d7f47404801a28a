// Writes a user's file under a temporary name beside it and renames the
// finished file over the target, so a failed or interrupted write never
// leaves a truncated file where the person expects their data.
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>

namespace tq {

class ReplacingFile {
public:
    explicit ReplacingFile(std::filesystem::path target);
    ~ReplacingFile();  // removes the temporary file unless committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file. False with error() set when it cannot.
    bool Open();
    bool Write(const void* data, std::size_t size);
    // Closes the temporary file and renames it over the target.
    bool Commit();
    // Leaves the target empty instead, whatever was written so far: what a
    // conversion or merge that failed part-way promises.
    bool CommitEmpty();

    const std::filesystem::path& target() const { return target_; }
    // What failed, naming the file; empty while nothing failed.
    const std::string& error() const { return error_; }

private:
    bool Fail(const std::string& what, const std::filesystem::path& path);

    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::ofstream out_;
    std::string error_;
    bool committed_ = false;
};

}  // namespace tq
