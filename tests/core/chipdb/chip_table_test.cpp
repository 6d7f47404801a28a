// The reader of the chip list, the database built from it, and a self-check
// of the shipped list data/chips.csv.
#include "core/chipdb/chip_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/chipdb/chip_database_builder.h"
#include "support/program_folder.h"

namespace tq {
namespace {

const std::string kHeader =
    "ChipName,ChipType,ManufName,Note,Capacity,PageSize,BlockSize,OTPSize,OTPAddr,Voltage,ChipID,ChipPara,"
    "ChipPara1,ParaNote,Para1Note,EraseTime,MemoryType,Adder\n";

TEST(ChipTable, ReadsRowsAndLookAlikes) {
    testing::ProgramFolder folder;
    folder.WriteBytes("chips.csv",
                      "# comment\n# look-alikes: EF4017 C84017\n" + kHeader +
                          "W25Q64FV,SPI FLASH,WINBOND,64Mbit,8388608,256,4096,0,,3300,EF4017,3,0,a,b,20000,SPI FLASH,"
                          "Varden\r\n\n"
                          "24C02,24 EEPROM,GENERIC,2Kbit,256,8,16,0,,5000,,1,0,a,b,0,EEPROM,Varden\n");
    const ChipTable table = ReadChipTable(folder / "chips.csv");
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[0].ChipName, "W25Q64FV");
    EXPECT_EQ(table.rows[0].Capacity, 8388608);
    EXPECT_EQ(table.rows[0].Adder, "Varden");  // CR LF line ends are fine
    EXPECT_EQ(table.rows[1].ChipID, "");
    EXPECT_EQ(table.lookAlikes, (std::set<std::string>{"EF4017", "C84017"}));

    BuildChipDatabase(folder / "login.dat", table, "V7.0.0");
    const std::unique_ptr<ChipDatabase> db = ChipDatabase::Open(folder / "login.dat");
    EXPECT_EQ(db->VersionQuery(), "V7.0.0");
    EXPECT_EQ(db->ChipRowQuery("24C02").at(0).BlockSize, 16);
    EXPECT_EQ(db->TypeListQuery("M500").types.size(), 6u);
    EXPECT_FALSE(std::filesystem::exists(folder / "login.dat.building"));
}

TEST(ChipTable, ReportsTheFaultyLine) {
    struct Case {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"ChipName,ChipType\n", ":1: the header lacks the column ManufName"},
        {kHeader + "A,SPI FLASH,X\n", ":2: 3 fields instead of 18"},
        {kHeader + "A,SPI FLASH,X,n,8M,256,4096,0,,3300,,3,0,a,b,0,SPI FLASH,Varden\n",
         ":2: Capacity \"8M\" is not a decimal number"},
        {"# only comments\n", ": no header line"},
    };
    for (const Case& c : cases) {
        testing::ProgramFolder folder;
        folder.WriteBytes("chips.csv", c.text);
        try {
            ReadChipTable(folder / "chips.csv");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(c.error), std::string::npos) << error.what();
        }
    }
}

// The shipped chip list: every rule the program and the programmer rely on.
TEST(ChipTable, ShippedListIsConsistent) {
    const std::filesystem::path csv = std::filesystem::path(TQ_SOURCE_DIR) / "data" / "chips.csv";
    if (!std::filesystem::exists(csv)) GTEST_SKIP() << csv << " is not in this checkout";
    const ChipTable table = ReadChipTable(csv);
    EXPECT_GE(table.rows.size(), 400u);

    std::set<std::string> names;
    std::map<std::string, int> perType;
    std::map<std::string, std::vector<std::string>> byId;
    for (const ChipRow& row : table.rows) {
        const std::string& name = row.ChipName;
        EXPECT_TRUE(names.insert(name).second) << "duplicate name " << name;
        EXPECT_NE(ChipTypeCode(row.ChipType), 0) << name << ": unknown type " << row.ChipType;
        ++perType[row.ChipType];
        EXPECT_GT(row.PageSize, 0) << name;
        EXPECT_GT(row.Capacity, 0) << name;
        if (row.PageSize > 0) {
            EXPECT_EQ(row.Capacity % row.PageSize, 0) << name << ": capacity not whole pages";
        }
        EXPECT_GE(row.BlockSize, 16) << name << ": block size below 16 reads as no chip";
        EXPECT_TRUE(row.Voltage == 1800 || row.Voltage == 3300 || row.Voltage == 5000) << name;
        EXPECT_TRUE(row.ChipPara >= 0 && row.ChipPara <= 255 && row.ChipPara1 >= 0 && row.ChipPara1 <= 255) << name;
        EXPECT_EQ(row.Adder, "Varden") << name;
        const bool detectable = row.ChipType == "SPI FLASH" || row.ChipType == "45 EEPROM";
        if (detectable || !row.ChipID.empty()) {
            EXPECT_TRUE(IsWellFormedChipId(row.ChipID)) << name << ": ID \"" << row.ChipID << "\"";
            byId[row.ChipID].push_back(name);
        }
    }
    for (std::string_view type : kChipTypeTexts) {
        if (type != "SWD ARM") {
            EXPECT_GT(perType[std::string(type)], 0) << "no chip of type " << type;
        }
    }

    // IDs that detection cannot tell apart must be listed as look-alikes, and
    // the list names only IDs that really are shared.
    for (const auto& [id, chips] : byId) {
        const bool listed = table.lookAlikes.count(id) > 0;
        if (chips.size() > 1) {
            EXPECT_TRUE(listed) << id << " is shared by " << chips.size() << " chips";
        } else {
            EXPECT_FALSE(listed) << id << " is listed as a look-alike but unique";
        }
    }
    for (const std::string& id : table.lookAlikes) EXPECT_TRUE(byId.count(id)) << id << " belongs to no chip";
}

// The build turns the shipped list into login.dat beside the executables.
TEST(ChipTable, BuiltDatabaseHoldsTheShippedList) {
    const std::filesystem::path csv = std::filesystem::path(TQ_SOURCE_DIR) / "data" / "chips.csv";
    if (!std::filesystem::exists(csv)) GTEST_SKIP() << csv << " is not in this checkout";
    const std::unique_ptr<ChipDatabase> db = ChipDatabase::Open(std::filesystem::path(TQ_BIN_DIR) / "login.dat");
    EXPECT_EQ(db->SearchQuery("").size(), ReadChipTable(csv).rows.size());
    EXPECT_EQ(db->TypeListQuery("TQM7300B").types.size(), 7u);
    EXPECT_NE(db->VersionQuery(), "");
}

}  // namespace
}  // namespace tq
