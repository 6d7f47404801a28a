// The reader of the chip list, the database built from it, and a self-check
// of the shipped list data/chips.csv.
#include "core/chipdb/chip_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
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

// What data/CHIPS.md prescribes for a row: block size, ChipPara, ChipPara1
// and erase time follow from its type, size and family.
struct Parameters {
    int64_t BlockSize, ChipPara, ChipPara1, EraseTime;
    bool operator==(const Parameters&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Parameters& p) {
        return out << "block " << p.BlockSize << ", ChipPara " << p.ChipPara << ", ChipPara1 " << p.ChipPara1
                   << ", erase " << p.EraseTime << " ms";
    }
};

// PCT parts are SST silicon under another order code and take the same flags.
int64_t SpiFlags(const std::string& name) {
    const auto starts = [&](std::string_view prefix) { return name.starts_with(prefix); };
    const bool sst25 = starts("SST25") || starts("PCT25");
    const bool aai = ((starts("SST25VF0") || starts("PCT25VF0")) && name.back() == 'B') || starts("SST25WF");
    const bool protectedAtPowerUp = sst25 || starts("AT25DF") || starts("AT26DF") || starts("AT25DL");
    return (aai ? 0x01 : 0) | (starts("SST26") || starts("PCT26") ? 0x02 : 0) | (protectedAtPowerUp ? 0x04 : 0);
}

Parameters ExpectedParameters(const ChipRow& row) {
    const int64_t size = row.Capacity;
    const int64_t block = std::max<int64_t>(row.PageSize, 16);
    const std::string& type = row.ChipType;
    if (type == "SPI FLASH") {
        const int64_t estimate = std::clamp<int64_t>(size * 2500 / (1 << 20), 1000, 190000);  // 312.5 ms per Mbit
        return {4096, size > (16 << 20) ? 4 : 3, SpiFlags(row.ChipName), row.ManufName == "SST" || row.ManufName == "PCT" ? 50 : estimate};
    }
    if (type == "45 EEPROM") {
        const int64_t nominalMbit = size / 33 * 32 * 8 >> 20;
        const int64_t pageBits = row.PageSize == 264 ? 9 : row.PageSize == 528 ? 10 : row.PageSize == 1056 ? 11 : -1;
        return {row.PageSize, 3, pageBits, std::max<int64_t>(2000, 1000 * nominalMbit)};
    }
    if (type == "24 EEPROM") {
        const std::map<int64_t, int64_t> addressBitsInDevice = {
            {512, 1}, {1024, 2}, {2048, 3}, {131072, 1}, {262144, 2}};
        const auto bits = addressBitsInDevice.find(size);
        return {block, size <= 2048 ? 1 : 2, bits == addressBitsInDevice.end() ? 0 : bits->second, 0};
    }
    if (type == "25 EEPROM" || type == "95 EEPROM") {
        return {block, size <= 512 ? 1 : size <= 65536 ? 2 : 3, size == 512 ? 1 : 0, 0};
    }
    if (type == "93 EEPROM") return {16, size <= 128 ? 7 : size <= 512 ? 9 : 11, 8, 0};
    return {1024, row.ChipPara, row.ChipPara1, 40};  // SWD ARM: core and controller are per target
}

// The capacity text the search grid shows: the nominal size in bits (a
// DataFlash without its extra bytes per page).
std::string CapacityText(const ChipRow& row) {
    const int64_t bytes = row.ChipType == "45 EEPROM" ? row.Capacity / 33 * 32 : row.Capacity;
    const int64_t bits = bytes * 8;
    for (const auto& [unit, scale] : {std::pair{"Gbit", int64_t{1} << 30}, {"Mbit", 1 << 20}, {"Kbit", 1 << 10}}) {
        if (bits >= scale) return std::to_string(bits / scale) + unit;
    }
    return std::to_string(bits) + "bit";
}

// The capacity a flash ID's last byte names, or 0 where the maker codes it
// otherwise. Most makers give 2^n bytes for n = 0x10..0x1F, go on at 64 MiB
// with 0x20..0x22, and Macronix and ESMT code low-voltage parts as 0x30 + n - 0x10.
// Atmel, SST, Spansion, Sanyo, Intel, AMIC and makers with a continuation
// code (7F..) use codes of their own.
int64_t CapacityNamedById(const std::string& id) {
    static const std::set<std::string> ownCodes = {"1F", "BF", "01", "62", "89", "37", "7F"};
    if (id.size() != 6 || ownCodes.count(id.substr(0, 2))) return 0;
    const int density = std::stoi(id.substr(4), nullptr, 16);
    if (density >= 0x10 && density <= 0x1F) return int64_t{1} << density;
    if (density >= 0x20 && density <= 0x22) return int64_t{64} << 20 << (density - 0x20);
    if (density >= 0x30 && density <= 0x3C) return int64_t{1} << (density - 0x20);
    return 0;
}

