// Host-side cost of the chip operations through the simulated programmer on
// the virtual clock (no USB, no waiting: what remains is the program's own
// work per byte), and what the real clock's long waits cost in CPU time.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "core/device/presence.h"
#include "core/operations/read_verify.h"
#include "core/operations/write.h"
#include "core/app/session.h"
#include "sim/sim_programmer.h"
#include "simulated_chip_bench.h"

namespace tq {
namespace {

constexpr uint32_t kImageBytes = 16u * 1024 * 1024;

void Write16MiB(benchmark::State& state) {
    SimulatedChipBench bench(kImageBytes);
    for (auto _ : state)
        if (WriteImage(bench.session.Operation) != OperationOutcome::Succeeded) state.SkipWithError("write failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kImageBytes);
}
BENCHMARK(Write16MiB)->Unit(benchmark::kMillisecond);

void Read16MiB(benchmark::State& state) {
    SimulatedChipBench bench(kImageBytes);
    for (auto _ : state)
        if (ReadChip(bench.session.Operation) != OperationOutcome::Succeeded) state.SkipWithError("read failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kImageBytes);
}
BENCHMARK(Read16MiB)->Unit(benchmark::kMillisecond);

double ProcessCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double WallMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// A 2-second wait as the polled erase makes it: it should sleep, not spin.
// Argument 0: no event hook (the CLI); 1: an empty hook, as the window's.
void RealClockWait2s(benchmark::State& state) {
    RealClock clock;
    if (state.range(0) != 0) clock.SetEventHook([] {});
    double cpuMs = 0, wallMs = 0, overshootMs = 0;
    for (auto _ : state) {
        const double cpuBefore = ProcessCpuMs();
        const double wallBefore = WallMs();
        clock.Wait10us(200000);
        const double waited = WallMs() - wallBefore;
        cpuMs += ProcessCpuMs() - cpuBefore;
        wallMs += waited;
        overshootMs = std::max(overshootMs, waited - 2000.0);
        // The clock counts whole microseconds, so up to 1 us may go unseen.
        if (waited < 2000.0 - 0.001) state.SkipWithError("the wait returned early");
    }
    state.counters["cpu_ms_per_wait"] = cpuMs / static_cast<double>(state.iterations());
    state.counters["cpu_percent_of_core"] = 100.0 * cpuMs / wallMs;
    state.counters["max_overshoot_ms"] = overshootMs;
}
BENCHMARK(RealClockWait2s)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tq

BENCHMARK_MAIN();
