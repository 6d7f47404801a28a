// Shared by the fuzz targets: a scratch folder for the file-based readers
// and a check that stops the run with a message libFuzzer then reports.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

// Whole files through the descriptor: a stream iterator costs more per byte
// than the code under test once the library's templates are instrumented.
inline void WriteBytes(const std::filesystem::path& path, const uint8_t* data, size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    for (size_t done = 0; done < size;) {
        const ssize_t written = ::write(fd, data + done, size - done);
        if (written <= 0) break;
        done += static_cast<size_t>(written);
    }
    ::close(fd);
}

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return bytes;
    struct stat facts {};
    if (::fstat(fd, &facts) == 0) {
        bytes.resize(static_cast<size_t>(facts.st_size));
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got <= 0) break;
            done += static_cast<size_t>(got);
        }
        bytes.resize(done);
    }
    ::close(fd);
    return bytes;
}

// A value as a profile file gives it back once written: a line break inside
// it became a blank, and blanks at its ends are not kept.
inline std::string AsWritten(std::string value) {
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    const size_t first = value.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

inline void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

}  // namespace tq::fuzz
