// How long a running transfer still takes, from how fast it has gone so far.
// It is fed positions and times (the operation's clock), so the virtual clock
// of the tests makes it exact. The rate is smoothed so the time left does not
// jump with every block.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tq {

class TransferEstimate {
public:
    // A transfer begins; its size comes with the first update.
    void Start(uint64_t nowMicros);
    // Forgets the transfer: no estimate and no speed until the next Start.
    void Clear() { started_ = false; }
    // `done` of `total` bytes at `nowMicros`. A new total or a position going back is a new transfer
    // (the next step of a run), timed from here.
    void Update(uint64_t nowMicros, uint64_t done, uint64_t total);

    bool Started() const { return started_; }
    // Smoothed units per second; 0 before any progress.
    double Rate() const { return rate_; }
    // Seconds left, once a second has passed or 1 % is done after half a
    // second; none before (too little to go on) or when finished.
    std::optional<double> SecondsLeft() const;
    // What the whole transfer achieved up to the last update: units per second.
    double AverageRate() const;

private:
    bool started_ = false;
    uint64_t total_ = 0;
    uint64_t startMicros_ = 0;
    uint64_t startDone_ = 0;  // done when timing began
    uint64_t done_ = 0;
    uint64_t nowMicros_ = 0;
    // The last point the smoothed rate was taken from.
    uint64_t sampleMicros_ = 0;
    uint64_t sampleDone_ = 0;
    double rate_ = 0;
    bool rateTaken_ = false;
};

// "1:05" for 65 seconds (rounded to the nearest second).
std::string FormatMinutesSeconds(double seconds);
// "1.6 MiB/s", "512.0 KiB/s", "900 B/s".
std::string FormatByteRate(double bytesPerSecond);

}  // namespace tq
