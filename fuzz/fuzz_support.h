// Shared by the fuzz targets: a scratch folder for the file-based readers
// and a check that stops the run with a message libFuzzer then reports.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tq::fuzz {

// One folder per process, in memory when /dev/shm exists: the converters
// flush their output to disk, which would dominate each run on a real disk.
inline std::filesystem::path Scratch(const std::string& name) {
    // Removed when the run ends normally; a crash leaves it for inspection.
    struct Folder {
        std::filesystem::path path;
        ~Folder() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Folder folder{[] {
        std::error_code ec;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        std::filesystem::path own = base / ("tqfuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(own);
        return own;
    }()};
    return folder.path / name;
}

inline void WriteBytes(const std::filesystem::path& path, const uint8_t* data, size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                  static_cast<std::streamsize>(size));
}

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

}  // namespace tq::fuzz
