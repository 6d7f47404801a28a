#include "core/chipdb/chip_database_builder.h"

#include <stdexcept>
#include <system_error>

namespace tq {

bool PlatformEnables(std::string_view platform, std::string_view type) {
    const ChipFamily& family = FamilyNamed(type);
    if (family.type == ChipType::None) return false;
    if (platform == "TQM7") return true;
    if (platform == "M500") return family.onM500;
    return false;
}

void CreateChipTables(ChipDatabase& db) {
    // Text comparisons ignore case, as lookups by name always have.
    db.ExecScript(
        "CREATE TABLE [ChipName] (ChipName TEXT COLLATE NOCASE, ChipType TEXT COLLATE NOCASE, "
        "ManufName TEXT COLLATE NOCASE, Note TEXT, Capacity INTEGER, PageSize INTEGER, BlockSize INTEGER, "
        "OTPSize INTEGER, OTPAddr TEXT, Voltage INTEGER, ChipID TEXT COLLATE NOCASE, ChipPara INTEGER, "
        "ChipPara1 INTEGER, ParaNote TEXT, Para1Note TEXT, EraseTime INTEGER, MemoryType TEXT COLLATE NOCASE, "
        "Adder TEXT COLLATE NOCASE);"
        "CREATE INDEX ChipNameByName ON [ChipName] (ChipName);"
        "CREATE INDEX ChipNameByType ON [ChipName] (ChipType, ManufName);"
        "CREATE INDEX ChipNameById ON [ChipName] (ChipID);"
        "CREATE TABLE [ChipType] (TypeName TEXT, TQM7 TEXT, M500 TEXT);"
        "CREATE TABLE [DevInfo] (Version TEXT);");
}

void AddChipRow(ChipDatabase& db, const ChipRow& row) {
    const auto number = [](int64_t value) { return std::to_string(value); };
    db.QueryExec(
        "INSERT INTO [ChipName] (ChipName,ChipType,ManufName,Note,Capacity,PageSize,BlockSize,OTPSize,OTPAddr,"
        "Voltage,ChipID,ChipPara,ChipPara1,ParaNote,Para1Note,EraseTime,MemoryType,Adder) "
        "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
        {row.ChipName, row.ChipType, row.ManufName, row.Note, number(row.Capacity), number(row.PageSize),
         number(row.BlockSize), number(row.OTPSize), row.OTPAddr, number(row.Voltage), row.ChipID,
         number(row.ChipPara), number(row.ChipPara1), row.ParaNote, row.Para1Note, number(row.EraseTime),
         row.MemoryType, row.Adder});
}

void AddChipTypes(ChipDatabase& db) {
    const auto enable = [](std::string_view platform, std::string_view type) {
        return std::string(PlatformEnables(platform, type) ? "Enable" : "");
    };
    for (const ChipFamily& family : ChipFamilies())
        db.QueryExec("INSERT INTO [ChipType] (TypeName, TQM7, M500) VALUES (?, ?, ?)",
                     {std::string(family.name), enable("TQM7", family.name), enable("M500", family.name)});
}

void AddDbVersion(ChipDatabase& db, std::string_view version) {
    db.QueryExec("INSERT INTO [DevInfo] (Version) VALUES (?)", {std::string(version)});
}

void BuildChipDatabase(const std::filesystem::path& path, const ChipTable& table, std::string_view version) {
    std::filesystem::path temp = path;
    temp += ".building";
    std::error_code ec;
    std::filesystem::remove(temp, ec);
    try {
        {
            std::unique_ptr<ChipDatabase> db = ChipDatabase::Open(temp, true);
            CreateChipTables(*db);
            db->ExecScript("BEGIN");
            for (const ChipRow& row : table.rows) AddChipRow(*db, row);
            AddChipTypes(*db);
            AddDbVersion(*db, version);
            db->ExecScript("COMMIT");
        }
        std::filesystem::rename(temp, path);
    } catch (...) {
        std::filesystem::remove(temp, ec);
        throw;
    }
}

}  // namespace tq
