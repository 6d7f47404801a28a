// The production line from the terminal: serial numbers from the ledger in
// each chip an auto run writes, a log row for every chip run, and the log
// exported as CSV and JSON.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/exit_status.h"
#include "core/production/production_ledger.h"
#include "support/expect.h"
#include "support/sim_cli_folder.h"

namespace tq {
namespace {

using testing::CliResult;
using testing::ExitedWith;

struct ProductionCli : ::testing::Test {
    testing::SimCliFolder folder;
    std::string image;

    void SetUp() override {
        folder.WriteBytes("image.bin", std::string(0x100, '\x5A'));
        image = folder.File("image.bin");
    }
    // auto into a fresh simulated chip kept in STATE.
    CliResult Auto(const std::string& state, const std::vector<std::string>& more) const {
        std::vector<std::string> args = {"--lang", "2", "--sim-state", folder.File(state), "-c", "MX25L512E", "auto",
                                         image, "--no-erase"};
        args.insert(args.end(), more.begin(), more.end());
        return folder.RunSimulated(args);
    }
    // ... with the serial numbers of job lot-7: 0x1234, 0x1334, ... at 0x20, two bytes, little endian.
    CliResult Numbered(const std::string& state, std::vector<std::string> more = {}) const {
        std::vector<std::string> args = {"--serial-address", "20", "--serial-length", "2", "--serial-endian", "little",
                                         "--serial-first", "0x1234", "--serial-step", "0x100", "--job", "lot-7"};
        args.insert(args.end(), more.begin(), more.end());
        return Auto(state, args);
    }
    std::string ChipBytes(const std::string& state, size_t at, size_t count) const {
        const CliResult read = folder.RunSimulated({"--sim-state", folder.File(state), "-c", "MX25L512E", "read",
                                                    folder.File(state + ".bin")});
        EXPECT_THAT(read, ExitedWith(0));
        return folder.ReadBytes(state + ".bin").substr(at, count);
    }
    std::vector<RunRecord> Log() const {
        return OpenProductionLedger(folder.File(kLedgerFileName))->Query({});
    }
};

// Each chip gets the next number of the job at the address; a chip that
// fails keeps its number, void, and the next chip gets a new one.
TEST_F(ProductionCli, EachChipGetsItsOwnNumberAndAFailedOneKeepsItsNumberVoid) {
    const CliResult first = Numbered("A");
    ASSERT_THAT(first, ExitedWith(0));
    EXPECT_SAYS(first.out, "serial number 4660 (job lot-7)");
    const CliResult failed = Numbered("B", {"--sim-chip", "none"});
    EXPECT_THAT(failed, ExitedWith(kExitEmptySocket));
    EXPECT_SAYS(failed.err, "serial number 4916 is void");
    ASSERT_THAT(Numbered("C"), ExitedWith(0));
    EXPECT_EQ(ChipBytes("A", 0x1F, 4), std::string("\x5A\x34\x12\x5A", 4));
    EXPECT_EQ(ChipBytes("C", 0x1F, 4), std::string("\x5A\x34\x14\x5A", 4));

    const std::vector<RunRecord> log = Log();
    ASSERT_EQ(log.size(), 3u);
    struct Row {
        uint64_t serial;
        RunResult result;
    };
    const Row rows[] = {{0x1234, RunResult::Passed}, {0x1334, RunResult::Failed}, {0x1434, RunResult::Passed}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(log[i].serial, rows[i].serial) << i;
        EXPECT_EQ(log[i].result, rows[i].result) << i;
        EXPECT_EQ(log[i].job, "lot-7");
        EXPECT_EQ(log[i].chip, "MX25L512E");
        EXPECT_EQ(log[i].steps, "write,verify");
        EXPECT_EQ(log[i].imageSha256.size(), 64u);
    }
    EXPECT_EQ(log[1].message, "no chip in the socket");
    // The ID is what the socket answered: none from an empty one.
    EXPECT_EQ(log[0].chipId, "C22010");
    EXPECT_EQ(log[1].chipId, "");
    EXPECT_NE(log[0].imageSha256, log[2].imageSha256);  // each image carries its own number
}

// What stops a numbered run before a number is taken, and the runs kept out of the log.
TEST_F(ProductionCli, RefusesANumberThatCannotBeStampedOrKept) {
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{"--serial-address", "FFFF", "--serial-length", "2"}, kExitUsage, "reaches past the end of the image"},
        {{"--serial-address", "0", "--serial-length", "2", "--serial-first", "0x10000"}, kExitUsage,
         "serial number 65536 does not fit in 2 bytes"},
        {{"--serial-address", "0", "--no-production-log"}, kExitUsage, "leave out --no-production-log"},
        {{"--serial-address", "0", "--serial-length", "3"}, kExitUsage, "--serial-length"},
    };
    for (const Case& c : cases) {
        const CliResult run = Auto("A", c.args);
        EXPECT_THAT(run, ExitedWith(c.status)) << c.args[2];
        EXPECT_SAYS(run.err, c.says);
    }
    const CliResult unlogged =
        folder.RunSimulated({"--no-production-log", "-c", "MX25L512E", "write", image});
    EXPECT_THAT(unlogged, ExitedWith(0));
    EXPECT_TRUE(Log().empty());
}

