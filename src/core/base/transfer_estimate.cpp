#include "core/base/transfer_estimate.h"

#include <cstdio>

namespace tq {

namespace {
// A new rate sample at most every half second: blocks arrive in bursts.
constexpr uint64_t kSampleMicros = 500000;
// How much a new sample counts against the rate so far.
constexpr double kSampleWeight = 0.3;
constexpr uint64_t kFirstEstimateMicros = 1000000;
}  // namespace

void TransferEstimate::Start(uint64_t nowMicros) {
    *this = TransferEstimate{};
    started_ = true;
    startMicros_ = sampleMicros_ = nowMicros_ = nowMicros;
}

void TransferEstimate::Update(uint64_t nowMicros, uint64_t done, uint64_t total) {
    if (done > total) done = total;  // a padded last block
    if (!started_ || (total_ != 0 && total != total_) || done < done_) {
        Start(nowMicros);
        startDone_ = sampleDone_ = done;
    }
    total_ = total;
    done_ = done;
    nowMicros_ = nowMicros;
    const uint64_t sinceSample = nowMicros - sampleMicros_;
    if (sinceSample < kSampleMicros || done_ < sampleDone_) return;
    const double sample = static_cast<double>(done_ - sampleDone_) * 1e6 / static_cast<double>(sinceSample);
    // The first rate is the average from the start; later ones blend in.
    rate_ = rateTaken_ ? rate_ + kSampleWeight * (sample - rate_) : AverageRate();
    rateTaken_ = true;
    sampleMicros_ = nowMicros;
    sampleDone_ = done_;
}

std::optional<double> TransferEstimate::SecondsLeft() const {
    if (!started_ || done_ <= startDone_ || done_ >= total_) return std::nullopt;
    const bool longEnough = nowMicros_ - startMicros_ >= kFirstEstimateMicros;
    // A programmer takes its first blocks into its own buffer at once: 1 %
    // in the first moments says nothing of the pace yet.
    const bool farEnough = (done_ - startDone_) * 100 >= total_ && nowMicros_ - startMicros_ >= kSampleMicros;
    if (!longEnough && !farEnough) return std::nullopt;
    // Before the first sample, the average so far is all there is.
    const double rate = rateTaken_ ? rate_ : AverageRate();
    if (rate <= 0) return std::nullopt;
    return static_cast<double>(total_ - done_) / rate;
}

double TransferEstimate::AverageRate() const {
    const uint64_t elapsed = nowMicros_ - startMicros_;
    if (!started_ || elapsed == 0) return 0;
    return static_cast<double>(done_ - startDone_) * 1e6 / static_cast<double>(elapsed);
}

std::string FormatMinutesSeconds(double seconds) {
    const auto whole = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

std::string FormatByteRate(double bytesPerSecond) {
    char text[32];
    if (bytesPerSecond >= 1024.0 * 1024.0)
        std::snprintf(text, sizeof text, "%.1f MiB/s", bytesPerSecond / (1024.0 * 1024.0));
    else if (bytesPerSecond >= 1024.0)
        std::snprintf(text, sizeof text, "%.1f KiB/s", bytesPerSecond / 1024.0);
    else
        std::snprintf(text, sizeof text, "%.0f B/s", bytesPerSecond);
    return text;
}

}  // namespace tq
