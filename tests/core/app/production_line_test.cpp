// A line of simulated programmers driven at once: every one programmed with
// its own serial number, one pulled or failing while the others pass, the
// set following what is plugged in, Stop reaching every run.
#include "core/app/production_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "core/app/simulated_line.h"
#include "core/texts/text_catalogue.h"
#include "sim/sim_programmer.h"
#include "support/program_folder.h"

namespace tq {
namespace {

using ::testing::StartsWith;
using testing::ProgramFolder;

constexpr int32_t kEnglish = 2;

struct LineRig {
    explicit LineRig(size_t count, int eraseMs = 1) : sims(count) {
        for (const char* name : {"login.dat", "CN.ini", "TC.ini", "EN.ini"}) folder.CopyFromBin(name);
        std::string error;
        SimulatorOptions options;
        options.chip = "W25X10";
        options.eraseMs = eraseMs;
        EXPECT_TRUE(sims.SetUp(folder.path(), options, error)) << error;
        ledger = OpenProductionLedger((folder / "production.sqlite").string());
        line = std::make_unique<ProductionLine>(sims, LineSetup{PortableFolders(folder.path()), kEnglish, kEnglish, ledger.get()});
    }
    static LineJob Job(size_t length) {
        LineJob job;
        job.chip = "W25X10";
        for (size_t i = 0; i < length; ++i) job.image.push_back(static_cast<uint8_t>(i * 7 + 3));
        job.image.resize(128 * 1024, 0xFF);
        job.dataLength = static_cast<uint32_t>(length);
        return job;
    }
    std::vector<uint8_t> Memory(size_t index, size_t length) {
        const std::vector<uint8_t>& memory = sims.programmer(index).chipMemory();
        return {memory.begin(), memory.begin() + static_cast<std::ptrdiff_t>(length)};
    }

