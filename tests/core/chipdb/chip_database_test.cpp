#include "core/chipdb/chip_database.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/chipdb/operation_record.h"
#include "core/chipdb/chip_database_builder.h"
#include "support/program_folder.h"

namespace tq {
namespace {

ChipRow Chip(std::string name, std::string type, std::string maker, int64_t capacity, std::string id = "",
             int64_t voltage = 3300) {
    ChipRow row;
    row.ChipName = std::move(name);
    row.ChipType = std::move(type);
    row.ManufName = std::move(maker);
    row.Capacity = capacity;
    row.PageSize = 256;
    row.BlockSize = 4096;
    row.Voltage = voltage;
    row.ChipID = std::move(id);
    row.ChipPara = 3;
    row.ChipPara1 = 4;
    row.ParaNote = "address bytes";
    row.Para1Note = "flags";
    row.EraseTime = 20000;
    row.MemoryType = row.ChipType;
    row.Adder = kFactoryAdder;
    return row;
}

struct ChipDatabaseTest : ::testing::Test {
    testing::ProgramFolder folder;
    std::unique_ptr<ChipDatabase> db = ChipDatabase::Open(folder / "login.dat", true);

    ChipDatabaseTest() {
        db->ExecScript("PRAGMA synchronous = OFF");  // a scratch file needs no flushing
        CreateChipTables(*db);
        AddChipTypes(*db);
        for (const ChipRow& row : {
                 Chip("W25Q64FV", "SPI FLASH", "WINBOND", 8388608, "EF4017"),
                 Chip("W25Q16DV", "SPI FLASH", "WINBOND", 2097152, "EF4015"),
                 Chip("W25Q64BV", "SPI FLASH", "WINBOND", 8388608, "EF4017"),
                 Chip("SST25VF016B", "SPI FLASH", "SST", 2097152, "BF2541"),
                 Chip("GD25Q64", "SPI FLASH", "GIGADEVICE", 8388608, "C84017"),
                 Chip("24C02", "24 EEPROM", "GENERIC", 256, "", 5000),
                 Chip("24C02", "24 EEPROM", "ATMEL", 512, "", 5000),  // a second row of the same name
                 Chip("AT45DB041", "45 EEPROM", "ATMEL", 540672, "1F2400", 1800),
                 Chip("ODD", "SWD Flash", "NOBODY", 1024),
             })
            AddChipRow(*db, row);
    }
};

TEST_F(ChipDatabaseTest, VersionQuery) {
    EXPECT_EQ(db->VersionQuery(), "V0.1.0");  // no [DevInfo] row
    AddDbVersion(*db, "V2.3.4");
    AddDbVersion(*db, "V9.9.9");
    EXPECT_EQ(db->VersionQuery(), "V2.3.4");  // only the first row counts
}

TEST_F(ChipDatabaseTest, TypeListPerPlatform) {
    std::vector<std::string> all;
    for (const ChipFamily& family : ChipFamilies()) all.emplace_back(family.name);
    EXPECT_EQ(db->TypeListQuery("TQM7300B").types, all);
    std::vector<std::string> noSwd = all;
    noSwd.pop_back();
    EXPECT_EQ(db->TypeListQuery("M500-4CH").types, noSwd);
    EXPECT_EQ(db->TypeListQuery("tqm7").types, all);  // column names ignore case
}

TEST_F(ChipDatabaseTest, PlatformCodeMustBeAPlainIdentifier) {
    for (const char* model : {"T-M7300B", "", "TQ'7", "1234", "M5 0", "TQ]7"}) {
        const TypeList list = db->TypeListQuery(model);
        EXPECT_TRUE(list.rejected) << model;
        EXPECT_TRUE(list.types.empty()) << model;
        EXPECT_NE(list.Reason(2).find("\"" + PlatformCode(model) + "\""), std::string::npos) << list.Reason(2);
        EXPECT_NE(list.Reason(0).find("芯片类型列表为空"), std::string::npos);
    }
    // A plain name that is no platform column is a failed statement, even
    // when it spells a keyword.
    for (const char* model : {"ABCD1234", "NULL", "WHERE"}) {
        try {
            db->TypeListQuery(model);
            ADD_FAILURE() << model << " did not fail";
        } catch (const DatabaseError& error) {
            EXPECT_NE(std::string(error.what()).find("no such column"), std::string::npos) << error.what();
        }
    }
}

TEST_F(ChipDatabaseTest, ListsForTheChipFrame) {
    EXPECT_EQ(db->ManufacturerListQuery("SPI FLASH").size(), 3u);
    const std::vector<std::string> byCapacity = db->NameListQuery("SPI FLASH", "WINBOND");
    ASSERT_EQ(byCapacity.size(), 3u);
    EXPECT_EQ(byCapacity.front(), "W25Q16DV");  // the two 64 Mbit chips follow in either order
    std::vector<std::string> unsorted = db->StartupNameListQuery("SPI FLASH", "WINBOND");
    std::sort(unsorted.begin(), unsorted.end());
    EXPECT_EQ(unsorted, (std::vector<std::string>{"W25Q16DV", "W25Q64BV", "W25Q64FV"}));
    EXPECT_TRUE(db->NameListQuery("SPI FLASH", "NOBODY").empty());
}

TEST_F(ChipDatabaseTest, LookupsByNameTakeTheFirstRow) {
    const std::vector<ChipRow> rows = db->ChipRowQuery("24C02");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows.front().ManufName, "GENERIC");
    EXPECT_EQ(rows.front().Capacity, 256);
    EXPECT_TRUE(db->ChipRowQuery("NO-SUCH-CHIP").empty());
}

TEST_F(ChipDatabaseTest, RowsBecomeChipParameters) {
    struct Case {
        const char* name;
        uint16_t typeCode;
        uint8_t voltageCode;
    };
    const Case cases[] = {{"24C02", 2, 2}, {"AT45DB041", 4, 0}, {"W25Q64FV", 1, 0}, {"ODD", 0, 0}};
    for (const Case& c : cases) {
        Prj_Info_Struct prj;
        CopyChipParameters(db->ChipRowQuery(c.name).at(0), prj);
        EXPECT_EQ(prj.ChipTypeCode, c.typeCode) << c.name;
        EXPECT_EQ(prj.VoltageCode, c.voltageCode) << c.name;
    }
}

TEST_F(ChipDatabaseTest, IdAndSearchQueries) {
    const std::vector<ChipRow> same = db->IdQuery("EF4017");
    ASSERT_EQ(same.size(), 2u);
    const std::vector<ChipRow> found = db->SearchQuery("q64");  // like ignores case
    ASSERT_EQ(found.size(), 3u);
    const std::vector<ChipRow> small = db->SearchQuery("2");
    ASSERT_GE(small.size(), 2u);
    EXPECT_EQ(small.front().Capacity, 256);  // sorted by capacity
    for (size_t i = 1; i < small.size(); ++i) EXPECT_LE(small[i - 1].Capacity, small[i].Capacity);
    // % and _ are wildcards, as typed.
    EXPECT_EQ(db->SearchQuery("W25Q_4").size(), 2u);
    EXPECT_EQ(db->SearchQuery("%").size(), 9u);
    EXPECT_EQ(db->SearchQuery("").size(), 9u);
}

TEST_F(ChipDatabaseTest, UserChips) {
    EXPECT_TRUE(db->UserRowsQuery().empty());
    const ChipRow algorithm = db->ChipRowQuery("W25Q64FV").at(0);
    const std::vector<ChipRow> algorithms = db->AlgorithmListQuery();
    EXPECT_EQ(algorithms.size(), 4u);  // the WINBOND and SST SPI flash rows

    db->UserChipInsert(algorithm, "MY25Q64", "MYCO", "AB4017");
    db->UserChipInsert(algorithm, "MY25Q64", "MYCO", "AB4017");  // twice: two rows
    const std::vector<ChipRow> users = db->UserRowsQuery();
    ASSERT_EQ(users.size(), 2u);
    const ChipRow& mine = users.front();
    EXPECT_EQ(mine.ChipName, "MY25Q64");
    EXPECT_EQ(mine.ManufName, "MYCO");
    EXPECT_EQ(mine.ChipID, "AB4017");
    EXPECT_EQ(mine.Adder, "USER");
    EXPECT_EQ(mine.ParaNote, algorithm.ParaNote + " ");
    EXPECT_EQ(mine.Para1Note, algorithm.Para1Note + " ");
    ChipRow borrowed = mine;
    borrowed.ChipName = algorithm.ChipName;
    borrowed.ManufName = algorithm.ManufName;
    borrowed.ChipID = algorithm.ChipID;
    borrowed.ParaNote = algorithm.ParaNote;
    borrowed.Para1Note = algorithm.Para1Note;
    borrowed.Adder = algorithm.Adder;
    EXPECT_TRUE(borrowed == algorithm);  // every parameter borrowed

    EXPECT_EQ(db->UserChipUpdate("MY25Q64", "4096", "OTHER", "AB0000"), 2);
    EXPECT_EQ(db->UserRowQuery("MY25Q64").at(0).Capacity, 4096);
    EXPECT_EQ(db->UserRowQuery("MY25Q64").at(0).ManufName, "OTHER");

    EXPECT_EQ(db->UserChipDelete("MY25Q64", "MYCO", "AB0000"), 0);  // wrong maker: nothing goes
    EXPECT_EQ(db->UserRowsQuery().size(), 2u);
    EXPECT_EQ(db->UserChipDelete("MY25Q64", "OTHER", "AB0000"), 2);
    EXPECT_TRUE(db->UserRowsQuery().empty());
}

TEST_F(ChipDatabaseTest, FactoryRowsAreNotChangedByTheUserChipUpdate) {
    EXPECT_EQ(db->UserChipUpdate("W25Q64FV", "1", "HACKED", "000000"), 0);
    const ChipRow row = db->ChipRowQuery("W25Q64FV").at(0);
    EXPECT_EQ(row.Capacity, 8388608);
    EXPECT_EQ(row.ManufName, "WINBOND");
    EXPECT_EQ(row.Adder, "Varden");
}

TEST_F(ChipDatabaseTest, QuotesAreStoredAndFoundAsTyped) {
    const std::string name = "O'Neil \"25\" x'; DROP TABLE [ChipName]; --";
    const std::string maker = "Maker's";
    const std::string id = "AB'017";
    db->UserChipInsert(db->ChipRowQuery("GD25Q64").at(0), name, maker, id);
    ASSERT_EQ(db->ChipRowQuery(name).size(), 1u);
    EXPECT_EQ(db->ChipRowQuery(name).at(0).ManufName, maker);
    EXPECT_EQ(db->UserRowQuery(name).size(), 1u);
    EXPECT_EQ(db->IdQuery(id).at(0).ChipName, name);
    EXPECT_EQ(db->SearchQuery("'Neil \"25\"").at(0).ChipName, name);
    const std::vector<std::string> makers = db->ManufacturerListQuery("SPI FLASH");
    EXPECT_NE(std::find(makers.begin(), makers.end(), maker), makers.end());
    EXPECT_EQ(db->NameListQuery("SPI FLASH", maker), std::vector<std::string>{name});
    EXPECT_EQ(db->UserChipUpdate(name, "1024", maker, id), 1);
    EXPECT_EQ(db->UserChipDelete(name, maker, id), 1);
    EXPECT_EQ(db->SearchQuery("").size(), 9u);  // the table is whole
}

TEST_F(ChipDatabaseTest, FailedStatementsCarryTheEngineText) {
    try {
        db->QueryOpen("select * from [NoSuchTable]");
        FAIL() << "no error";
    } catch (const DatabaseError& error) {
        EXPECT_STREQ(error.what(), "no such table: NoSuchTable");
        EXPECT_EQ(error.Statement(), "select * from [NoSuchTable]");
    }
    EXPECT_THROW(db->QueryExec("INSERT INTO [ChipName] (NoColumn) VALUES (?)", {"x"}), DatabaseError);
    EXPECT_THROW(db->QueryOpen("select * from [ChipName] where ChipName = ?"), DatabaseError);  // value missing
}

TEST_F(ChipDatabaseTest, QueryResultReadsRecordsInOrder) {
    db->QueryExec("INSERT INTO [ChipName] (ChipName) VALUES (?)", {"BARE"});
    QueryResult result =
        db->QueryOpen("select * from [ChipName] where ChipName IN (?, ?) ORDER BY ChipName", {"GD25Q64", "BARE"});
    ASSERT_EQ(result.Count(), 2);
    EXPECT_EQ(result.FieldText("chipname"), "BARE");
    EXPECT_EQ(result.FieldInt("Capacity"), 0);  // null
    EXPECT_EQ(result.FieldText("ChipType"), "");
    EXPECT_TRUE(result.QueryNext());
    EXPECT_EQ(result.FieldText("ChipName"), "GD25Q64");
    EXPECT_EQ(result.FieldInt("Capacity"), 8388608);
    EXPECT_EQ(result.FieldText("Capacity"), "8388608");
    EXPECT_FALSE(result.QueryNext());
    EXPECT_EQ(result.FieldText("ChipName"), "");  // past the end
    EXPECT_THROW(result.FieldText("NoColumn"), DatabaseError);
}

TEST(ChipDatabaseOpening, MissingFileMessage) {
    // The folder and the file name are joined with the system's separator.
    const std::string file = "/opt/tq" + std::string(1, std::filesystem::path::preferred_separator) + "login.dat";
    EXPECT_EQ(MissingDatabaseMessage(0, "/opt/tq"), ">>> 数据库文件 " + file + "不存在！");
    EXPECT_EQ(MissingDatabaseMessage(0, "/opt/tq/"), ">>> 数据库文件 /opt/tq/login.dat不存在！");
    EXPECT_EQ(MissingDatabaseMessage(2, "/opt/tq"), "The chip database " + file + " does not exist.");
    testing::ProgramFolder folder;
    EXPECT_THROW(ChipDatabase::Open(folder / "login.dat"), DatabaseError);  // never created by opening
    EXPECT_FALSE(std::filesystem::exists(folder / "login.dat"));
}

}  // namespace
}  // namespace tq
