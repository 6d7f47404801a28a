#include "core/firmware/firmware_package.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "support/firmware_package_builder.h"
#include "support/scratch_folder.h"

namespace tq {
namespace {

using testing::FirmwarePackage;
using testing::FirmwarePackageBuilder;

struct PackageFixture : ::testing::Test {
    testing::ScratchFolder folder;
    std::string Write(const FirmwarePackageBuilder& builder, const std::string& name = "p.tqmv") {
        const std::string path = folder.File(name);
        EXPECT_TRUE(builder.WriteTo(path));
        return path;
    }
};

TEST_F(PackageFixture, HeaderIsAcceptedByEitherFormatByte) {
    struct Case {
        uint8_t byte0, byte1;
        bool accepted;
    };
    const Case cases[] = {{3, 0, true}, {0, 0x69, true}, {3, 0x69, true}, {0, 0, false}, {2, 0x68, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.byte0) << " " << int(c.byte1));
        FirmwarePackageBuilder builder = FirmwarePackage(testing::SampleImage(300));
        builder.formatByte0 = c.byte0;
        builder.formatByte1 = c.byte1;
        const std::string path = Write(builder);
        uint32_t offset = 77, length = 77;
        EXPECT_EQ(FindPackageEntry(path, "iap.bin", offset, length), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(offset, 2048 + 23u);  // after the directory area and the 23-byte record
            EXPECT_EQ(length, 300u);
        } else {
            EXPECT_EQ(offset, 77u);  // untouched on failure
            EXPECT_EQ(length, 77u);
        }
    }
}

TEST_F(PackageFixture, DirectoryIsReadOnlyUpToTheEntryCountAndTheAreaLimit) {
    struct Case {
        const char* name;
        int entries;       // entries written, named e0, e1, ...
        uint8_t count;     // E
        uint8_t units;     // D
        const char* look;  // entry looked up
        bool found;
    };
    const Case cases[] = {
        {"E=4 D=0: 128 > 0, nothing examined", 4, 4, 0, "e0", false},
        {"E=4 D=1: first entry", 4, 4, 1, "e0", true},
        {"E=4 D=1: entry 3 at 224", 4, 4, 1, "e3", true},
        {"E smaller than the directory", 4, 2, 1, "e2", false},
        {"E=70 D=1: entry 60 starts at 2048, still examined", 70, 70, 1, "e60", true},
        {"E=70 D=1: entry 61 starts at 2080, beyond the limit", 70, 70, 1, "e61", false},
        {"E=70 D=2: entry 61 examined", 70, 70, 2, "e61", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FirmwarePackageBuilder builder;
        for (int i = 0; i < c.entries; ++i) builder.Add("e" + std::to_string(i), {static_cast<uint8_t>(i)});
        builder.entryCount = c.count;
        builder.directoryUnits = c.units;
        const std::string path = Write(builder);
        uint32_t offset = 0, length = 0;
        EXPECT_EQ(FindPackageEntry(path, c.look, offset, length), c.found);
    }
}

TEST_F(PackageFixture, OffsetsAndLengthsAreUnsigned24BitAndMustLieWithinTheFile) {
    struct Case {
        const char* name;
        uint32_t offset, length;
        size_t fileSize;
        PackageStatus expected;
    };
    const Case cases[] = {
        {"00 80 00 / 00 00 FF", 0x008000, 0x0000FF, 0x8000 + 0xFF, PackageStatus::Found},
        {"high bytes taken unsigned", 0x00F0F0, 0x00FF10, 0xF0F0 + 0xFF10, PackageStatus::Found},
        {"data one byte beyond the end", 0x008000, 0x0000FF, 0x8000 + 0xFE, PackageStatus::NotFound},
        {"offset beyond the end", 0x123456, 0x000001, 4096, PackageStatus::NotFound},
        {"empty entry at the very end", 4096, 0, 4096, PackageStatus::Found},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FirmwarePackageBuilder builder;
        builder.entries.push_back({"iap.bin", {}, c.offset, c.length});
        std::vector<uint8_t> bytes = builder.Build();
        bytes.resize(c.fileSize, 0xA5);
        const std::string path = folder.File("raw.bin");
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        uint32_t offset = 1, length = 1;
        EXPECT_EQ(LocatePackageEntry(path, "iap.bin", offset, length), c.expected);
        if (c.expected == PackageStatus::Found) {
            EXPECT_EQ(offset, c.offset);
            EXPECT_EQ(length, c.length);
        }
    }
}

TEST_F(PackageFixture, NamesMatchExactlyAndTheFirstOccurrenceWins) {
    FirmwarePackageBuilder builder;
    builder.Add("iap.bin.old", {1}).Add("IAP.BIN", {2, 2}).Add("iap.bin", {3, 3, 3}).Add("iap.bin", {4, 4, 4, 4});
    builder.Add("abcdefghijklmnopqrstuvwxyz", {5});  // 26 characters: the name fills its field, no zero byte
    const std::string path = Write(builder);
    uint32_t offset = 0, length = 0;
    ASSERT_TRUE(FindPackageEntry(path, "iap.bin", offset, length));
    EXPECT_EQ(length, 3u);
    EXPECT_FALSE(FindPackageEntry(path, "iap", offset, length));
    EXPECT_FALSE(FindPackageEntry(path, "Iap.bin", offset, length));
    ASSERT_TRUE(FindPackageEntry(path, "abcdefghijklmnopqrstuvwxyz", offset, length));
    EXPECT_EQ(length, 1u);
}

TEST_F(PackageFixture, DamagedOrMissingFilesAreToldApart) {
    uint32_t offset = 9, length = 9;
    EXPECT_EQ(LocatePackageEntry(folder.File("missing.tqmv"), "iap.bin", offset, length), PackageStatus::Unreadable);
    EXPECT_EQ(LocatePackageEntry(folder.path().string(), "iap.bin", offset, length), PackageStatus::Unreadable);
    EXPECT_EQ(offset, 9u);

    // Shorter than the header: not a package.
    std::ofstream(folder.File("short.tqmv"), std::ios::binary) << "\x03";
    EXPECT_EQ(LocatePackageEntry(folder.File("short.tqmv"), "iap.bin", offset, length), PackageStatus::NotFound);

    // A directory cut off after its first entry still yields that entry.
    FirmwarePackageBuilder builder;
    builder.entries.push_back({"first", {}, 0, 16});
    builder.entries.push_back({"second", {}, 0, 16});
    builder.entries.push_back({"third", {}, 0, 16});
    std::vector<uint8_t> bytes = builder.Build();
    bytes.resize(128 + 32 + 10);
    const std::string path = folder.File("cut.tqmv");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    EXPECT_TRUE(FindPackageEntry(path, "first", offset, length));
    EXPECT_FALSE(FindPackageEntry(path, "second", offset, length));
    std::vector<PackageEntry> entries;
    EXPECT_EQ(ReadPackageDirectory(path, entries), PackageStatus::Found);
    EXPECT_EQ(entries.size(), 1u);
}

TEST(RecordValue, KeysAreFoundByTheLineRules) {
    struct Case {
        const char* name;
        std::string record;
        const char* key;
        int result;
        std::string value;  // expected; "<untouched>" when not found
    };
    const std::string untouched = "<untouched>";
    const Case cases[] = {
        {"Dev line", "Dev=TQM7300B\r\nVER=001\r\n", "Dev", 0, "TQM7300B"},
        {"VER line", "Dev=TQM7300B\r\nVER=001\r\n", "VER", 0, "001"},
        {"VER before Dev: Dev", "VER=001\r\nDev=TQM7300B\r\n", "Dev", 0, "TQM7300B"},
        {"VER before Dev: VER", "VER=001\r\nDev=TQM7300B\r\n", "VER", 0, "001"},
        {"DevX=1: X is the separator", "DevX=1\r\nVER=001\r\n", "Dev", 0, "=1"},
        {"any separator", "Dev:M500\r\n", "Dev", 0, "M500"},
        {"value to the end of the record", "VER=002", "VER", 0, "002"},
        {"key at the very end", "xxDev", "Dev", 0, ""},
        {"key missing", "Model=TQM7300B\r\n", "VER", 240, untouched},
        {"a partial match skips its line", "DeDev=A\r\nDev=B\r\n", "Dev", 0, "B"},
        {"a partial match on the last line", "xDeDev=A", "Dev", 240, untouched},
        {"key inside a line", "xxDev=Q\r\n", "Dev", 0, "Q"},
        {"key cut by the record end", "Dev=A\r\nVE", "VER", 240, untouched},
        {"value ends at a zero byte", std::string("VER=001\0\0\0", 10), "VER", 0, "001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string value = untouched;
        EXPECT_EQ(GetRecordValue(reinterpret_cast<const uint8_t*>(c.record.data()), c.record.size(), c.key, value),
                  c.result);
        EXPECT_EQ(value, c.value);
    }
}

TEST(RecordValue, OnlyTheFirst32BytesCount) {
    // The VER line starts at byte 30: its key is cut at the record's end.
    std::string text = "Dev=TQM7300B\r\n";
    text += std::string(30 - text.size(), 'x');
    text += "VER=001\r\n";
    const PackageVersion version = ParseVersionRecord(std::vector<uint8_t>(text.begin(), text.end()));
    EXPECT_EQ(version.dev, "TQM7300B");
    EXPECT_EQ(version.ver, "");
}

TEST(VersionCheck, ModelAndFormatMustMatchExactly) {
    struct Case {
        PackageVersion version;
        bool accepted;
    };
    const Case cases[] = {
        {{"TQM7300B", "001"}, true},  {{"TQM7300A", "001"}, false}, {{"tqm7300b", "001"}, false},
        {{"TQM7300B ", "001"}, false}, {{"TQM7300B", "002"}, false}, {{"TQM7300B", ""}, false},
        {{"", "001"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version.dev + "/" + c.version.ver);
        EXPECT_EQ(IsPackageForThisProgrammer(c.version), c.accepted);
    }
}

TEST(ImageDigestTest, IsMd5InThePiecesItIsGiven) {
    const std::string text = "abc";
    ImageDigest whole;
    ASSERT_TRUE(whole.ok());
    whole.Update(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    const std::array<uint8_t, 16> expected = {0x90, 0x01, 0x50, 0x98, 0x3c, 0xd2, 0x4f, 0xb0,
                                              0xd6, 0x96, 0x3f, 0x7d, 0x28, 0xe1, 0x7f, 0x72};
    EXPECT_EQ(whole.Final(), expected);

    ImageDigest pieces;
    pieces.Update(reinterpret_cast<const uint8_t*>("a"), 1);
    pieces.Update(reinterpret_cast<const uint8_t*>("bc"), 2);
    EXPECT_EQ(pieces.Final(), expected);
}

}  // namespace
}  // namespace tq
