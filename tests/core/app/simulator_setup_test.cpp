#include "core/app/simulator_setup.h"

#include <gtest/gtest.h>

#include "core/chipdb/chip_database.h"
#include "core/chipdb/chip_row.h"
#include "core/platform/clock.h"
#include "sim/sim_programmer.h"
#include "support/program_folder.h"

namespace tq {
namespace {

ChipRow Row(const std::string& name, const std::string& type, int64_t capacity, const std::string& id,
            int64_t eraseTime) {
    ChipRow row;
    row.ChipName = name;
    row.ChipType = type;
    row.Capacity = capacity;
    row.ChipID = id;
    row.EraseTime = eraseTime;
    return row;
}

TEST(SimChipFromRow, TakesTypeSizeIdAndEraseTimeFromTheRow) {
    struct Case {
        ChipRow row;
        SimChip chip;
    };
    const Case cases[] = {
        {Row("GD25Q64", "SPI FLASH", 8388608, "C84017", 20000), {"GD25Q64", 1, 8388608, 0x00C84017, true, 20000}},
        {Row("AT45DB041D", "45 EEPROM", 540672, "1F2400", 4000), {"AT45DB041D", 4, 540672, 0x001F2400, true, 4000}},
        // A 24 EEPROM answers with its family byte; nothing to look up.
        {Row("24C02", "24 EEPROM", 256, "", 0), {"24C02", 2, 256, 0x24000000, true, 0}},
        // No usable ID: detection reads the error byte.
        {Row("93C46", "93 EEPROM", 128, "", 0), {"93C46", 5, 128, 0, false, 0}},
        {Row("X", "SPI FLASH", 65536, "C8401", 0), {"X", 1, 65536, 0, false, 0}},
        // The name names the kept memory file: no folder can sneak in.
        {Row("../My chip/1", "SPI FLASH", -1, "EF4017", -5), {".._My_chip_1", 1, 0, 0x00EF4017, true, 0}},
        {Row("..", "SWD ARM", 1, "", 0), {"_..", 7, 1, 0, false, 0}},
    };
    for (const Case& c : cases) {
        const SimChip chip = SimChipFromRow(c.row);
        SCOPED_TRACE(c.row.ChipName);
        EXPECT_EQ(chip.name, c.chip.name);
        EXPECT_EQ(chip.typeCode, c.chip.typeCode);
        EXPECT_EQ(chip.capacity, c.chip.capacity);
        EXPECT_EQ(chip.chipId, c.chip.chipId);
        EXPECT_EQ(chip.hasId, c.chip.hasId);
        EXPECT_EQ(chip.eraseTimeMs, c.chip.eraseTimeMs);
    }
}

struct SetUpSimulatorTest : ::testing::Test {
    testing::ProgramFolder folder;
    VirtualClock clock;
    SimProgrammer sim{clock};
    std::unique_ptr<ChipDatabase> database;
    SimulatorOptions options;
    std::string error;

    SetUpSimulatorTest() {
        folder.CopyFromBin("login.dat");
        database = ChipDatabase::Open(folder / "login.dat");
    }
};

TEST_F(SetUpSimulatorTest, TheSocketHoldsTheSimChipElseTheSelectedChipElseNothing) {
    struct Case {
        std::string chip, simChip;
        const char* inSocket;  // null: empty
    };
    const Case cases[] = {
        {"GD25Q64", "", "GD25Q64"},
        {"GD25Q64", "W25Q64FV", "W25Q64FV"},
        {"GD25Q64", "none", nullptr},
        {"", "", nullptr},
        {"NO-SUCH-CHIP", "", nullptr},  // the chip selection names the unknown chip
    };
    for (const Case& c : cases) {
        SimProgrammer fresh{clock};
        options.chip = c.chip;
        options.socketChip = c.simChip;
        ASSERT_TRUE(SetUpSimulator(fresh, *database, options, error)) << error;
        SCOPED_TRACE(c.chip + "/" + c.simChip);
        if (!c.inSocket) {
            EXPECT_EQ(fresh.chip(), nullptr);
        } else {
            ASSERT_NE(fresh.chip(), nullptr);
            EXPECT_EQ(fresh.chip()->name, c.inSocket);
        }
    }
}

TEST_F(SetUpSimulatorTest, AnUnknownSimChipIsRefused) {
    options.socketChip = "NO-SUCH-CHIP";
    EXPECT_FALSE(SetUpSimulator(sim, *database, options, error));
    EXPECT_EQ(error, "--sim-chip: the chip database has no chip named NO-SUCH-CHIP");
}

TEST_F(SetUpSimulatorTest, TheEraseTimeOptionReplacesTheTablesAndTheKeptMemoryIsLoaded) {
    std::string kept(8388608, '\x5A');
    folder.WriteBytes("chip-GD25Q64.bin", kept);
    options.chip = "GD25Q64";
    options.eraseMs = 0;
    options.stateFolder = folder.path().string();
    ASSERT_TRUE(SetUpSimulator(sim, *database, options, error)) << error;
    ASSERT_NE(sim.chip(), nullptr);
    EXPECT_EQ(sim.chip()->eraseTimeMs, 0u);
    EXPECT_EQ(sim.chipMemory().front(), 0x5A);
    EXPECT_EQ(sim.chipMemory().back(), 0x5A);
}

}  // namespace
}  // namespace tq
