// Importing user chips from a CSV file: every faulty row is named with its
// reason, the sound rows still go in.
#include "core/app/user_chips_csv.h"

#include <gtest/gtest.h>

#include "core/chipdb/chip_database.h"
#include "support/program_folder.h"

namespace tq {
namespace {

const std::string kHeader =
    "ChipName,ChipType,ManufName,Note,Capacity,PageSize,BlockSize,OTPSize,OTPAddr,Voltage,ChipID,ChipPara,"
    "ChipPara1,ParaNote,Para1Note,EraseTime,MemoryType,Adder\n";

// A sound row of `name`; `tail` replaces everything from the maker on.
std::string Row(const std::string& name, const std::string& type = "SPI FLASH",
                const std::string& tail = "ACME,,8388608,256,4096,0,,3300,ab4017,3,0,a,b,20000,SPI FLASH,Varden") {
    return name + "," + type + "," + tail + "\n";
}

TEST(UserChipsCsv, ImportNamesEveryRefusedRowAndAddsTheRest) {
    testing::ProgramFolder folder;
    folder.CopyFromBin("login.dat");
    const std::unique_ptr<ChipDatabase> db = ChipDatabase::Open(folder / "login.dat");
    struct Case {
        std::string row;
        std::string reason;  // empty: imported
    };
    const Case cases[] = {
        {Row("NEW1"), ""},
        {"# a comment line is skipped\n", ""},
        {Row("NEW1"), "a chip of this name already exists"},  // twice in the file
        {Row("GD25Q64"), "a chip of this name already exists"},
        {"SHORT,SPI FLASH,ACME\n", "3 fields instead of 18"},
        {Row(""), "no chip name"},
        {Row("   "), "the name is blanks only or holds a control character"},
        {Row("NEW2", "SPI NAND"), "unknown chip type \"SPI NAND\""},
        {Row("NEW3", "SPI FLASH", "ACME,,8M,256,4096,0,,3300,,3,0,a,b,0,SPI FLASH,"), "Capacity is not a decimal number: \"8M\""},
        {Row("NEW4", "SPI FLASH", "ACME,,0,256,4096,0,,3300,,3,0,a,b,0,SPI FLASH,"), "Capacity is outside 1 to 4294967295"},
        {Row("NEW5", "SPI FLASH", "ACME,,4096,256,8,0,,3300,,3,0,a,b,0,SPI FLASH,"), "BlockSize is outside 16 to 65535"},
        {Row("NEW6", "SPI FLASH", "ACME,,4096,256,4096,0,,3300,,300,0,a,b,0,SPI FLASH,"), "ChipPara is outside 0 to 255"},
        {Row("NEW7", "SPI FLASH", "ACME,,4096,256,4096,0,,3300,EF40,3,0,a,b,0,SPI FLASH,"),
         "the chip ID must be six hexadecimal digits"},
        {Row("NEW8", "24 EEPROM", "\"Quote \"\"and\"\", comma\",,256,8,16,0,,5000,,1,0,a,b,0,EEPROM,"), ""},
    };
    std::string text = kHeader;
    for (const Case& c : cases) text += c.row;
    folder.WriteBytes("chips.csv", text);

    const UserChipImport report = ImportUserChips(*db, folder / "chips.csv", 2);
    ASSERT_EQ(report.error, "");
    EXPECT_EQ(report.imported, 2);
    size_t refused = 0;
    for (size_t i = 0; i < std::size(cases); ++i) {
        if (cases[i].reason.empty()) continue;
        ASSERT_LT(refused, report.refused.size());
        const RefusedRow& row = report.refused[refused++];
        EXPECT_EQ(row.line, static_cast<int>(i) + 2) << cases[i].row;
        EXPECT_EQ(row.reason, cases[i].reason) << cases[i].row;
    }
    EXPECT_EQ(refused, report.refused.size());
    EXPECT_EQ(report.refused[1].chipName, "GD25Q64");
    EXPECT_NE(ImportReportText(report, 2).find("\nline 5 (GD25Q64): a chip of this name already exists"),
              std::string::npos);

    // Stored as user chips, the ID in upper case, the quoted maker whole.
    const ChipRow added = db->UserRowQuery("NEW1").at(0);
    EXPECT_EQ(added.Adder, "USER");
    EXPECT_EQ(added.ChipID, "AB4017");
    EXPECT_EQ(db->UserRowQuery("NEW8").at(0).ManufName, "Quote \"and\", comma");

    // A file whose header is not the chip columns adds nothing.
    folder.WriteBytes("bad.csv", "ChipName,ChipType\n" + Row("NEW9"));
    EXPECT_EQ(ImportUserChips(*db, folder / "bad.csv", 2).error, "the header lacks the column ManufName");
    EXPECT_TRUE(db->ChipRowQuery("NEW9").empty());
    EXPECT_EQ(ImportUserChips(*db, folder / "missing.csv", 2).error, "cannot open " + (folder / "missing.csv").string());
}

}  // namespace
}  // namespace tq
