#include "core/buffer/image_compare.h"

#include <algorithm>
#include <cstring>

namespace tq {

namespace {

// Equal stretches are skipped a block at a time with memcmp, which the
// library vectorises; only blocks that differ are walked byte by byte.
constexpr size_t kSkipBlock = 4096;

class RunCollector {
public:
    RunCollector(ImageDifference& result, size_t maxRuns) : result_(result), maxRuns_(maxRuns) {}

    void Add(uint64_t first, uint64_t length) {
        result_.differingBytes += length;
        if (open_ && runEnd_ == first) {
            runEnd_ += length;
            return;
        }
        Close();
        open_ = true;
        runStart_ = first;
        runEnd_ = first + length;
    }

    void Close() {
        if (!open_) return;
        if (result_.runCount++ == 0) result_.firstDiffering = runStart_;
        result_.lastDiffering = runEnd_ - 1;
        if (result_.runs.size() < maxRuns_) result_.runs.push_back({runStart_, runEnd_ - runStart_});
        open_ = false;
    }

private:
    ImageDifference& result_;
    size_t maxRuns_;
    bool open_ = false;
    uint64_t runStart_ = 0, runEnd_ = 0;
};

}  // namespace

ImageDifference CompareImages(const uint8_t* a, size_t sizeA, const uint8_t* b, size_t sizeB, size_t maxRuns) {
    ImageDifference result;
    RunCollector runs(result, maxRuns);
    const size_t common = std::min(sizeA, sizeB);
    for (size_t block = 0; block < common; block += kSkipBlock) {
        const size_t count = std::min(kSkipBlock, common - block);
        if (std::memcmp(a + block, b + block, count) == 0) continue;
        for (size_t i = block; i < block + count; ++i)
            if (a[i] != b[i]) runs.Add(i, 1);
    }
    if (sizeA != sizeB) runs.Add(common, std::max(sizeA, sizeB) - common);
    runs.Close();
    return result;
}

long NextRunAfter(const std::vector<DifferenceRun>& runs, uint64_t offset) {
    const auto it = std::upper_bound(runs.begin(), runs.end(), offset,
                                     [](uint64_t value, const DifferenceRun& run) { return value < run.first; });
    return it == runs.end() ? -1 : static_cast<long>(it - runs.begin());
}

long PreviousRunBefore(const std::vector<DifferenceRun>& runs, uint64_t offset) {
    const auto it = std::lower_bound(runs.begin(), runs.end(), offset,
                                     [](const DifferenceRun& run, uint64_t value) { return run.first < value; });
    return it == runs.begin() ? -1 : static_cast<long>(it - runs.begin()) - 1;
}

}  // namespace tq
