// Compare: two 256 MiB images, equal and with scattered differences, and an
// 8 MiB chip on the simulator (virtual clock) compared with the buffer,
// next to a plain copy of the chip (its read): the difference of the two is
// what the compare adds to the read.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/buffer/image_compare.h"
#include "core/buffer/compare_summary.h"
#include "core/operations/compare_chip.h"
#include "core/operations/read_verify.h"
#include "simulated_chip_bench.h"

namespace tq {
namespace {

constexpr size_t kImageBytes = 256u * 1024 * 1024;

const std::vector<uint8_t>& Image() {
    static const std::vector<uint8_t> image = [] {
        std::vector<uint8_t> bytes(kImageBytes);
        std::mt19937 random(22);
        for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
        return bytes;
    }();
    return image;
}

// Argument: bytes between differences (0: the images are equal).
void CompareImages256MiB(benchmark::State& state) {
    const std::vector<uint8_t>& a = Image();
    std::vector<uint8_t> b = a;
    const auto spacing = static_cast<size_t>(state.range(0));
    if (spacing)
        for (size_t i = spacing / 2; i < b.size(); i += spacing) b[i] ^= 0xFF;
    uint64_t runs = 0;
    for (auto _ : state) {
        const ImageDifference difference = CompareImages(a.data(), a.size(), b.data(), b.size(), kKeptCompareRuns);
        runs = difference.runCount;
        benchmark::DoNotOptimize(runs);
    }
    state.counters["runs"] = static_cast<double>(runs);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kImageBytes));
}
BENCHMARK(CompareImages256MiB)->ArgName("spacing")->Arg(0)->Arg(1 << 20)->Arg(1 << 12)->Arg(64)->Unit(benchmark::kMillisecond);

constexpr uint32_t kChipBytes = 8u * 1024 * 1024;

// The chip holds what the buffer holds but for one byte in every 64 KiB.
struct ChipBench : SimulatedChipBench {
    ChipBench() : SimulatedChipBench(kChipBytes) {
        sim.chipMemory() = session.Buffer.RamFile.Data;
        for (size_t i = 0; i < kChipBytes; i += 65536) sim.chipMemory()[i] ^= 1;
    }
};

void ReadChip8MiB(benchmark::State& state) {
    ChipBench bench;
    std::vector<uint8_t> chip;
    for (auto _ : state)
        if (CopyChip(bench.session.Operation, chip) != OperationOutcome::Succeeded) state.SkipWithError("read failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kChipBytes);
}
BENCHMARK(ReadChip8MiB)->Unit(benchmark::kMillisecond);

void CompareChip8MiB(benchmark::State& state) {
    ChipBench bench;
    ChipComparison comparison;
    for (auto _ : state)
        if (CompareChipWithBuffer(bench.session.Operation, comparison) != OperationOutcome::Succeeded)
            state.SkipWithError("compare failed");
    state.counters["runs"] = static_cast<double>(comparison.difference.runCount);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kChipBytes);
}
BENCHMARK(CompareChip8MiB)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tq

BENCHMARK_MAIN();
