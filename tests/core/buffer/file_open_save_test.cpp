#include "core/buffer/file_open_save.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>

#include "core/buffer/buffer_tools.h"
#include "core/buffer/hex_view_model.h"
#include "support/buffer_session.h"
#include "support/expect.h"
#include "support/hex_records.h"

namespace tq {
namespace {

using testing::Counting;
using testing::ReadBytes;

struct FileFixture : ::testing::Test {
    testing::BufferSession t;
    std::filesystem::path data = t.folder / "data";

    void SetUp() override {
        std::filesystem::create_directories(data);
        t.SelectChip(256);
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        return t.folder.Write("data/" + name, bytes).string();
    }
    std::string Write(const std::string& name, const std::string& text) {
        return t.folder.Write("data/" + name, text).string();
    }
    void Open(const std::string& path) {
        t.fileDialog.answers.push_back(path);
        ChooseAndOpenFile(t.session.Buffer, t.caption, BuiltInTexts());
    }
    void Save(const std::string& path) {
        t.fileDialog.answers.push_back(path);
        SaveBufferAs(t.session.Buffer);
    }
};

TEST(FileExtension, TakesTheLowerCasedTextAfterTheLastDot) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\in\\IMAGE.HEX", "hex"},   {"image.Hex", "hex"},        {"image.hex.bin", "bin"},
        {"C:\\my.dir\\image", "dir\\image"}, {"/a.b/image", "b/image"}, {"noextension_at_all", "noextensio"},
        {"x.ABCDEFGHIJKLMN", "abcdefghij"}, {"image.", ""},
    };
    for (const auto& [path, extension] : cases) EXPECT_EQ(FileExtension(path), extension) << path;
}

TEST(SavePath, AppendsBinOnlyWhenThePathHasNoDotAtAll) {
    EXPECT_EQ(SavePath("C:\\out\\image"), "C:\\out\\image.bin");
    EXPECT_EQ(SavePath("C:\\my.dir\\image"), "C:\\my.dir\\image");
    EXPECT_EQ(SavePath("/out/image.rom"), "/out/image.rom");
}

TEST_F(FileFixture, OpeningA100ByteFileOnA256ByteChip) {
    t.session.Chip.PrjInfo.RamStartAddr = 0x1000;
    t.session.Buffer.RamFile.ViewTop = 0x20;
    const std::vector<uint8_t> bytes = Counting(0x30, 100);
    const std::string path = Write("image.bin", bytes);
    Open(path);

    ASSERT_TRUE(t.messages.errors.empty());
    const auto& ram = t.session.Buffer.RamFile;
    EXPECT_EQ(ram.DataLen, 100u);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), ram.Data.begin()));
    EXPECT_EQ(std::vector<uint8_t>(ram.Data.begin() + 100, ram.Data.end()), std::vector<uint8_t>(156, 0xFF));
    const uint32_t sum = CheckSum32(0, bytes.data(), bytes.size());
    EXPECT_EQ(t.CheckSumPanel(), CheckSumText(sum));
    EXPECT_EQ(ram.FileCheckSum, sum);
    EXPECT_EQ(ram.FileName, path);
    EXPECT_EQ(ram.FileOpened, 1);
    EXPECT_EQ(t.session.Chip.PrjInfo.RamStartAddr, 0u);
    EXPECT_EQ(ram.ViewTop, 0u);
    EXPECT_EQ(t.hexView.scrollMaximum, 100u);
    EXPECT_EQ(t.hexView.scrollPosition, 0u);
    ASSERT_EQ(t.caption.captions.size(), 1u);
    EXPECT_EQ(t.caption.captions[0], "Programmer  V1    " + path);
    EXPECT_EQ(t.session.Buffer.OpenDialog.FileName, path);

    const HexPage page = BuildHexPage(t.session.Buffer);
    EXPECT_EQ(page.hexLines.size(), 7u);
    EXPECT_EQ(page.hexLines.back().size(), 4u * 3);

    ASSERT_EQ(t.fileDialog.opens.size(), 1u);
    EXPECT_EQ(t.fileDialog.opens[0].title, "选择打开的文件");
    ASSERT_EQ(t.fileDialog.opens[0].filters.size(), 7u);
    EXPECT_EQ(t.fileDialog.opens[0].filters[0].description, "所有支持的文件");  // every format's files first
    EXPECT_EQ(t.fileDialog.opens[0].filters[0].pattern, "*.bin *.cap *.hex *.rom *.srec *.s19 *.s28 *.s37");
    EXPECT_EQ(t.fileDialog.opens[0].filters[4].description, "Rom File");
    EXPECT_EQ(t.fileDialog.opens[0].filters[4].pattern, "*.rom");
    EXPECT_EQ(t.fileDialog.opens[0].filters[5].pattern, "*.srec *.s19 *.s28 *.s37");
}

