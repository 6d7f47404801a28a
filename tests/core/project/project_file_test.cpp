#include "core/project/project_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "core/base/text_encoding.h"
#include "support/fake_volumes.h"
#include "support/project_fixture.h"
#include "support/expect.h"

namespace tq {
namespace {

// The value of one key in a composed project text, "" when it is missing.
std::string Value(const std::string& text, const std::string& key) {
    const size_t at = text.find("\r\n" + key + "=");
    if (at == std::string::npos) return "";
    const size_t from = at + key.size() + 3;
    return text.substr(from, text.find("\r\n", from) - from);
}

ChipRow SpiRow() {
    ChipRow row;
    row.ChipName = "TEST25";
    row.ChipType = "SPI FLASH";
    row.ManufName = "MAKER";
    row.ChipID = "EF4017";
    row.Capacity = 0x800000;
    row.BlockSize = 4096;
    row.PageSize = 256;
    row.Voltage = 3300;
    row.ChipPara = 0x103;  // only the low byte counts
    return row;
}

struct ProjectFile : ::testing::Test {
    testing::ProgramFolder folder;
    testing::FakeVolumes volumes;
    VirtualClock clock;
    Session session{volumes, clock, folder.path()};
    testing::RecordingMessages messages;
    ProjectPlan plan;

