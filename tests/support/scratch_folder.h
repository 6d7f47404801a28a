// A fresh temporary folder for one test, removed with everything in it when
// the test ends, plus small helpers to put bytes in files and read them back.
#pragma once

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tq::testing {

class ScratchFolder {
public:
    ScratchFolder() {
#ifdef _WIN32
        // No mkdtemp: a random name, taken only when the folder is new.
        std::random_device random;
        for (int attempt = 0; path_.empty(); ++attempt) {
            const auto candidate = std::filesystem::temp_directory_path() / ("tqprog-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate)) path_ = candidate;
            if (attempt > 100) std::abort();
        }
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "tqprog-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        path_ = pattern;
#endif
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
    std::string File(std::string_view name) const { return (path_ / name).string(); }

    std::filesystem::path Write(std::string_view name, std::string_view text) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream(file, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
        return file;
    }
    std::filesystem::path Write(std::string_view name, const std::vector<uint8_t>& bytes) const {
        return Write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }

private:
    std::filesystem::path path_;
};

// The whole file; empty when it cannot be read.
inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) return {};
    std::vector<uint8_t> bytes(static_cast<std::size_t>(size));
    std::ifstream(file, std::ios::binary).read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    return bytes;
}

}  // namespace tq::testing