TEST_F(FileFixture, AFileLongerThanTheChipIsCutAfterAWarningThatSaysWhatIsLeftOut) {
    const std::vector<uint8_t> bytes = Counting(0, 300);
    const std::string path = Write("big.bin", bytes);
    const std::pair<int, const char*> captions[] = {
        {0, "（仅前 256 字节，共 300 字节）"}, {1, "（僅前 256 位元組，共 300 位元組）"}, {2, " (first 256 of 300 bytes)"}};
    for (const auto& [language, part] : captions) {
        t.session.Texts.Language = language;
        t.messages.warnings.clear();
        Open(path);
        ASSERT_EQ(t.messages.warnings.size(), 1u);
        for (const char* fact : {"300", "256", "44", "0x100"}) EXPECT_SAYS(t.messages.warnings[0], fact);
        EXPECT_EQ(t.caption.captions.back(), "Programmer  V1    " + path + part);
        EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 256u);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 256, t.session.Buffer.RamFile.Data.begin()));
    }
    EXPECT_EQ(t.messages.warnings[0], path + " holds 300 bytes, but the chip holds only 256 bytes from start address "
                                             "0x0: the 44 bytes from file address 0x100 on are left out of the buffer.");
    // A file that fits names itself alone.
    const std::string small = Write("small.bin", Counting(0, 16));
    Open(small);
    EXPECT_EQ(t.caption.captions.back(), "Programmer  V1    " + small);
}

TEST_F(FileFixture, HexAndCapFilesAreReadInMemoryWithoutScratchFiles) {
    const std::string hexText =
        testing::DataRecord(0, Counting(0x40, 16)) + testing::DataRecord(16, Counting(0x50, 4)) + testing::EndRecord();
    std::vector<uint8_t> cap(2048, 0xEE);
    const std::vector<uint8_t> capImage = Counting(0x90, 10);
    cap.insert(cap.end(), capImage.begin(), capImage.end());

    struct Case {
        std::string path;
        uint32_t dataLen;
        uint8_t firstByte;
    };
    const Case cases[] = {
        {Write("IMAGE.HEX", hexText), 20, 0x40},
        {Write("image.Hex", hexText), 20, 0x40},
        {Write("image.hex.bin", hexText), static_cast<uint32_t>(hexText.size()), ':'},
        {Write("dump.CAP", cap), 10, 0x90},
        {Write("dump.rom", capImage), 10, 0x90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Open(c.path);
        ASSERT_TRUE(t.messages.errors.empty()) << t.messages.errors[0];
        EXPECT_EQ(t.session.Buffer.RamFile.FileName, c.path);
        EXPECT_EQ(t.session.Buffer.RamFile.DataLen, c.dataLen);
        EXPECT_EQ(t.session.Buffer.RamFile.Data[0], c.firstByte);
        EXPECT_EQ(t.caption.captions.back(), "Programmer  V1    " + c.path);
        EXPECT_EQ(t.session.Buffer.OpenDialog.FileName, c.path);
    }
    EXPECT_FALSE(std::filesystem::exists(t.folder / "temp"));  // nothing was written on the way
}

TEST_F(FileFixture, AHexFileWithoutItsEndRecordLoadsAfterAWarningThatItMayBeCutShort) {
    t.session.Texts.Language = 2;
    const std::string path = Write("noend.hex", std::string(":0400000001020304F2\n"));
    Open(path);
    ASSERT_TRUE(t.messages.errors.empty()) << t.messages.errors[0];
    EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 4u);
    EXPECT_EQ(t.session.Buffer.RamFile.Data[3], 4);
    ASSERT_EQ(t.messages.warnings.size(), 1u);
    EXPECT_EQ(t.messages.warnings[0], path + "\nno end record (01): the file may be cut short; the data it holds was loaded");
}

