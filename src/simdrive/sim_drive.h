// The simulated programmer as a real mounted volume (FUSE): a 4608-byte
// drive holding Write.Temp. What the kernel delivers for that file goes to
// the simulator's exchange file as the programmer's firmware would receive
// it, and reads return its answers. Every open is direct I/O, so no page
// cache sits between the host program and the simulator.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace tq {

class ExchangeFile;
class SimProgrammer;

class SimDrive {
public:
    explicit SimDrive(SimProgrammer& programmer);
    ~SimDrive();
    SimDrive(const SimDrive&) = delete;
    SimDrive& operator=(const SimDrive&) = delete;

    // Mounts the drive at `mountPoint` and serves it on this thread until
    // SIGINT, SIGTERM or SIGHUP, or until the simulated programmer is
    // unplugged; then unmounts. False with `error` when it cannot mount.
    bool Serve(const std::string& mountPoint, std::string& error);

    // Transfers served so far (reads and writes of Write.Temp).
    uint64_t transfers() const { return transfers_; }

    // Runs `look` on the programmer from another thread, between transfers.
    void BetweenTransfers(const std::function<void()>& look) {
        const std::lock_guard lock(mutex_);
        look();
    }

private:
    struct Operations;
    // Counts a transfer; ends serving once the programmer has been unplugged.
    void AfterTransfer();

    SimProgrammer& programmer_;
    std::unique_ptr<ExchangeFile> file_;
    uint64_t transfers_ = 0;
    std::mutex mutex_;  // the FUSE requests against BetweenTransfers
};

}  // namespace tq
