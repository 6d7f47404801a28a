#include "core/base/atomic_write.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tq {
namespace {

std::string Describe(const std::string& what, const std::filesystem::path& path, int error) {
    return what + " " + path.string() + ": " + std::strerror(error);
}

#ifdef _WIN32
std::string WriteTemporary(const std::filesystem::path& temp, std::string_view bytes) {
    std::ofstream file(temp, std::ios::binary | std::ios::trunc);
    if (!file) return "cannot create " + temp.string();
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) return "cannot write " + temp.string();
    return {};
}
#else
std::string WriteTemporary(const std::filesystem::path& temp, const std::filesystem::path& target,
                           std::string_view bytes) {
    struct stat existing {};
    const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) return Describe("cannot create", temp, errno);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            return Describe("cannot write", temp, error);
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return Describe("cannot flush", temp, error);
    }
    if (::close(fd) != 0) return Describe("cannot close", temp, errno);
    return {};
}
#endif

}  // namespace

std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::path temp = path;
#ifdef _WIN32
    temp += ".tmp";
    std::string failure = WriteTemporary(temp, bytes);
#else
    temp += ".tmp" + std::to_string(::getpid());
    std::string failure = WriteTemporary(temp, path, bytes);
#endif
    std::error_code ec;
    if (failure.empty()) {
        std::filesystem::rename(temp, path, ec);
        if (ec) failure = "cannot replace " + path.string() + ": " + ec.message();
    }
    // The leftover temporary file goes; a folder or link of that name stays.
    if (!failure.empty() && std::filesystem::is_regular_file(std::filesystem::symlink_status(temp, ec)))
        std::filesystem::remove(temp, ec);
    return failure;
}

}  // namespace tq
