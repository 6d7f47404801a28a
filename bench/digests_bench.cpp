// Throughput of the image digests over a 256 MiB image: CRC-32 and SHA-256
// alone (what a status line and a release note need), and all four in one
// pass (the checksum command).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/buffer/image_digests.h"

namespace tq {
namespace {

const std::vector<uint8_t>& Image() {
    static const std::vector<uint8_t> image = [] {
        std::vector<uint8_t> bytes(256u * 1024 * 1024);
        std::mt19937 random(22);
        for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
        return bytes;
    }();
    return image;
}

void BM_Digests(benchmark::State& state) {
    const std::vector<uint8_t>& image = Image();
    const auto which = static_cast<unsigned>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(DigestsOf(image.data(), image.size(), which));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(image.size()));
}
BENCHMARK(BM_Digests)
    ->ArgName("set")
    ->Arg(kDigestCrc32)
    ->Arg(kDigestSha256)
    ->Arg(kDigestCrc32 | kDigestSha256)
    ->Arg(kAllDigests)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tq

BENCHMARK_MAIN();
