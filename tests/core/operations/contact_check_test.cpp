#include "core/operations/contact_check.h"

#include <gtest/gtest.h>

#include "core/texts/text_catalogue.h"
#include "support/operation_rig.h"

namespace tq {
namespace {

using testing::OperationRig;

std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 5 + 1);
    return bytes;
}

// Seed 2 leaves the first read of a flaky byte alone and flips bit 7 in the second.
constexpr uint32_t kSecondReadFlips = 2;

TEST(ReadTwice, ReportsStableWithTheCrcOrTheAddressesThatDiffer) {
    const struct {
        std::set<uint32_t> flaky;
        OperationOutcome outcome;
        std::vector<std::string> report;
    } cases[] = {
        {{}, OperationOutcome::Succeeded, {"Both reads are identical: the contact is stable. CRC-32 19c7d066"}},
        {{0x123},
         OperationOutcome::Failed,
         {"The two reads differ: 1 byte(s) in 1 range(s)", "  0x000123: first read B0, second read 30",
          Text(2, TextId::ReadTwiceHint)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flaky.size());
        OperationRig rig;
        rig.session.Texts.Language = 2;
        rig.UseChip(1, 4096);
        rig.sim.chipMemory() = Pattern(4096);
        rig.sim.faults.flakyAddresses = c.flaky;
        rig.sim.faults.flakySeed = kSecondReadFlips;
        ASSERT_TRUE(rig.Connect());
        rig.ClearRecords();
        EXPECT_EQ(CheckContact(rig.session.Operation), c.outcome);
        // The report is the last lines of the status line, each stamped with the time.
        const std::vector<std::string>& shown = rig.status.history0;
        ASSERT_GE(shown.size(), c.report.size());
        for (size_t i = 0; i < c.report.size(); ++i)
            EXPECT_EQ(shown[shown.size() - c.report.size() + i], "10:42:07 " + c.report[i]);
        EXPECT_EQ(rig.progress.state, c.outcome == OperationOutcome::Succeeded ? ProgressState::Normal : ProgressState::Error);
        // The buffer never takes either read.
        EXPECT_EQ(rig.session.Buffer.RamFile.DataLen, 0u);
        EXPECT_EQ(rig.session.Buffer.RamFile.Data, std::vector<uint8_t>(4096, 0xFF));
    }
}

// Stop pressed as the second read begins: the check ends there, says how
// far that read got, and gives no verdict.
TEST(ReadTwice, AStopDuringTheSecondReadEndsTheCheckWithoutAReport) {
    struct StopAtSecondRead final : ProgressView {
        OperationContext* operation = nullptr;
        int reads = 0;
        void SetMaximum(uint32_t) override {
            if (++reads == 2) RequestStop(*operation);
        }
        void SetPosition(uint32_t) override {}
        void SetState(ProgressState) override {}
        void SetBarColour(BarColour) override {}
        void SetLabelText(const std::string&) override {}
        void SetLabelColour(LabelColour) override {}
    };
    OperationRig rig;
    rig.session.Texts.Language = 2;
    rig.UseChip(1, 4096);
    StopAtSecondRead progress;
    progress.operation = &rig.session.Operation;
    rig.session.Views.progress = &progress;
    ASSERT_TRUE(rig.Connect());
    rig.ClearRecords();
    const ContactCheck check = ReadChipTwice(rig.session.Operation);
    EXPECT_EQ(check.outcome, OperationOutcome::Stopped);
    EXPECT_TRUE(ContactReport(2, check).empty());
    ASSERT_FALSE(rig.status.history0.empty());
    EXPECT_EQ(rig.status.history0.back().find("10:42:07 Read stopped by the user after 0 of 4096 bytes"), 0u)
        << rig.status.history0.back();
}

TEST(ReadTwice, ANoisyChipListsTheFirstRangesAndCountsTheRest) {
    std::vector<uint8_t> first(64, 0), second(64, 0);
    for (size_t at = 0; at < 60; at += 6) second[at] = 0xFF;  // ten ranges of one byte
    second[1] = 0x0F;                                         // the first range is two bytes long
    const ImageDifference difference = CompareImages(first.data(), 64, second.data(), 64, kReportedDifferenceRuns);
    const std::vector<std::string> lines = DifferenceReport(2, difference, first.data(), second.data(), 0x1000);
    ASSERT_EQ(lines.size(), 1 + kReportedDifferenceRuns + 2);
    EXPECT_EQ(lines[0], "The two reads differ: 11 byte(s) in 10 range(s)");
    EXPECT_EQ(lines[1], "  0x001000-0x001001: first read 00 00, second read FF 0F");
    EXPECT_EQ(lines[2], "  0x001006: first read 00, second read FF");
    EXPECT_EQ(lines[9], "  ... and 2 more range(s)");
}

}  // namespace
}  // namespace tq
