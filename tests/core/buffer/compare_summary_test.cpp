#include "core/buffer/compare_summary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tq {
namespace {

// What a person is told of a compare: the counts, first and last address
// (from the images' address, not from 0), the ranges and how many more.
TEST(CompareSummary, TellsTheCountsTheEndsAndTheListedRanges) {
    const struct {
        const char* name;
        std::vector<size_t> changed;  // offsets that differ in a 64-byte image
        uint64_t address;
        size_t listCap;
        std::string line;
        std::vector<std::string> ranges;
    } cases[] = {
        {"equal", {}, 0, 20, "The images are equal", {}},
        {"one byte", {5}, 0x1000, 20, "Differing bytes: 1, ranges: 1, first: 0x001005, last: 0x001005",
         {"0x001005-0x001005 (length 1)"}},
        {"both ends", {0, 1, 63}, 0, 20, "Differing bytes: 3, ranges: 2, first: 0x000000, last: 0x00003F",
         {"0x000000-0x000001 (length 2)", "0x00003F-0x00003F (length 1)"}},
        {"capped list", {1, 3, 5, 7}, 0, 2, "Differing bytes: 4, ranges: 4, first: 0x000001, last: 0x000007",
         {"0x000001-0x000001 (length 1)", "0x000003-0x000003 (length 1)", "... ranges not listed: 2"}},
        {"above 16 MiB", {2}, 0x0FFFFFF0, 20, "Differing bytes: 1, ranges: 1, first: 0xFFFFFF2, last: 0xFFFFFF2",
         {"0xFFFFFF2-0xFFFFFF2 (length 1)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> a(64, 0x5A), b = a;
        for (size_t offset : c.changed) b[offset] ^= 0xFF;
        const CompareSummary summary =
            SummarizeDifference(CompareImages(a.data(), a.size(), b.data(), b.size()), c.address, c.listCap);
        EXPECT_EQ(summary.equal(), c.changed.empty());
        EXPECT_EQ(CompareSummaryLine(2, summary), c.line);
        EXPECT_EQ(CompareRangeLines(2, summary), c.ranges);
    }
}

// The last address holds even when the runs kept for stepping stop early.
TEST(CompareSummary, KnowsTheLastDifferenceBeyondTheKeptRuns) {
    std::vector<uint8_t> a(100, 0), b = a;
    b[10] = b[20] = b[90] = 1;
    const CompareSummary summary = SummarizeDifference(CompareImages(a.data(), a.size(), b.data(), b.size(), 1), 0);
    EXPECT_EQ(summary.firstAddress, 10u);
    EXPECT_EQ(summary.lastAddress, 90u);
    EXPECT_EQ(summary.unlistedRuns, 2u);
}

}  // namespace
}  // namespace tq
