#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/platform/exchange_claim.h"

namespace tq {

namespace {

class FlockClaim final : public DeviceClaim {
public:
    explicit FlockClaim(int fd) : fd_(fd) {}
    ~FlockClaim() override {
        if (fd_ >= 0) close(fd_);  // closing the only descriptor releases the lock
    }

private:
    int fd_;
};

std::string ProcessName(long pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

}  // namespace

long FlockHolder(unsigned long deviceMajor, unsigned long deviceMinor, unsigned long inode) {
    // "1: FLOCK  ADVISORY  WRITE 1234 08:11:5678 0 EOF"; a waiter's line
    // has "->" after the number.
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, file;
        long pid = 0;
        if (!(fields >> number >> kind)) continue;
        if (kind == "->" || kind != "FLOCK") continue;
        if (!(fields >> mode >> access >> pid >> file)) continue;
        unsigned long major = 0, minor = 0, node = 0;
        if (std::sscanf(file.c_str(), "%lx:%lx:%lu", &major, &minor, &node) != 3) continue;
        if (major == deviceMajor && minor == deviceMinor && node == inode) return pid;
    }
    return 0;
}

std::unique_ptr<DeviceClaim> ClaimExchangeFileOnDisk(const std::string& path, std::string& holder) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return std::make_unique<DeviceClaim>();
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return std::make_unique<FlockClaim>(fd);
    if (errno != EWOULDBLOCK) return std::make_unique<FlockClaim>(fd);  // a filesystem without locks
    struct stat st {};
    const long pid = fstat(fd, &st) == 0 ? FlockHolder(major(st.st_dev), minor(st.st_dev), st.st_ino) : 0;
    close(fd);
    if (pid > 0) {
        const std::string name = ProcessName(pid);
        holder = std::to_string(pid) + (name.empty() ? "" : " (" + name + ")");
    }
    return nullptr;
}

}  // namespace tq