TEST_F(FileFixture, AFileThatYieldsNoDataIsRefusedAndChangesNothing) {
    const struct {
        const char* name;
        std::string bytes;
        const char* why;  // part of the error: the conversion's own warning, if any
    } cases[] = {
        {"empty.bin", "", "The file holds no data: "},
        {"short.cap", std::string(100, '\x11'), "The file holds no data: "},
        {"noend.hex", ":020000040800F2\n", "The file holds no data: "},
        {"text.hex", "hello\n:00000001FF\n", "The file holds no data: "},
    };
    t.session.Texts.Language = 2;
    const std::vector<uint8_t> before = t.session.Buffer.RamFile.Data;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        t.messages.errors.clear();
        const std::string path = Write(c.name, std::vector<uint8_t>(c.bytes.begin(), c.bytes.end()));
        Open(path);
        ASSERT_EQ(t.messages.errors.size(), 1u);
        EXPECT_EQ(t.messages.errors[0].rfind(c.why + path, 0), 0u) << t.messages.errors[0];
        EXPECT_EQ(t.session.Buffer.RamFile.Data, before);
        EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 256u);
        EXPECT_TRUE(t.caption.captions.empty());
    }
}

TEST_F(FileFixture, CancelLeavesTheBufferAndPointsTheDialogAtTheTempFolder) {
    const std::vector<uint8_t> before = t.session.Buffer.RamFile.Data;
    ChooseAndOpenFile(t.session.Buffer, t.caption, BuiltInTexts());
    EXPECT_EQ(t.session.Buffer.RamFile.Data, before);
    EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 256u);
    EXPECT_TRUE(t.caption.captions.empty());
    EXPECT_EQ(t.session.Buffer.OpenDialog.InitialFolder, (t.folder / "temp" / "").string());
    EXPECT_EQ(t.session.Buffer.OpenDialog.FileName, (t.folder / "temp" / "test.bin").string());

    ChooseAndOpenFile(t.session.Buffer, t.caption, BuiltInTexts());
    ASSERT_EQ(t.fileDialog.opens.size(), 2u);
    EXPECT_EQ(t.fileDialog.opens[1].initialName, (t.folder / "temp" / "test.bin").string());
}

TEST_F(FileFixture, AFileThatCannotBeReadIsReportedAndChangesNothing) {
    // A good load first, so there is state that must survive.
    const std::string good = Write("good.bin", Counting(1, 50));
    Open(good);
    t.session.Chip.PrjInfo.RamStartAddr = 0x4000;
    const std::vector<uint8_t> buffer = t.session.Buffer.RamFile.Data;
    const std::string panel = t.CheckSumPanel();
    const size_t captions = t.caption.captions.size();

    std::filesystem::create_directories(data / "folder.bin");
    const std::string hexFile = Write("image.hex", testing::EndRecord());
    struct Case {
        std::string path;
        std::string named;  // the path the message must name
    };
    const Case cases[] = {
        {(data / "missing.bin").string(), (data / "missing.bin").string()},
        {(data / "folder.bin").string(), (data / "folder.bin").string()},
        {hexFile, hexFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        t.messages.errors.clear();
        Open(c.path);
        ASSERT_EQ(t.messages.errors.size(), 1u);
        EXPECT_NE(t.messages.errors[0].find(c.named), std::string::npos) << t.messages.errors[0];
        EXPECT_EQ(t.session.Buffer.RamFile.Data, buffer);
        EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 50u);
        EXPECT_EQ(t.session.Buffer.RamFile.FileName, good);
        EXPECT_EQ(t.session.Chip.PrjInfo.RamStartAddr, 0x4000u);
        EXPECT_EQ(t.CheckSumPanel(), panel);
        EXPECT_EQ(t.caption.captions.size(), captions);
        EXPECT_EQ(t.session.Buffer.OpenDialog.FileName, good);
    }

    // A HEX file that cannot be opened fails in the conversion and is named too.
    t.messages.errors.clear();
    Open((data / "missing.hex").string());
    ASSERT_EQ(t.messages.errors.size(), 1u);
    EXPECT_NE(t.messages.errors[0].find((data / "missing.hex").string()), std::string::npos);
    EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 50u);
}