    void SetUp() override {
        session.Views.messages = &messages;
        plan.chipName = "TEST25";
    }
    ComposedProject Compose(const ChipRow& row = SpiRow()) { return ComposeProjectFile(session.Operation, plan, row, 0x1A2B3C4D); }
};

TEST_F(ProjectFile, HoldsEveryKeyInOrderWithItsWidthForADatabaseChip) {
    folder.CopyFromBin("login.dat");
    session.Chip.Database = ChipDatabase::Open(folder / "login.dat");
    plan.chipName = "GD25Q64";
    plan.name = R"(D:\old\abc)";
    session.Chip.PrjInfoOffline.FileLen = 5000;
    session.Chip.PrjInfoOffline.Crc32 = 0x0ABCDEF1;
    session.Chip.PrjInfoOffline.DataFileName = "/data/abc";
    const std::filesystem::path path = ProjectFilePath(session.Operation);
    ASSERT_FALSE(std::filesystem::exists(path.parent_path()));  // the folder is created on the way

    ASSERT_TRUE(WriteProjectFile(session.Operation, messages, plan, path));
    const std::string bytes = folder.ReadBytes("temp/temp.gprj");
    const std::regex expected(
        "PrjID=[0-9A-F]{8}H\r\nPrjName=abc\r\nChipName=GD25Q64\r\nChipID=C84017\r\nChipType=1\r\n"
        "ChipManauf=GIGADEVICE\r\nChipSize=00800000\r\nBlockSize=00001000\r\nPageSize=00000100\r\n"
        "OTPSize=00000000\r\nChipVolt=00000000\r\nChipPara=03\r\nChipPara1=00\r\nFileLen=00001388\r\n"
        "OprMode=01\r\nOprIdCheck=00\r\nOprErase=01\r\nOprWrite=01\r\nOprVerify=01\r\nSnEn=00\r\nSnLen=00\r\n"
        "SnEndian=00\r\nSnAddr=00000000\r\nSnValue=00000000\r\nTimesEn=00\r\nTimesMax=00000000\r\n"
        "Crc32=0ABCDEF1\r\n");
    EXPECT_TRUE(std::regex_match(bytes, expected)) << bytes;
    EXPECT_LE(bytes.size(), 512u);
    // The PrjID is below 2^31.
    EXPECT_LE(bytes[6], '7');

    const Prj_Info_Struct& r = session.Chip.PrjInfoOffline;
    EXPECT_EQ(r.ChipName, "GD25Q64");
    EXPECT_EQ(r.ChipID, 0xC84017u);
    EXPECT_EQ(r.ManufName, "GIGADEVICE");
    EXPECT_EQ(r.Capacity, 8388608u);
    EXPECT_EQ(r.ChipPara, 3);
    EXPECT_EQ(r.OprMode, 1);
    EXPECT_EQ(r.DataFileName, "/data/abc");
    EXPECT_TRUE(messages.errors.empty());
}

TEST_F(ProjectFile, TheNameIsTakenAfterTheLastBackslashAndCutTo32GbkBytes) {
    struct Case {
        std::string typed, written;
    };
    const Case cases[] = {
        {std::string(40, 'n'), std::string(32, 'n')},
        {R"(D:\old\abc)", "abc"},
        {"plain", "plain"},
        {R"(D:\old\)", ""},
        // 17 two-byte characters are 34 GBK bytes: 16 of them stay.
        {"工程工程工程工程工程工程工程工程工", "工程工程工程工程工程工程工程工程"},
        // Byte 32 would split a character: it goes whole.
        {"a工程工程工程工程工程工程工程工程", "a工程工程工程工程工程工程工程工"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        plan.name = c.typed;
        const std::string text = Compose().text;
        EXPECT_EQ(Value(text, "PrjName"), c.written);
        EXPECT_LE(GbkLength(Value(text, "PrjName")), 32u);
    }
}

TEST_F(ProjectFile, ChipTypeAndVoltageFollowTheProjectCodes) {
    struct Case {
        const char* type;
        int64_t voltage;
        const char* chipType;
        const char* chipVolt;
    };
    const Case cases[] = {
        {"SPI FLASH", 1800, "1", "00000001"}, {"SPI FLASH", 3300, "1", "00000000"},
        {"95 EEPROM", 5000, "6", "00000002"}, {"45 EEPROM", 0, "4", "00000000"},
        {"SWD Flash", 3300, "7", "00000000"}, {"SWD ARM", 3300, "0", "00000000"},
        {"NAND", 3000, "0", "00000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type + std::string(" ") + std::to_string(c.voltage));
        ChipRow row = SpiRow();
        row.ChipType = c.type;
        row.Voltage = c.voltage;
        const ComposedProject composed = Compose(row);
        EXPECT_EQ(Value(composed.text, "ChipType"), c.chipType);
        EXPECT_EQ(Value(composed.text, "ChipVolt"), c.chipVolt);
    }
}

TEST_F(ProjectFile, SerialNumbersAndTheCountLimitTakeThePlanOnlyWhenTicked) {
    struct Case {
        const char* name;
        bool sn;
        int bytes, endian;
        const char *addr, *value;
        bool times;
        const char* limit;
        const char *snEn, *snLen, *snEndian, *snAddr, *snValue, *timesEn, *timesMax;
    };
    const Case cases[] = {
        {"off, whatever the dialog shows", false, 2, 1, "1234", "FF", false, "99", "00", "00", "00", "00000000",
         "00000000", "00", "00000000"},
        {"1 byte, big-endian", true, 1, 0, "1f0", "0000000A", true, "100", "01", "01", "00", "000001F0", "0000000A",
         "01", "00000064"},
        {"2 bytes, little-endian", true, 2, 1, "0", "FFFFFFFF", true, "0", "01", "02", "01", "00000000", "FFFFFFFF",
         "01", "00000000"},
        {"another size gives 4", true, -1, 0, "10", "1", false, "x", "01", "04", "00", "00000010", "00000001", "00",
         "00000000"},
        {"a limit beyond 16 bits keeps its low 16 bits", false, 1, 0, "", "", true, "70000", "00", "00", "00",
         "00000000", "00000000", "01", "00001170"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        plan.serialNumbers = c.sn;
        plan.serialBytes = c.bytes;
        plan.serialLittleEndian = c.endian == 1;
        plan.serialAddress = c.addr;
        plan.serialValue = c.value;
        plan.countLimited = c.times;
        plan.countLimit = c.limit;
        const ComposedProject composed = Compose();
        ASSERT_EQ(composed.error, "");
        const std::string& t = composed.text;
        EXPECT_EQ(Value(t, "SnEn"), c.snEn);
        EXPECT_EQ(Value(t, "SnLen"), c.snLen);
        EXPECT_EQ(Value(t, "SnEndian"), c.snEndian);
        EXPECT_EQ(Value(t, "SnAddr"), c.snAddr);
        EXPECT_EQ(Value(t, "SnValue"), c.snValue);
        EXPECT_EQ(Value(t, "TimesEn"), c.timesEn);
        EXPECT_EQ(Value(t, "TimesMax"), c.timesMax);
    }
}

TEST_F(ProjectFile, DownloadMethodAndStepsComeFromThePlan) {
    plan.method = DownloadMethod::Manual;
    plan.idCheck = true;
    plan.verify = false;
    std::string text = Compose().text;
    EXPECT_EQ(Value(text, "OprMode"), "00");
    EXPECT_EQ(Value(text, "OprIdCheck"), "01");
    EXPECT_EQ(Value(text, "OprVerify"), "00");
    plan.method = DownloadMethod::Machine;
    EXPECT_EQ(Value(Compose().text, "OprMode"), "02");
}

TEST_F(ProjectFile, AValueThatIsNotANumberIsNamedAndNothingIsComposed) {
    struct Case {
        const char* name;
        std::function<void(ProjectPlan&, ChipRow&)> spoil;
        std::string error;
    };
    const Case cases[] = {
        {"serial address", [](ProjectPlan& f, ChipRow&) { f.serialNumbers = true; f.serialAddress = "12G4"; },
         "序列号地址不是十六进制数：\"12G4\""},
        {"serial value", [](ProjectPlan& f, ChipRow&) { f.serialNumbers = true; f.serialValue = "123456789"; },
         "序列号数值不是十六进制数：\"123456789\""},
        {"count limit", [](ProjectPlan& f, ChipRow&) { f.countLimited = true; f.countLimit = "7e3"; },
         "限制次数不是十进制数：\"7e3\""},
        {"empty count limit", [](ProjectPlan& f, ChipRow&) { f.countLimited = true; f.countLimit = ""; },
         "限制次数不是十进制数：\"\""},
        {"chip ID", [](ProjectPlan&, ChipRow& r) { r.ChipID = "EF40XY"; }, "芯片ID不是十六进制数：\"EF40XY\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectPlan saved = plan;
        ChipRow row = SpiRow();
        c.spoil(plan, row);
        const ComposedProject composed = Compose(row);
        EXPECT_EQ(composed.error, c.error);
        EXPECT_EQ(composed.text, "");
        plan = saved;
    }
    // A chip without an ID column has ID 0.
    ChipRow noId = SpiRow();
    noId.ChipID = "";
    const ComposedProject composed = Compose(noId);
    EXPECT_EQ(composed.error, "");
    EXPECT_EQ(composed.record.ChipID, 0u);
}

TEST_F(ProjectFile, AFailedWriteLeavesTheEarlierFileAndTheRecordAlone) {
    folder.CopyFromBin("login.dat");
    session.Chip.Database = ChipDatabase::Open(folder / "login.dat");
    plan.chipName = "GD25Q64";
    const std::filesystem::path path = ProjectFilePath(session.Operation);
    ASSERT_TRUE(WriteProjectFile(session.Operation, messages, plan, path));
    const std::string before = folder.ReadBytes("temp/temp.gprj");
    const Prj_Info_Struct record = session.Chip.PrjInfoOffline;

    plan.countLimited = true;
    plan.countLimit = "lots";
    plan.chipName = "W25Q16JV-IQ";
    EXPECT_FALSE(WriteProjectFile(session.Operation, messages, plan, path));
    ASSERT_EQ(messages.errors, std::vector<std::string>{"限制次数不是十进制数：\"lots\""});

    plan.countLimited = false;
    plan.chipName = "NO-SUCH-CHIP";
    EXPECT_FALSE(WriteProjectFile(session.Operation, messages, plan, path));
    EXPECT_EQ(messages.errors.back(), "芯片数据库中没有该芯片：NO-SUCH-CHIP");

    plan.chipName = "";
    EXPECT_FALSE(WriteProjectFile(session.Operation, messages, plan, path));
    EXPECT_EQ(messages.messages, std::vector<std::string>{"请选择芯片名称！"});

    EXPECT_EQ(folder.ReadBytes("temp/temp.gprj"), before);
    EXPECT_EQ(session.Chip.PrjInfoOffline.ChipName, record.ChipName);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "temp"), {}), 1);  // no temporary left
}

TEST_F(ProjectFile, AFileTheProgrammerWouldGetCutShortIsNotWritten) {
    folder.CopyFromBin("login.dat");
    session.Chip.Database = ChipDatabase::Open(folder / "login.dat");
    const ChipRow algorithm = session.Chip.Database->ChipRowQuery("GD25Q64").front();
    plan.chipName = std::string(80, 'L');
    session.Chip.Database->UserChipInsert(algorithm, plan.chipName, std::string(60, 'M'), "C84017");
    EXPECT_FALSE(WriteProjectFile(session.Operation, messages, plan, ProjectFilePath(session.Operation)));
    ASSERT_EQ(messages.errors.size(), 1u);
    EXPECT_EQ(messages.errors[0].rfind("工程文件超过512字节：", 0), 0u) << messages.errors[0];
    EXPECT_FALSE(std::filesystem::exists(ProjectFilePath(session.Operation)));

    // Shorter names fit.
    plan.chipName = std::string(40, 'S');
    session.Chip.Database->UserChipInsert(algorithm, plan.chipName, std::string(40, 'M'), "C84017");
    EXPECT_TRUE(WriteProjectFile(session.Operation, messages, plan, ProjectFilePath(session.Operation)));
    EXPECT_LE(folder.ReadBytes("temp/temp.gprj").size(), kProjectFileLimit);
}

TEST_F(ProjectFile, TextsGoToDiskAsGbk) {
    folder.CopyFromBin("login.dat");
    session.Chip.Database = ChipDatabase::Open(folder / "login.dat");
    plan.chipName = "GD25Q64";
    plan.name = "固件";
    ASSERT_TRUE(WriteProjectFile(session.Operation, messages, plan, ProjectFilePath(session.Operation)));
    const std::string bytes = folder.ReadBytes("temp/temp.gprj");
    EXPECT_SAYS(bytes, "\r\nPrjName=\xB9\xCC\xBC\xFE\r\n");
}

}  // namespace
}  // namespace tq
