#include "core/base/atomic_write.h"

#include <cerrno>
#include <system_error>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tq {

namespace {
constexpr std::size_t kDirectWrite = std::size_t{64} << 10;

std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
    std::filesystem::path temp = target;
#ifdef _WIN32
    temp += ".tmp";
#else
    temp += ".tmp" + std::to_string(::getpid());  // two processes never share one
#endif
    return temp;
}
}  // namespace

ReplacingFile::ReplacingFile(std::filesystem::path target, Durability durability)
    : target_(std::move(target)), temp_(TemporaryBeside(target_)), durability_(durability) {}

ReplacingFile::~ReplacingFile() {
    if (!committed_) Discard();
}

void ReplacingFile::Discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    // The leftover temporary file goes; a folder or link of that name stays.
    std::error_code ec;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(temp_, ec)))
        std::filesystem::remove(temp_, ec);
}

bool ReplacingFile::Fail(const std::string& what, const std::filesystem::path& path, int code) {
    error_ = what + " " + path.string();
    if (code != 0) error_ += ": " + std::generic_category().message(code);
    Discard();
    return false;
}

bool ReplacingFile::Open() {
    errno = 0;
    file_ = std::fopen(temp_.string().c_str(), "wb");
    if (!file_) return Fail("cannot create", temp_, errno);
#ifndef _WIN32
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0) ::fchmod(::fileno(file_), existing.st_mode & 07777);
#endif
    return true;
}

bool ReplacingFile::Write(const void* data, std::size_t size) {
    if (!error_.empty() || !file_) return false;
    if (size == 0) return true;  // an empty vector's data may be null, which fwrite must not get
    errno = 0;
#ifndef _WIN32
    // A large piece goes to the file as it is: through the stream it would be
    // split at the stream's buffer into two system calls.
    if (size >= kDirectWrite) {
        if (std::fflush(file_) != 0) return Fail("cannot write", temp_, errno);
        for (auto* rest = static_cast<const char*>(data); size > 0;) {
            const ssize_t written = ::write(::fileno(file_), rest, size);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return Fail("cannot write", temp_, written < 0 ? errno : ENOSPC);
            rest += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }
#endif
    if (std::fwrite(data, 1, size, file_) != size) return Fail("cannot write", temp_, errno ? errno : ENOSPC);
    return true;
}

bool ReplacingFile::Commit() {
    if (!error_.empty() || !file_) return false;
    errno = 0;
    if (std::fflush(file_) != 0) return Fail("cannot write", temp_, errno);
#ifndef _WIN32
    if (durability_ == Durability::Synced && ::fsync(::fileno(file_)) != 0) return Fail("cannot flush", temp_, errno);
#endif
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0) return Fail("cannot close", temp_, errno);
    std::error_code ec;
    std::filesystem::rename(temp_, target_, ec);
    if (ec) {
        Fail("cannot replace", target_, 0);
        error_ += ": " + ec.message();
        return false;
    }
    committed_ = true;
    if (durability_ == Durability::Synced) SyncFolderToDisk(target_.parent_path());
    return true;
}

bool ReplacingFile::CommitEmpty() {
    Discard();
    error_.clear();
    return Open() && Commit();
}

std::string SyncFileToDisk(const std::filesystem::path& file) {
#ifndef _WIN32
    errno = 0;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "cannot open " + file.string() + ": " + std::generic_category().message(errno);
    const bool synced = ::fsync(fd) == 0;
    const int code = errno;
    ::close(fd);
    if (!synced) return "cannot flush " + file.string() + ": " + std::generic_category().message(code);
#else
    (void)file;
#endif
    return {};
}

void SyncFolderToDisk(const std::filesystem::path& folder) {
#ifndef _WIN32
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
#else
    (void)folder;
#endif
}

std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    ReplacingFile file(path);
    if (file.Open() && file.Write(bytes.data(), bytes.size())) file.Commit();
    return file.error();
}

}  // namespace tq
