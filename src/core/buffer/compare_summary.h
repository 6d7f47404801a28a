// What a compare found, as both front-ends tell it: the counts, the first and
// last differing address and the differing ranges, listed up to a cap so a
// noisy chip does not flood a terminal or a log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/buffer/image_compare.h"

namespace tq {

// Runs kept for stepping through the differences (16 bytes each); past
// them the runs are still counted.
inline constexpr size_t kKeptCompareRuns = size_t{1} << 20;

// A person reads a screenful, not a million ranges.
inline constexpr size_t kListedCompareRanges = 20;

struct CompareSummary {
    uint64_t differingBytes = 0;
    uint64_t runCount = 0;
    uint64_t firstAddress = 0;  // meaningful only when something differs
    uint64_t lastAddress = 0;
    std::vector<DifferenceRun> listed;  // as addresses, the first `listCap` runs
    uint64_t unlistedRuns = 0;          // runs found but not listed
    bool equal() const { return differingBytes == 0; }
};

// The difference of two images whose first byte lies at `address`.
CompareSummary SummarizeDifference(const ImageDifference& difference, uint64_t address,
                                   size_t listCap = kListedCompareRanges);

// An address as both front-ends show it: 0x and at least six hex digits.
std::string CompareAddressText(uint64_t address);
// "12 bytes differ in 3 ranges; first 0x000010, last 0x0000FF", or "equal".
std::string CompareSummaryLine(int32_t language, const CompareSummary& summary);
// One line per listed range, then one saying how many more were found.
std::vector<std::string> CompareRangeLines(int32_t language, const CompareSummary& summary);

}  // namespace tq
