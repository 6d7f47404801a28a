// The simulator's random faults, as the soak relies on them: the same seed
// draws the same faults, and a chip taken out for a moment comes back
// holding what it held.
#include <gtest/gtest.h>

#include "sim/sim_programmer.h"

namespace tq {
namespace {

SimFaultCounts DrawFor(uint32_t seed, int transfers) {
    VirtualClock clock;
    SimProgrammer sim(clock);
    sim.InsertChip(SimChip{"CHIP", 1, 4096, 0, true, 0});
    sim.randomFaults.perMillion = 100000;
    sim.randomFaults.seed = seed;
    uint8_t block[512];
    for (int i = 0; i < transfers; ++i) {
        sim.HostRead(block, sizeof block);
        clock.Advance(1000000);  // whatever was taken away is back by the next transfer
    }
    return sim.faultCounts();
}

TEST(RandomFaults, TheSeedDecidesTheFaultsAndEveryKindIsDrawn) {
    const SimFaultCounts first = DrawFor(7, 2000), again = DrawFor(7, 2000), other = DrawFor(8, 2000);
    EXPECT_EQ(first.Total(), again.Total());
    EXPECT_EQ(first.chipsTakenOut, again.chipsTakenOut);
    EXPECT_NE(first.Total(), other.Total());
    // About one transfer in ten meets one, spread over the four kinds.
    EXPECT_GT(first.Total(), 150u);
    EXPECT_LT(first.Total(), 250u);
    for (uint64_t kind : {first.failedTransfers, first.droppedAnswers, first.chipsTakenOut, first.drivesPulled})
        EXPECT_GT(kind, 20u);
}

TEST(RandomFaults, AChipTakenOutComesBackWithItsData) {
    VirtualClock clock;
    SimProgrammer sim(clock);
    sim.InsertChip(SimChip{"CHIP", 1, 4096, 0, true, 0});
    for (size_t i = 0; i < sim.chipMemory().size(); ++i) sim.chipMemory()[i] = static_cast<uint8_t>(i * 3);
    const std::vector<uint8_t> held = sim.chipMemory();
    sim.randomFaults = SimRandomFaults{1000000, 1, false, false, true, false, 50};
    uint8_t block[512];
    sim.HostRead(block, sizeof block);
    ASSERT_EQ(sim.chip(), nullptr);
    EXPECT_EQ(sim.takenOutMemory(), held);
    sim.randomFaults.perMillion = 0;
    clock.Advance(50 * 1000);
    sim.HostRead(block, sizeof block);
    ASSERT_NE(sim.chip(), nullptr);
    EXPECT_EQ(sim.chipMemory(), held);
}

}  // namespace
}  // namespace tq
