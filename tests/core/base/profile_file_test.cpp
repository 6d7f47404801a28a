#include "core/base/profile_file.h"

#include <gtest/gtest.h>

#include "core/base/text_encoding.h"
#include "support/program_folder.h"

namespace tq {
namespace {

using testing::ProgramFolder;

TEST(ProfileFile, ReadsWithDefaultsAndWithoutRegardToCase) {
    ProgramFolder folder;
    folder.WriteGbk("a.ini",
                    "; a comment line\n"
                    "[Log]\n"
                    "  LogChipErase = 擦除芯片  \n"
                    "Empty=\n"
                    "Count=42\n"
                    "Junk=abc\n"
                    "Partly=12abc\n"
                    "Negative= -5\n"
                    "[log]\n"
                    "Later=the second [Log] section is not consulted\n");
    const ProfileFile file = ProfileFile::Load(folder / "a.ini");
    EXPECT_EQ(file.ReadString("LOG", "logchiperase", "x", 79), "擦除芯片");
    EXPECT_EQ(file.ReadString("Log", "Empty", "default", 79), "");
    EXPECT_EQ(file.ReadString("Log", "Missing", "default", 79), "default");
    EXPECT_EQ(file.ReadString("Nowhere", "Count", "default", 79), "default");
    EXPECT_EQ(file.ReadString("Log", "Later", "default", 79), "default");
    EXPECT_EQ(file.ReadInt("Log", "Count", 7), 42);
    EXPECT_EQ(file.ReadInt("Log", "Junk", 7), 0);
    EXPECT_EQ(file.ReadInt("Log", "Empty", 7), 0);
    EXPECT_EQ(file.ReadInt("Log", "Partly", 7), 12);
    EXPECT_EQ(file.ReadInt("Log", "Negative", 7), -5);
    EXPECT_EQ(file.ReadInt("Log", "Missing", 7), 7);

    const ProfileFile missing = ProfileFile::Load(folder / "none.ini");
    EXPECT_EQ(missing.ReadString("Log", "LogChipErase", "擦除芯片", 79), "擦除芯片");
    EXPECT_EQ(missing.ReadInt("Log", "Count", 7), 7);
    EXPECT_TRUE(missing.ReadError().empty());
}

TEST(ProfileFile, CutsLongValuesInGbkBytes) {
    ProgramFolder folder;
    std::string forty;
    for (int i = 0; i < 40; ++i) forty += "芯";  // 80 GBK bytes
    folder.WriteGbk("a.ini", "[S]\nAscii=" + std::string(100, 'a') + "\nWide=" + forty + "\n");
    const ProfileFile file = ProfileFile::Load(folder / "a.ini");
    EXPECT_EQ(file.ReadString("S", "Ascii", "", 79), std::string(79, 'a'));
    EXPECT_EQ(file.ReadString("S", "Ascii", "", 119), std::string(100, 'a'));
    EXPECT_EQ(file.ReadString("S", "Wide", "", 79), forty.substr(0, 39 * 3));  // 39 characters, 78 bytes
    EXPECT_EQ(file.ReadString("S", "Missing", "TQM7300B-LONG", 9), "TQM7300B-");
    // Bytes that are no GBK come back as replacement characters, still within the limit.
    folder.WriteBytes("b.ini", "[S]\nBad=1\x0B\xEF\x12[e\n");
    const std::string bad = ProfileFile::Load(folder / "b.ini").ReadString("S", "Bad", "", 7);
    EXPECT_LE(Utf8ToGbk(bad).size(), 7u) << bad;
    EXPECT_EQ(bad.substr(0, 2), "1\x0B");
}

TEST(ProfileFile, ReadsTheFileOnce) {
    ProgramFolder folder;
    folder.WriteGbk("a.ini", "[S]\nKey=first\n");
    const ProfileFile file = ProfileFile::Load(folder / "a.ini");
    folder.WriteGbk("a.ini", "[S]\nKey=second\n");
    EXPECT_EQ(file.ReadString("S", "Key", "", 79), "first");
}

TEST(ProfileFile, WritingKeepsEveryOtherLine) {
    ProgramFolder folder;
    const std::string original =
        "; settings\r\n"
        "[DebugOption]\r\n"
        "comDebugDly=5000\r\n"
        "[SystemOption]\r\n"
        "language=2\r\n"
        "Unknown=kept as it was\r\n"
        "\r\n"
        "[Other]\r\n"
        "X=\xD6\xD0\r\n";
    folder.WriteBytes("dev.ini", original);
    ProfileFile file = ProfileFile::Load(folder / "dev.ini");
    file.WriteString("SystemOption", "Language", " 1");
    file.WriteString("systemoption", "File", "D:\\固件.bin");
    file.WriteString("PrjInfo", "ChipName", "24C02");
    file.WriteString("Other", "Broken", "one\r\ntwo");
    ASSERT_EQ(file.Save(), "");
    EXPECT_EQ(folder.ReadBytes("dev.ini"),
              "; settings\r\n"
              "[DebugOption]\r\n"
              "comDebugDly=5000\r\n"
              "[SystemOption]\r\n"
              "Language= 1\r\n"
              "Unknown=kept as it was\r\n"
              "File=D:\\\xB9\xCC\xBC\xFE.bin\r\n"
              "\r\n"
              "[Other]\r\n"
              "X=\xD6\xD0\r\n"
              "Broken=one  two\r\n"
              "[PrjInfo]\r\n"
              "ChipName=24C02\r\n");
    const ProfileFile again = ProfileFile::Load(folder / "dev.ini");
    EXPECT_EQ(again.ReadInt("SystemOption", "Language", 0), 1);
    EXPECT_EQ(again.ReadString("SystemOption", "File", "", 79), "D:\\固件.bin");
}

TEST(ProfileFile, CreatesAMissingFile) {
    ProgramFolder folder;
    ProfileFile file = ProfileFile::Load(folder / "new.ini");
    file.WriteString("A", "K", "v");
    ASSERT_EQ(file.Save(), "");
    EXPECT_EQ(folder.ReadBytes("new.ini"), "[A]\r\nK=v\r\n");
}

TEST(ProfileFile, AFailedSaveLeavesTheFileAsItWas) {
    ProgramFolder folder;
    folder.WriteBytes("dev.ini", "[A]\r\nK=old\r\n");
    // The temporary file cannot be created where a folder of its name stands.
    std::filesystem::create_directory(folder / ("dev.ini.tmp" + std::to_string(::getpid())));
    ProfileFile file = ProfileFile::Load(folder / "dev.ini");
    file.WriteString("A", "K", "new");
    const std::string failure = file.Save();
    EXPECT_NE(failure.find("dev.ini.tmp"), std::string::npos) << failure;
    EXPECT_EQ(folder.ReadBytes("dev.ini"), "[A]\r\nK=old\r\n");

    // A folder standing where the file should go cannot be replaced.
    std::filesystem::create_directory(folder / "dir.ini");
    ProfileFile other = ProfileFile::Load(folder / "dir.ini");
    EXPECT_FALSE(other.ReadError().empty());
    other.WriteString("A", "K", "v");
    EXPECT_NE(other.Save(), "");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "dir.ini"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 3);  // nothing left over
}

}  // namespace
}  // namespace tq
