#include "core/operations/compare_chip.h"

#include <gtest/gtest.h>

#include "support/expect.h"
#include "support/operation_rig.h"

namespace tq {
namespace {

using testing::OperationRig;

std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + i / 509);
    return bytes;
}

// The bytes a write would send are compared with the chip from the start
// address; the log says the result; the buffer and its history stay as they were.
TEST(CompareChip, ComparesTheBufferWithTheChipAndLeavesTheBufferAlone) {
    const struct {
        const char* name;
        uint32_t start, length;
        std::vector<uint32_t> changed;  // buffer offsets made to differ
        std::vector<std::pair<uint64_t, uint64_t>> runs;
        const char* line;
    } cases[] = {
        {"equal", 0, 65536, {}, {}, "与芯片比较：两个映像相同"},
        {"from a start address", 0x100, 1000, {0, 1, 999}, {{0, 2}, {999, 1}},
         "与芯片比较：不同字节：3，不同区段：2，第一处：0x000100，最后一处：0x0004E7"},
        {"last byte of the chip", 0, 65536, {65535}, {{65535, 1}},
         "与芯片比较：不同字节：1，不同区段：1，第一处：0x00FFFF，最后一处：0x00FFFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.UseChip(1, 65536);
        rig.sim.chipMemory() = Pattern(65536);
        std::vector<uint8_t> image(rig.sim.chipMemory().begin() + c.start,
                                   rig.sim.chipMemory().begin() + c.start + c.length);
        for (uint32_t offset : c.changed) image[offset] ^= 0x01;
        rig.LoadBuffer(image);
        rig.session.Chip.PrjInfo.RamStartAddr = c.start;
        const std::vector<uint8_t> before = rig.session.Buffer.RamFile.Data;
        ASSERT_TRUE(rig.Connect());
        ChipComparison comparison;
        EXPECT_EQ(CompareChipWithBuffer(rig.session.Operation, comparison), OperationOutcome::Succeeded);
        std::vector<std::pair<uint64_t, uint64_t>> runs;
        for (const DifferenceRun& run : comparison.difference.runs) runs.emplace_back(run.first, run.length);
        EXPECT_EQ(runs, c.runs);
        EXPECT_EQ(comparison.chip, rig.sim.chipMemory());
        EXPECT_SAYS(rig.status.panels[0], c.line);
        EXPECT_EQ(rig.session.Buffer.RamFile.Data, before);
        EXPECT_EQ(rig.session.Buffer.History.UndoCount(), 0u);
    }
}

// Every other end is said: nothing to compare, and a stop during the read.
TEST(CompareChip, SaysWhyItEndedWithoutAResult) {
    OperationRig empty;
    empty.UseChip(1, 65536);
    ASSERT_TRUE(empty.Connect());
    ChipComparison comparison;
    EXPECT_EQ(CompareChipWithBuffer(empty.session.Operation, comparison), OperationOutcome::NoData);
    EXPECT_TRUE(empty.Frames(0x34).empty());

    OperationRig stopped;
    stopped.UseChip(1, 65536);
    stopped.LoadBuffer(Pattern(65536));
    ASSERT_TRUE(stopped.Connect());
    stopped.clock.SetEventHook([&] {
        if (stopped.Blocks('<').size() == 1) RequestStop(stopped.session.Operation);
    });
    EXPECT_EQ(CompareChipWithBuffer(stopped.session.Operation, comparison), OperationOutcome::Stopped);
    stopped.clock.SetEventHook(nullptr);
    EXPECT_SAYS(stopped.status.panels[0], "停止");
    EXPECT_EQ(stopped.progress.state, ProgressState::Stopped);
    EXPECT_TRUE(comparison.difference.runs.empty());
}

}  // namespace
}  // namespace tq
