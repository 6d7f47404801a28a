// Every transfer of a clean run, one at a time, is lost with the drive,
// loses its answer or fails: no run may report success unless the chip or
// the buffer really holds the right data, and a failed read leaves the
// buffer as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/operations/auto_sequence.h"
#include "core/operations/erase_blank.h"
#include "core/operations/read_verify.h"
#include "core/operations/write.h"
#include "support/operation_rig.h"

namespace tq {
namespace {

using testing::OperationRig;

// Facts of two chips of the database: a small SPI flash and a 24 EEPROM.
struct ChipFacts {
    const char* name;
    uint8_t type;
    uint32_t capacity;
    uint16_t pageSize;
    uint32_t eraseTimeMs;
};
constexpr ChipFacts kW25X05{"W25X05", 1, 65536, 256, 1000};
constexpr ChipFacts k24C02{"24C02", 2, 256, 8, 0};

enum class Fault { PullDrive, DropAnswer, FailTransfer };
constexpr Fault kFaults[] = {Fault::PullDrive, Fault::DropAnswer, Fault::FailTransfer};

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + seed);
    return bytes;
}

// One operation: how chip and buffer start, how it runs, which status line
// says it succeeded, and whether a success would be true afterwards.
struct Operation {
    const char* name;
    std::function<void(OperationRig&, const std::vector<uint8_t>& image)> prepare;
    OperationOutcome (*run)(OperationContext&);
    std::string Dev_Language_Struct::*successLine;  // null: the outcome alone says it
    std::function<bool(OperationRig&, const std::vector<uint8_t>& image)> holdsRightData;
};

bool ChipHolds(OperationRig& rig, const std::vector<uint8_t>& image) { return rig.sim.chipMemory() == image; }
bool ChipBlank(OperationRig& rig, const std::vector<uint8_t>&) {
    const auto& memory = rig.sim.chipMemory();
    return std::all_of(memory.begin(), memory.end(), [](uint8_t b) { return b == 0xFF; });
}
bool Never(OperationRig&, const std::vector<uint8_t>&) { return false; }

void ChipWith(OperationRig& rig, const std::vector<uint8_t>& bytes) { rig.sim.chipMemory() = bytes; }
std::vector<uint8_t> LastByteChanged(std::vector<uint8_t> bytes) {
    bytes.back() ^= 0x01;
    return bytes;
}

const Operation kOperations[] = {
    {"write", [](OperationRig& rig, const auto& image) { rig.LoadBuffer(image); }, WriteImage,
     &Dev_Language_Struct::LogChipWriteSuccess, ChipHolds},
    {"read", [](OperationRig& rig, const auto& image) { ChipWith(rig, image); }, ReadChip,
     &Dev_Language_Struct::LogChipReadSuccess,
     [](OperationRig& rig, const auto& image) { return rig.session.Buffer.RamFile.Data == image; }},
    {"verify equal",
     [](OperationRig& rig, const auto& image) {
         ChipWith(rig, image);
         rig.LoadBuffer(image);
     },
     VerifyChip, &Dev_Language_Struct::LogChipVerifySuccess, ChipHolds},
    {"verify different",
     [](OperationRig& rig, const auto& image) {
         ChipWith(rig, LastByteChanged(image));
         rig.LoadBuffer(image);
     },
     VerifyChip, &Dev_Language_Struct::LogChipVerifySuccess, Never},
    {"erase", [](OperationRig& rig, const auto& image) { ChipWith(rig, image); }, EraseChip,
     &Dev_Language_Struct::LogChipEraseSuccess, ChipBlank},
    {"blank check blank", [](OperationRig&, const auto&) {}, CheckBlank, nullptr, ChipBlank},
    {"blank check not blank",
     [](OperationRig& rig, const auto& image) { ChipWith(rig, LastByteChanged(std::vector<uint8_t>(image.size(), 0xFF))); },
     CheckBlank, nullptr, Never},
    {"auto",
     [](OperationRig& rig, const auto& image) {
         ChipWith(rig, Pattern(image.size(), 99));
         rig.LoadBuffer(image);
         rig.session.Chip.PrjInfo.Erase = rig.session.Chip.PrjInfo.Write = rig.session.Chip.PrjInfo.Verify = 1;
     },
     RunAutoSequence, nullptr, ChipHolds},
};

struct RunResult {
    uint64_t transfers = 0;
    bool reportedSuccess = false;
    bool genuine = false;
};