// A source names a datasheet or one of the public chip tables the list draws on.
bool NamesAKnownSource(const std::string& source) {
    static const char* const kinds[] = {"datasheet", "flashrom",  "UsbAsp-flash", "IMSProg", "ufprog",
                                        "SNANDer",   "u-boot",    "Linux",        "nuttx",   "BusPirate"};
    return std::any_of(std::begin(kinds), std::end(kinds),
                       [&](const char* kind) { return source.find(kind) != std::string::npos; });
}

// Source of each shipped row, from data/chip-sources.csv.
std::map<std::string, std::string> ReadSources(const std::filesystem::path& csv) {
    std::ifstream file(csv);
    std::map<std::string, std::string> sources;
    std::string line;
    std::getline(file, line);  // header
    while (std::getline(file, line)) {
        const size_t comma = line.find(',');
        const std::string name = line.substr(0, comma);
        EXPECT_TRUE(sources.emplace(name, comma == std::string::npos ? "" : line.substr(comma + 1)).second)
            << "source named twice: " << name;
    }
    return sources;
}

// The shipped chip list: every rule the program and the programmer rely on.
TEST(ChipTable, ShippedListIsConsistent) {
    const std::filesystem::path data = std::filesystem::path(TQ_SOURCE_DIR) / "data";
    if (!std::filesystem::exists(data / "chips.csv")) GTEST_SKIP() << data << " is not in this checkout";
    const ChipTable table = ReadChipTable(data / "chips.csv");
    std::map<std::string, std::string> sources = ReadSources(data / "chip-sources.csv");
    EXPECT_GE(table.rows.size(), 1500u);

    // Supply voltages each type may carry.
    const std::map<std::string, std::set<int64_t>> voltages = {
        {"SPI FLASH", {1800, 3300}}, {"45 EEPROM", {1800, 3300}}, {"24 EEPROM", {5000}}, {"25 EEPROM", {5000}},
        {"93 EEPROM", {5000}},       {"95 EEPROM", {5000}},       {"SWD ARM", {3300}}};
    std::set<std::string> names;
    std::map<std::string, int> perType;
    std::map<std::string, std::vector<const ChipRow*>> byId;
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
        EXPECT_TRUE(voltages.count(row.ChipType) && voltages.at(row.ChipType).count(row.Voltage))
            << name << ": " << row.Voltage << " mV for a " << row.ChipType;
        EXPECT_EQ((Parameters{row.BlockSize, row.ChipPara, row.ChipPara1, row.EraseTime}), ExpectedParameters(row))
            << name;
        EXPECT_EQ(row.Adder, "Varden") << name;
        EXPECT_TRUE(NamesAKnownSource(sources[name])) << name << " has no datasheet or chip table as source";
        if (row.ChipType != "SWD ARM") EXPECT_EQ(row.Note, CapacityText(row)) << name;
        // (W25M parts stack two dies behind one die's ID)
        if (row.ChipType == "SPI FLASH" && CapacityNamedById(row.ChipID) != 0 && !name.starts_with("W25M")) {
            EXPECT_EQ(row.Capacity, CapacityNamedById(row.ChipID)) << name << ": capacity against its ID " << row.ChipID;
        }
        sources.erase(name);
        const bool detectable = FamilyNamed(row.ChipType).detects;
        if (detectable || !row.ChipID.empty()) {
            EXPECT_TRUE(IsWellFormedChipId(row.ChipID)) << name << ": ID \"" << row.ChipID << "\"";
            byId[row.ChipID].push_back(&row);
        }
    }
    for (const auto& [name, source] : sources) ADD_FAILURE() << "source for a chip not in the list: " << name;
    for (const ChipFamily& family : ChipFamilies()) {
        EXPECT_GT(perType[std::string(family.name)], 0) << "no chip of type " << family.name;
    }

    // IDs that detection cannot tell apart must be listed as look-alikes, the
    // list names only IDs that really are shared, and look-alikes agree on
    // size and supply so that picking any of them is safe.
    for (const auto& [id, chips] : byId) {
        const bool listed = table.lookAlikes.count(id) > 0;
        if (chips.size() > 1) {
            EXPECT_TRUE(listed) << id << " is shared by " << chips.size() << " chips";
        } else {
            EXPECT_FALSE(listed) << id << " is listed as a look-alike but unique";
        }
        for (const ChipRow* chip : chips) {
            EXPECT_TRUE(chip->Capacity == chips[0]->Capacity && chip->Voltage == chips[0]->Voltage)
                << chip->ChipName << " and " << chips[0]->ChipName << " share " << id
                << " but differ in size or supply";
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