    ProgramFolder folder;
    SimulatedLine sims;
    std::unique_ptr<ProductionLedger> ledger;
    std::unique_ptr<ProductionLine> line;
};

TEST(ProductionLine, StartAllProgramsEveryProgrammerWithItsOwnSerialNumber) {
    LineRig rig(3);
    ASSERT_TRUE(rig.line->Refresh());
    LineJob job = LineRig::Job(0x200);
    job.serial = SerialStamp{0x10, 4, false, 100, 1};
    job.job = "J";
    ASSERT_EQ(rig.line->StartAll(job), 3u);
    rig.line->Wait();

    std::set<uint64_t> numbers;
    for (size_t i = 0; i < 3; ++i) {
        const std::vector<uint8_t> memory = rig.Memory(i, 0x200);
        const uint64_t number = uint64_t{memory[0x10]} << 24 | memory[0x11] << 16 | memory[0x12] << 8 | memory[0x13];
        numbers.insert(number);
        std::vector<uint8_t> expected(job.image.begin(), job.image.begin() + 0x200);
        StampSerial(expected, *job.serial, number);
        EXPECT_TRUE(memory == expected) << "programmer " << i;
    }
    EXPECT_EQ(numbers, (std::set<uint64_t>{100, 101, 102}));

    for (const StationSnapshot& station : rig.line->Snapshot()) {
        EXPECT_EQ(station.state, StationState::Passed) << station.key << ": " << station.reason;
        EXPECT_EQ(station.passed, 1u);
        EXPECT_EQ(station.chipId, "EF3011");
    }
    const std::vector<RunRecord> rows = rig.ledger->Query({});
    ASSERT_EQ(rows.size(), 3u);
    std::set<std::string> programmers;
    for (const RunRecord& row : rows) {
        EXPECT_EQ(row.result, RunResult::Passed);
        EXPECT_EQ(row.chipId, "EF3011");  // read from the socket
        EXPECT_EQ(row.steps, "erase,write,verify");
        EXPECT_EQ(row.imageSha256.size(), 64u);
        programmers.insert(row.programmer);
    }
    EXPECT_EQ(programmers.size(), 3u);
}

TEST(ProductionLine, OneProgrammerPulledOrFailingEndsWithItsReasonWhileTheOthersPass) {
    struct Case {
        const char* what;
        StationState state;
        std::string reason;  // how it starts
    };
    for (const Case& c : {Case{"pulled", StationState::Gone, Text(kEnglish, TextId::LineProgrammerGone)},
                          Case{"holds data", StationState::Failed, "Verify failed at 0x001234: expected 0x"}}) {
        SCOPED_TRACE(c.what);
        LineRig rig(3);
        rig.line->Refresh();
        LineJob job = LineRig::Job(0x4000);
        if (c.state == StationState::Gone) {
            rig.sims.programmer(1).faults.removeAfterTransfers = 8;
        } else {
            job.steps.erase = false;  // nothing clears what the middle one holds
            rig.sims.programmer(1).chipMemory()[0x1234] = 0x00;
        }
        rig.line->StartAll(job);
        rig.line->Wait();

        const std::vector<StationSnapshot> stations = rig.line->Snapshot();
        ASSERT_EQ(stations.size(), 3u);
        const std::vector<uint8_t> image(job.image.begin(), job.image.begin() + 0x4000);
        for (size_t i : {0u, 2u}) {
            EXPECT_EQ(stations[i].state, StationState::Passed) << stations[i].reason;
            EXPECT_TRUE(rig.Memory(i, 0x4000) == image) << "programmer " << i;
        }
        EXPECT_EQ(stations[1].state, c.state);
        EXPECT_THAT(stations[1].reason, StartsWith(c.reason));
        EXPECT_EQ(stations[1].failed, 1u);
        EXPECT_FALSE(rig.Memory(1, 0x4000) == image);

        std::vector<std::string> logged;
        for (const RunRecord& row : rig.ledger->Query({}))
            logged.push_back(row.programmer + " " + RunResultName(row.result) + " " + row.message);
        std::sort(logged.begin(), logged.end());
        EXPECT_EQ(logged, (std::vector<std::string>{stations[0].serial + " passed ",
                                                    stations[1].serial + " failed " + stations[1].reason,
                                                    stations[2].serial + " passed "}));
    }
}

TEST(ProductionLine, ProgrammersJoinAndLeaveAsTheyArePluggedAndPulled) {
    LineRig rig(3);
    const auto keys = [&rig] {
        std::vector<std::string> shown;
        for (const StationSnapshot& station : rig.line->Snapshot()) shown.push_back(station.key + " " + station.serial);
        return shown;
    };
    rig.line->Refresh();
    EXPECT_EQ(keys(), (std::vector<std::string>{"sim1: TQ7300B00012345", "sim2: TQ7300B00012346",
                                                "sim3: TQ7300B00012347"}));
    rig.sims.programmer(1).attached = false;
    EXPECT_TRUE(rig.line->Refresh());
    EXPECT_EQ(keys(), (std::vector<std::string>{"sim1: TQ7300B00012345", "sim3: TQ7300B00012347"}));
    rig.sims.programmer(1).attached = true;
    EXPECT_TRUE(rig.line->Refresh());
    EXPECT_EQ(keys().size(), 3u);
    EXPECT_FALSE(rig.line->Refresh());
}

TEST(ProductionLine, StopAllEndsEveryRunAsStopped) {
    // At once (before the sequence begins: the steps before it must not lose
    // the request) and in the middle of an erase that would take a minute.
    for (const int afterMs : {0, 100}) {
        SCOPED_TRACE(afterMs);
        LineRig rig(2, 60000);
        rig.line->Refresh();
        ASSERT_EQ(rig.line->StartAll(LineRig::Job(0x200)), 2u);
        EXPECT_TRUE(rig.line->Running());
        std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
        rig.line->StopAll();
        rig.line->Wait();
        EXPECT_FALSE(rig.line->Running());
        for (const StationSnapshot& station : rig.line->Snapshot()) {
            EXPECT_EQ(station.state, StationState::Failed);
            EXPECT_EQ(station.reason, Text(kEnglish, TextId::CliOperationStopped));
        }
    }
}

}  // namespace
}  // namespace tq