// One run on a fresh rig; `fault` hits the run's transfer `at` (1-based), none for 0.
RunResult RunOnce(const ChipFacts& chip, const Operation& operation, Fault fault, uint64_t at) {
    OperationRig rig;
    rig.UseChip(chip.type, chip.capacity, chip.pageSize, chip.eraseTimeMs);
    rig.session.Chip.PrjInfo.ChipName = chip.name;
    const std::vector<uint8_t> image = Pattern(chip.capacity, 1);
    operation.prepare(rig, image);
    EXPECT_TRUE(rig.Connect());
    const Ram_File_Info_Struct bufferBefore = rig.session.Buffer.RamFile;

    const uint64_t base = rig.sim.transferCount();
    if (at != 0) {
        switch (fault) {
            case Fault::PullDrive: rig.sim.faults.removeAfterTransfers = static_cast<uint32_t>(at - 1); break;
            case Fault::DropAnswer: rig.sim.faults.dropAnswerAt = base + at; break;
            case Fault::FailTransfer: rig.sim.faults.failTransferAt = base + at; break;
        }
    }
    const OperationOutcome outcome = operation.run(rig.session.Operation);

    RunResult result;
    result.transfers = rig.sim.transferCount() - base;
    result.reportedSuccess = outcome == OperationOutcome::Succeeded;
    if (operation.successLine) {
        const std::string& text = rig.session.Texts.DevLanguage.*operation.successLine;
        for (const std::string& line : rig.status.history0)
            result.reportedSuccess |= line.find(text) != std::string::npos;
    }
    result.genuine = operation.holdsRightData(rig, image);
    if (operation.run == ReadChip && outcome != OperationOutcome::Succeeded) {
        EXPECT_EQ(rig.session.Buffer.RamFile.Data, bufferBefore.Data) << "a failed read changed the buffer";
        EXPECT_EQ(rig.session.Buffer.RamFile.DataLen, bufferBefore.DataLen);
    }
    return result;
}

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::PullDrive: return "pull";
        case Fault::DropAnswer: return "drop";
        case Fault::FailTransfer: return "fail";
    }
    return "";
}

void Sweep(const ChipFacts& chip) {
    for (const Operation& operation : kOperations) {
        SCOPED_TRACE(std::string(chip.name) + " " + operation.name);
        const RunResult clean = RunOnce(chip, operation, Fault::PullDrive, 0);
        ASSERT_GT(clean.transfers, 0u);
        EXPECT_EQ(clean.reportedSuccess, clean.genuine) << "the clean run's verdict is wrong";
        int runs = 0, failures = 0, successes = 0;
        for (Fault fault : kFaults) {
            for (uint64_t at = 1; at <= clean.transfers; ++at) {
                const RunResult run = RunOnce(chip, operation, fault, at);
                ++runs;
                (run.reportedSuccess ? successes : failures) += 1;
                EXPECT_TRUE(!run.reportedSuccess || run.genuine)
                    << "false success: " << FaultName(fault) << " at transfer " << at << " of " << clean.transfers;
            }
        }
        std::printf("[ sweep    ] %-6s %-21s transfers %3llu  runs %4d  failed %4d  succeeded %4d\n", chip.name,
                    operation.name, static_cast<unsigned long long>(clean.transfers), runs, failures, successes);
    }
}

// A write stream broken off by a failed transfer stays open in the
// programmer: connecting again ends it first, so the questions that follow
// are answered instead of going into the chip as data, and a second write
// then puts the whole image in place.
TEST(FaultSweep, AWriteStreamLeftOpenIsEndedWhenTheProgrammerIsConnectedAgain) {
    OperationRig rig;
    rig.UseChip(kW25X05.type, kW25X05.capacity, kW25X05.pageSize, kW25X05.eraseTimeMs);
    rig.session.Chip.PrjInfo.ChipName = kW25X05.name;
    const std::vector<uint8_t> image = Pattern(kW25X05.capacity, 1);
    rig.LoadBuffer(image);
    ASSERT_TRUE(rig.Connect());
    rig.sim.faults.failTransferAt = rig.sim.transferCount() + 12;  // inside the stream
    ASSERT_NE(WriteImage(rig.session.Operation), OperationOutcome::Succeeded);
    ASSERT_TRUE(rig.Connect());
    rig.sim.chipMemory().assign(kW25X05.capacity, 0xFF);
    EXPECT_EQ(WriteImage(rig.session.Operation), OperationOutcome::Succeeded);
    EXPECT_TRUE(ChipHolds(rig, image));
}

TEST(FaultSweep, SmallSpiFlash) { Sweep(kW25X05); }
TEST(FaultSweep, Eeprom24) { Sweep(k24C02); }

}  // namespace
}  // namespace tq
