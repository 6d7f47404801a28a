#include "core/buffer/image_compare.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace tq {
namespace {

using Runs = std::vector<std::pair<uint64_t, uint64_t>>;

Runs RunsOf(const ImageDifference& difference) {
    Runs runs;
    for (const DifferenceRun& run : difference.runs) runs.emplace_back(run.first, run.length);
    return runs;
}

TEST(ImageCompare, FindsEveryRunOfDifferingBytes) {
    const size_t size = 10000;  // more than one skipped block
    const struct {
        const char* name;
        std::vector<size_t> changed;  // offsets flipped in the second image
        size_t sizeB;
        Runs runs;
        uint64_t bytes;
    } cases[] = {
        {"equal", {}, size, {}, 0},
        {"one byte", {5000}, size, {{5000, 1}}, 1},
        {"first and last byte", {0, size - 1}, size, {{0, 1}, {size - 1, 1}}, 2},
        {"a run across a block edge", {4094, 4095, 4096, 4097}, size, {{4094, 4}}, 4},
        {"two runs", {10, 11, 13}, size, {{10, 2}, {13, 1}}, 3},
        {"second image shorter", {}, size - 100, {{size - 100, 100}}, 100},
        {"a difference running into the missing tail", {size - 101}, size - 100, {{size - 101, 101}}, 101},
        {"second image longer", {}, size + 7, {{size, 7}}, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> a(size), b(c.sizeB);
        for (size_t i = 0; i < size; ++i) a[i] = static_cast<uint8_t>(i * 7);
        for (size_t i = 0; i < c.sizeB; ++i) b[i] = i < size ? a[i] : 0;
        for (size_t offset : c.changed) b[offset] ^= 0x10;
        const ImageDifference difference = CompareImages(a.data(), a.size(), b.data(), b.size());
        EXPECT_EQ(RunsOf(difference), c.runs);
        EXPECT_EQ(difference.differingBytes, c.bytes);
        EXPECT_EQ(difference.runCount, c.runs.size());
        EXPECT_EQ(difference.equal(), c.bytes == 0);
    }
}

TEST(ImageCompare, CountsRunsBeyondTheKeptOnes) {
    std::vector<uint8_t> a(100, 0), b(100, 0);
    for (size_t i = 0; i < 100; i += 2) b[i] = 1;
    const ImageDifference difference = CompareImages(a.data(), a.size(), b.data(), b.size(), 3);
    EXPECT_EQ(RunsOf(difference), (Runs{{0, 1}, {2, 1}, {4, 1}}));
    EXPECT_EQ(difference.runCount, 50u);
    EXPECT_EQ(difference.differingBytes, 50u);
}

TEST(ImageCompare, StepsToTheNextAndPreviousRun) {
    const std::vector<DifferenceRun> runs{{10, 2}, {20, 5}, {40, 1}};
    const struct {
        uint64_t offset;
        long next, previous;
    } cases[] = {{0, 0, -1}, {10, 1, -1}, {11, 1, 0}, {20, 2, 0}, {39, 2, 1}, {40, -1, 1}, {99, -1, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        EXPECT_EQ(NextRunAfter(runs, c.offset), c.next);
        EXPECT_EQ(PreviousRunBefore(runs, c.offset), c.previous);
    }
}

}  // namespace
}  // namespace tq
