// The platform seam of the device link: which volumes are mounted, and the
// exchange file on one of them. Linux and Windows implement it for real
// drives; the simulator implements it with an in-memory volume.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tq {

struct VolumeInfo {
    std::string root;      // mount point or "E:\"; the exchange file lies in it
    bool removable = false;
    bool readable = false;  // mounted and its volume information could be read
    uint64_t totalBytes = 0;
};

// One open handle on the exchange file. Transfers always address offset 0
// and cover whole 512-byte sectors from sector-aligned memory.
class ExchangeFile {
public:
    virtual ~ExchangeFile() = default;
    virtual int64_t Size() = 0;  // -1 when it cannot be told
    virtual bool Write(const uint8_t* data, size_t length) = 0;
    virtual bool Read(uint8_t* data, size_t length) = 0;
    // Non-empty when the file could not be opened unbuffered and a slower
    // uncached path is used instead; said once on the trace.
    virtual std::string Notice() { return {}; }
};

// This process's exclusive hold on one programmer, kept while it lives.
class DeviceClaim {
public:
    virtual ~DeviceClaim() = default;
};

class Volumes {
public:
    virtual ~Volumes() = default;
    // Mounted volumes in the platform's fixed order.
    virtual std::vector<VolumeInfo> List() = 0;
    // The volume a given folder lies on (for an explicitly named device);
    // readable is false when it cannot be queried.
    virtual VolumeInfo Describe(const std::string& root) = 0;
    // Joins a volume root and a file name the way the platform does.
    virtual std::string PathInRoot(const std::string& root, const std::string& name) = 0;
    // Opens (creating when missing) the exchange file unbuffered; null and a
    // reason on failure.
    virtual std::unique_ptr<ExchangeFile> OpenExchangeFile(const std::string& path, bool forWrite,
                                                           std::string& error) = 0;
    // Claims the programmer behind an exchange file for this session, so that
    // no other process (nor another session) interleaves its frames with
    // ours. Null, with `holder` naming who has it ("1234 (tqprog-cli)", or
    // empty when that cannot be told), when it is taken. Volumes
    // that no other process can see need no claim: the default grants it.
    virtual std::unique_ptr<DeviceClaim> ClaimExchangeFile(const std::string& path, std::string& holder) {
        (void)path;
        (void)holder;
        return std::make_unique<DeviceClaim>();
    }
};

}  // namespace tq
