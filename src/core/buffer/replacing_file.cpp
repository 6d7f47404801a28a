#include "core/buffer/replacing_file.h"

#include <cerrno>
#include <system_error>
#include <utility>

namespace tq {

ReplacingFile::ReplacingFile(std::filesystem::path target)
    : target_(std::move(target)), temp_(target_.string() + ".tmp") {}

ReplacingFile::~ReplacingFile() {
    if (committed_) return;
    if (out_.is_open()) out_.close();
    std::error_code ignored;
    std::filesystem::remove(temp_, ignored);
}

bool ReplacingFile::Fail(const std::string& what, const std::filesystem::path& path) {
    const int code = errno;
    error_ = what + " " + path.string();
    if (code != 0) error_ += ": " + std::generic_category().message(code);
    return false;
}

bool ReplacingFile::Open() {
    errno = 0;
    out_.open(temp_, std::ios::binary | std::ios::trunc);
    if (!out_) return Fail("cannot create", temp_);
    return true;
}

bool ReplacingFile::Write(const void* data, std::size_t size) {
    if (!error_.empty()) return false;
    errno = 0;
    out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out_) return Fail("cannot write", temp_);
    return true;
}

bool ReplacingFile::Commit() {
    if (!error_.empty()) return false;
    errno = 0;
    out_.close();
    if (!out_) return Fail("cannot write", temp_);
    std::error_code ec;
    std::filesystem::rename(temp_, target_, ec);
    if (ec) {
        error_ = "cannot replace " + target_.string() + ": " + ec.message();
        return false;
    }
    committed_ = true;
    return true;
}

bool ReplacingFile::CommitEmpty() {
    out_.close();
    error_.clear();
    return Open() && Commit();
}

}  // namespace tq