// A write refused because the range holds data is logged with that reason.
TEST_F(ProductionCli, ARefusedWriteIsLoggedWithItsReason) {
    ASSERT_THAT(Auto("A", {}), ExitedWith(0));
    const CliResult refused = folder.RunSimulated({"--lang", "2", "--sim-state", folder.File("A"), "-c", "MX25L512E", "write", image});
    EXPECT_THAT(refused, ExitedWith(1));
    EXPECT_SAYS(refused.err, "the range to be written is not blank");
    const std::vector<RunRecord> log = Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].result, RunResult::Failed);
    EXPECT_THAT(log[1].message, ::testing::StartsWith("the range to be written is not blank; nothing was written"));
}

// A CSV a spreadsheet reads back as it was written: texts with commas,
// quotes and line breaks are quoted; JSON keeps numbers as numbers.
TEST_F(ProductionCli, ExportsTheLogAsCsvAndJson) {
    {
        const auto ledger = OpenProductionLedger(folder.File(kLedgerFileName));
        const SerialAllocation taken = ledger->AllocateSerials("a,b", 7, 1, 1, {"st", "P9", "2026-03-01T08:00:00Z"});
        RunRecord run;
        run.time = "2026-03-01T08:00:01Z";
        run.station = "st";
        run.programmer = "P9";
        run.chip = "GD25Q64";
        run.chipId = "C84017";
        run.imageSha256 = "ab";
        run.job = "a,b";
        run.serial = taken.first;
        run.allocationId = taken.id;
        run.steps = "erase,write";
        run.result = RunResult::Failed;
        run.durationMs = 1500;
        run.message = "said \"no\"\nthen stopped";
        ledger->RecordRun(run);
        run = RunRecord();
        run.time = "2026-03-02T09:00:00Z";
        run.station = "st";
        run.job = "plain";
        run.steps = "erase";
        run.result = RunResult::Passed;
        ledger->RecordRun(run);
    }
    const CliResult csv = folder.Run({"--lang", "2", "log", "export", "--csv", folder.File("log.csv")});
    ASSERT_THAT(csv, ExitedWith(0));
    EXPECT_SAYS(csv.out, "2 rows written to");
    EXPECT_EQ(folder.ReadBytes("log.csv"),
              "time,station,programmer,chip,chip_id,image_sha256,job,serial,serial_void,steps,result,duration_ms,"
              "message\r\n"
              "2026-03-01T08:00:01Z,st,P9,GD25Q64,C84017,ab,\"a,b\",7,1,\"erase,write\",failed,1500,"
              "\"said \"\"no\"\"\nthen stopped\"\r\n"
              "2026-03-02T09:00:00Z,st,,,,,plain,,0,erase,passed,0,\r\n");

    const CliResult json = folder.Run({"log", "export", "--json", "-", "--job", "a,b"});
    ASSERT_THAT(json, ExitedWith(0));
    EXPECT_EQ(json.out,
              "[{\"time\": \"2026-03-01T08:00:01Z\", \"station\": \"st\", \"programmer\": \"P9\", \"chip\": "
              "\"GD25Q64\", \"chip_id\": \"C84017\", \"image_sha256\": \"ab\", \"job\": \"a,b\", \"serial\": 7, "
              "\"serial_void\": true, \"steps\": \"erase,write\", \"result\": \"failed\", \"duration_ms\": 1500, "
              "\"message\": \"said \\\"no\\\"\\nthen stopped\"}]\n");

    const CliResult since = folder.Run({"log", "export", "--json", "-", "--since", "2026-03-02"});
    EXPECT_SAYS(since.out, "\"job\": \"plain\", \"serial\": null");
    EXPECT_NOT_SAYS(since.out, "a,b");
    EXPECT_THAT(folder.Run({"log", "export"}), ExitedWith(kExitUsage));
}

}  // namespace
}  // namespace tq
