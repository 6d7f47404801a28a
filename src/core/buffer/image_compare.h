// Where two images differ: the runs of differing bytes, for a compare view,
// the compare command and a second read of the same chip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tq {

// One run of differing bytes: [first, first + length).
struct DifferenceRun {
    uint64_t first = 0;
    uint64_t length = 0;
    uint64_t last() const { return first + length - 1; }
};

struct ImageDifference {
    uint64_t differingBytes = 0;   // every differing byte, runs kept or not
    uint64_t runCount = 0;         // every run, kept or not
    std::vector<DifferenceRun> runs;  // the first `maxRuns` runs, in address order
    uint64_t firstDiffering = 0;   // offsets of the first and last differing byte,
    uint64_t lastDiffering = 0;    // kept even when the runs are not
    bool equal() const { return differingBytes == 0; }
};

// Compares `a` with `b` byte by byte. Bytes past the end of the shorter image
// count as differing, so images of other lengths are never equal. Keeps at
// most `maxRuns` runs (a noisy chip can have millions) but counts them all.
ImageDifference CompareImages(const uint8_t* a, size_t sizeA, const uint8_t* b, size_t sizeB,
                              size_t maxRuns = SIZE_MAX);

// For next/previous difference keys: the first run starting after `offset`
// and the last one starting before it, as an index into `runs`, or -1.
long NextRunAfter(const std::vector<DifferenceRun>& runs, uint64_t offset);
long PreviousRunBefore(const std::vector<DifferenceRun>& runs, uint64_t offset);

}  // namespace tq
