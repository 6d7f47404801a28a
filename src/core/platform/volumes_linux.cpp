// Linux volumes: the mount table in its own order; a volume is removable
// when its block device (or the disk it is a partition of) says so or hangs
// off USB. The exchange file is opened with O_DIRECT; where the filesystem
// refuses that, it falls back to O_DSYNC writes and cache-dropping reads.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/platform/exchange_claim.h"
#include "core/platform/system_volumes.h"

namespace tq {

namespace {

// Mount points in mountinfo escape blanks and a few others as \ooo.
std::string UnescapeMountPath(const std::string& raw) {
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 3 < raw.size()) {
            const std::string octal = raw.substr(i + 1, 3);
            if (octal.size() == 3 && octal.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::stoi(octal, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += raw[i];
    }
    return out;
}

std::string ReadSmallFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::string text;
    std::getline(in, text);
    return text;
}

bool BlockDeviceIsRemovable(unsigned major, unsigned minor) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path node = "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    const fs::path real = fs::canonical(node, ec);
    if (ec) return false;
    // Attached over USB: the sysfs path runs through a USB controller.
    if (real.string().find("/usb") != std::string::npos) return true;
    if (ReadSmallFile(real / "removable") == "1") return true;
    // A partition: ask the whole disk.
    if (fs::exists(real / "partition", ec)) return ReadSmallFile(real.parent_path() / "removable") == "1";
    return false;
}

VolumeInfo DescribeMount(const std::string& root, bool removable) {
    VolumeInfo info{root, removable, false, 0};
    struct statvfs vfs {};
    if (statvfs(root.c_str(), &vfs) == 0 && access(root.c_str(), R_OK) == 0) {
        info.readable = true;
        info.totalBytes = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    }
    return info;
}

class LinuxExchangeFile final : public ExchangeFile {
public:
    LinuxExchangeFile(int fd, bool direct) : fd_(fd), direct_(direct) {}
    ~LinuxExchangeFile() override { close(fd_); }

    int64_t Size() override {
        struct stat st {};
        return fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
    }
    bool Write(const uint8_t* data, size_t length) override {
        return pwrite(fd_, data, length, 0) == static_cast<ssize_t>(length);
    }
    bool Read(uint8_t* data, size_t length) override {
        // Without O_DIRECT, drop cached pages first so the device is asked again.
        if (!direct_) posix_fadvise(fd_, 0, 0, POSIX_FADV_DONTNEED);
        const ssize_t got = pread(fd_, data, length, 0);
        if (got < 0) return false;
        // Past the end of a short file there is nothing: the rest reads as zero.
        if (static_cast<size_t>(got) < length) std::memset(data + got, 0, length - static_cast<size_t>(got));
        return true;
    }
    std::string Notice() override {
        return direct_ ? std::string() : "the exchange file's filesystem refuses unbuffered I/O; using synchronous uncached transfers";
    }

private:
    int fd_;
    bool direct_;
};

class LinuxVolumes final : public Volumes {
public:
    std::vector<VolumeInfo> List() override {
        std::vector<VolumeInfo> volumes;
        std::ifstream mountinfo("/proc/self/mountinfo");
        std::string line;
        while (std::getline(mountinfo, line)) {
            // id parent major:minor root mount-point ...
            std::istringstream fields(line);
            std::string id, parent, device, root, mountPoint;
            if (!(fields >> id >> parent >> device >> root >> mountPoint)) continue;
            unsigned major = 0, minor = 0;
            if (std::sscanf(device.c_str(), "%u:%u", &major, &minor) != 2) continue;
            volumes.push_back(DescribeMount(UnescapeMountPath(mountPoint), BlockDeviceIsRemovable(major, minor)));
        }
        return volumes;
    }

    VolumeInfo Describe(const std::string& root) override {
        struct stat st {};
        const bool removable = stat(root.c_str(), &st) == 0 && BlockDeviceIsRemovable(major(st.st_dev), minor(st.st_dev));
        return DescribeMount(root, removable);
    }

    std::string PathInRoot(const std::string& root, const std::string& name) override {
        return (std::filesystem::path(root) / name).string();
    }

    std::unique_ptr<ExchangeFile> OpenExchangeFile(const std::string& path, bool forWrite, std::string& error) override {
        const int access = forWrite ? (O_WRONLY | O_CREAT) : O_RDONLY;
        int fd = open(path.c_str(), access | O_DIRECT | O_CLOEXEC, 0644);
        if (fd >= 0) return std::make_unique<LinuxExchangeFile>(fd, true);
        if (errno != EINVAL) {
            error = std::strerror(errno);
            return nullptr;
        }
        fd = open(path.c_str(), access | (forWrite ? O_DSYNC : 0) | O_CLOEXEC, 0644);
        if (fd < 0) {
            error = std::strerror(errno);
            return nullptr;
        }
        return std::make_unique<LinuxExchangeFile>(fd, false);
    }

    std::unique_ptr<DeviceClaim> ClaimExchangeFile(const std::string& path, std::string& holder) override {
        return ClaimExchangeFileOnDisk(path, holder);
    }
};

}  // namespace

std::unique_ptr<Volumes> MakeSystemVolumes() { return std::make_unique<LinuxVolumes>(); }

}  // namespace tq