TEST_F(FileFixture, SavingWritesDataLenBytesAndAppendsBinWithoutADot) {
    Save((data / "image").string());
    ASSERT_TRUE(t.messages.errors.empty());
    EXPECT_EQ(ReadBytes(data / "image.bin"), std::vector<uint8_t>(256, 0xFF));
    ASSERT_EQ(t.fileDialog.saves.size(), 1u);
    EXPECT_EQ(t.fileDialog.saves[0].title, "保存缓存区");
    ASSERT_EQ(t.fileDialog.saves[0].filters.size(), 4u);  // binary first: the default
    EXPECT_EQ(t.fileDialog.saves[0].filters[0].pattern, "*.bin");
    EXPECT_EQ(t.fileDialog.saves[0].filters[1].pattern, "*.hex");
    EXPECT_EQ(t.fileDialog.saves[0].filters[2].pattern, "*.srec *.s19 *.s28 *.s37");
    EXPECT_EQ(t.fileDialog.saves[0].filters[3].pattern, "*.*");

    const std::vector<uint8_t> bytes = Counting(7, 100);
    Open(Write("hundred.bin", bytes));
    std::filesystem::create_directories(data / "my.dir");
    Save((data / "my.dir" / "image").string());  // the folder's dot: no extension added
    EXPECT_EQ(ReadBytes(data / "my.dir" / "image"), bytes);
    Save((data / "image.bin").string());  // an existing file is replaced
    EXPECT_EQ(ReadBytes(data / "image.bin"), bytes);
    EXPECT_FALSE(std::filesystem::exists(data / "image.bin.tmp"));

    // Nothing is saved on cancel.
    SaveBufferAs(t.session.Buffer);
    EXPECT_TRUE(t.messages.errors.empty());
}

TEST_F(FileFixture, ASaveThatFailsIsReportedAndLeavesTheOldFileWhole) {
    const std::vector<uint8_t> old = Counting(0xA0, 40);
    const std::string target = Write("kept.bin", old);
    // The temporary file (named after the process) cannot be created.
    std::filesystem::create_directories(data / ("kept.bin.tmp" + std::to_string(::getpid())));
    std::filesystem::create_directories(data / "isdir.bin");
    struct Case {
        std::filesystem::path path;
    };
    const Case cases[] = {{target}, {data / "no" / "such" / "x.bin"}, {data / "isdir.bin"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.string());
        t.messages.errors.clear();
        Save(c.path.string());
        ASSERT_EQ(t.messages.errors.size(), 1u);
        EXPECT_NE(t.messages.errors[0].find(c.path.string()), std::string::npos) << t.messages.errors[0];
    }
    EXPECT_EQ(ReadBytes(target), old);
    EXPECT_FALSE(std::filesystem::exists(data / "no"));
    EXPECT_TRUE(std::filesystem::is_directory(data / "isdir.bin"));
    EXPECT_FALSE(std::filesystem::exists(data / ("isdir.bin.tmp" + std::to_string(::getpid()))));
}

TEST_F(FileFixture, LoadDataFileLoadsLikeOpenWithoutDialogs) {
    std::string hexText = testing::DataRecord(0, Counting(0x10, 8)) + testing::EndRecord();
    std::string error;
    ASSERT_TRUE(LoadDataFile(t.session.Buffer, Write("a.hex", hexText), error)) << error;
    EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 8u);
    EXPECT_EQ(t.session.Buffer.RamFile.Data[7], 0x17);
    EXPECT_EQ(t.CheckSumPanel(), CheckSumText(CheckSum32(0, Counting(0x10, 8).data(), 8)));
    EXPECT_TRUE(t.fileDialog.opens.empty());
    EXPECT_TRUE(t.caption.captions.empty());

    EXPECT_FALSE(LoadDataFile(t.session.Buffer, (data / "none.bin").string(), error));
    EXPECT_NE(error.find("none.bin"), std::string::npos);
    EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 8u);

    ASSERT_TRUE(LoadDataFile(t.session.Buffer, Write("big.bin", Counting(0, 1000)), error));
    EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 256u);
    EXPECT_EQ(t.messages.warnings.size(), 1u);
    EXPECT_EQ(t.session.Buffer.Holding.kept, 256u);
    EXPECT_EQ(t.session.Buffer.Holding.total, 1000u);
}

TEST_F(FileFixture, BeforeAnyChipNothingIsLoadedOrSaved) {
    testing::BufferSession fresh;
    fresh.session.Texts.Language = 2;
    std::string error;
    ASSERT_TRUE(LoadDataFile(fresh.session.Buffer, Write("x.bin", Counting(0, 10)), error));
    EXPECT_EQ(fresh.session.Buffer.RamFile.DataLen, 0u);
    EXPECT_EQ(fresh.messages.warnings.size(), 1u);
    EXPECT_TRUE(FillBuffer(fresh.session.Buffer, 0, 16, 0x00));
    EXPECT_EQ(fresh.session.Buffer.RamFile.DataLen, 0u);
    ASSERT_TRUE(SaveBufferFile(fresh.session.Buffer, data / "empty.bin", error));
    EXPECT_TRUE(ReadBytes(data / "empty.bin").empty());
}

}  // namespace
}  // namespace tq
