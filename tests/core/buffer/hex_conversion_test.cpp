#include "core/buffer/hex_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/hex_records.h"
#include "support/scratch_folder.h"

namespace tq {
namespace {

using testing::Counting;
using testing::DataRecord;
using testing::EndRecord;
using testing::LinearAddressRecord;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::SegmentAddressRecord;

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

bool AnyWarningContains(const ConversionReport& report, const std::string& part) {
    return std::any_of(report.warnings.begin(), report.warnings.end(),
                       [&](const std::string& w) { return w.find(part) != std::string::npos; });
}

TEST(HexToBin, ConvertsRecordsByTheImageRules) {
    const std::string lowHalf = DataRecord(0x0000, Counting(0x00, 16));
    const std::string highHalf = DataRecord(0x0010, Counting(0x10, 16));
    const std::string twoRecords = lowHalf + highHalf;
    const std::vector<uint8_t> bytes0To1F = Counting(0x00, 32);
    std::string wrongChecksum = twoRecords;
    wrongChecksum[lowHalf.size() - 2] = wrongChecksum[lowHalf.size() - 2] == '0' ? '1' : '0';
    std::string crLf;
    for (char c : twoRecords + EndRecord()) crLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::string nonHexData = DataRecord(0x0020, Counting(0x40, 16));
    nonHexData[11] = 'G';
    std::string lowerCase = twoRecords + EndRecord();
    std::transform(lowerCase.begin(), lowerCase.end(), lowerCase.begin(), [](char c) { return std::tolower(c); });

    struct Case {
        const char* name;
        std::string text;
        std::vector<uint8_t> image;
        const char* warning;  // a part of some warning, or null for none
    };
    const Case cases[] = {
        {"two records", twoRecords + EndRecord(), bytes0To1F, nullptr},
        {"extended 0x0800 first: base 0x08000000", LinearAddressRecord(0x0800) + twoRecords + EndRecord(), bytes0To1F,
         nullptr},
        {"extended 0x0000 first", LinearAddressRecord(0x0000) + twoRecords + EndRecord(), bytes0To1F, nullptr},
        {"extended 0x0000 and data at 0x0100 starts the image there",
         LinearAddressRecord(0x0000) + DataRecord(0x0100, Counting(0, 16)) + DataRecord(0x0110, Counting(16, 16)) +
             EndRecord(),
         bytes0To1F, nullptr},
        // Without an extended record the addresses are absolute; the length is
        // still the 32 data bytes, so the data at 0x100 is cut off.
        {"no extended record keeps absolute addresses",
         DataRecord(0x0100, Counting(0, 16)) + DataRecord(0x0110, Counting(16, 16)) + EndRecord(),
         std::vector<uint8_t>(32, 0xFF), "data reaches offset 0x0000011F"},
        {"gap shortens the image by its size",
         DataRecord(0x0000, Counting(0, 16)) + DataRecord(0x0020, Counting(0x20, 16)) + EndRecord(),
         Concat(Counting(0, 16), std::vector<uint8_t>(16, 0xFF)), "data reaches offset 0x0000002F"},
        {"wrong checksum is loaded", wrongChecksum + EndRecord(), bytes0To1F, nullptr},
        {"carriage returns", crLf, bytes0To1F, nullptr},
        {"lower-case digits", lowerCase, bytes0To1F, nullptr},
        {"start address records ignored",
         testing::HexRecord(0x03, 0, {0, 0, 0, 0}) + twoRecords + testing::HexRecord(0x05, 0, {8, 0, 0, 0}) +
             EndRecord(),
         bytes0To1F, nullptr},
        {"empty data record fixes the base", DataRecord(0, {}) + twoRecords + EndRecord(), bytes0To1F, nullptr},
        {"no end record", twoRecords, {}, "no end-of-file record"},
        {"line without ':' before the end", lowHalf + "garbage\n" + highHalf + EndRecord(), {},
         "line 2 does not start with ':'"},
        {"empty line before the end", twoRecords + "\n" + EndRecord(), {}, "line 3 does not start with ':'"},
        {"empty file", "", {}, "no end-of-file record"},
        {"only an end record", EndRecord(), {}, nullptr},
        // Type 02: the segment value times 16 is the upper address.
        {"segment 0x1000 first: base 0x10000", SegmentAddressRecord(0x1000) + twoRecords + EndRecord(), bytes0To1F,
         nullptr},
        {"segment after data moves later records",
         DataRecord(0, Counting(0, 16)) + SegmentAddressRecord(0x0001) + DataRecord(0, Counting(16, 16)) + EndRecord(),
         bytes0To1F, nullptr},
        {"first extended record of either kind sets the base",
         LinearAddressRecord(0x0000) + SegmentAddressRecord(0x0001) + DataRecord(0, Counting(16, 16)) +
             SegmentAddressRecord(0x0000) + DataRecord(0, Counting(0, 16)) + EndRecord(),
         bytes0To1F, nullptr},
        // Sound handling of what the format leaves open.
        {"record below the image start skipped",
         LinearAddressRecord(0x0800) + DataRecord(0x0010, Counting(0, 16)) + DataRecord(0x0000, Counting(0xA0, 16)) +
             DataRecord(0x0020, Counting(16, 16)) + EndRecord(),
         bytes0To1F, "line 3: data at 0x08000000 lies below the image start 0x08000010; skipped"},
        {"lines after the end record ignored", twoRecords + EndRecord() + DataRecord(0x20, Counting(0, 16)) + EndRecord(),
         bytes0To1F, "line 3 holds the end-of-file record; everything after it is ignored"},
        {"blank space after the end record is quiet", twoRecords + EndRecord() + "\r\n\n \x1A", bytes0To1F, nullptr},
        {"non-hex data character skips the record",
         lowHalf + nonHexData + highHalf + EndRecord(), bytes0To1F,
         "line 2: non-hex character in the data; skipped"},
        {"non-hex header character skips the record", lowHalf + ":1X0020000102\n" + highHalf + EndRecord(),
         bytes0To1F, "line 2: non-hex character in the record header; skipped"},
        {"record shorter than its count skipped", lowHalf + ":10002000010203\n" + highHalf + EndRecord(), bytes0To1F,
         "line 2: data record shorter than its byte count 16; skipped"},
        {"truncated header skipped", lowHalf + ":1000\n" + highHalf + EndRecord(), bytes0To1F,
         "line 2: record shorter than its header; skipped"},
        {"extended record without its value skipped",
         LinearAddressRecord(0x0800) + ":02000004\n" + twoRecords + EndRecord(), bytes0To1F,
         "line 2: extended address record without its two data bytes; skipped"},
        {"unknown type reported", twoRecords + testing::HexRecord(0x07, 0, {1}) + EndRecord(), bytes0To1F,
         "unknown record type 0x07"},
        {"record of 255 bytes read whole", DataRecord(0, Counting(0, 255)) + EndRecord(), Counting(0, 255), nullptr},
        {"last line without a line feed", twoRecords + ":00000001FF", bytes0To1F, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        const auto destination = folder / "out.bin";
        const ConversionReport report = HexToBin(folder.Write("in.hex", c.text), destination);
        EXPECT_TRUE(report.ok) << report.error;
        ASSERT_TRUE(std::filesystem::exists(destination));
        EXPECT_EQ(ReadBytes(destination), c.image);
        if (c.warning) {
            EXPECT_TRUE(AnyWarningContains(report, c.warning)) << ::testing::PrintToString(report.warnings);
        } else {
            EXPECT_TRUE(report.warnings.empty()) << ::testing::PrintToString(report.warnings);
        }
    }
}

TEST(HexToBin, SecondLinearAddressRecordExtendsThe64KiBImage) {
    std::string text;
    for (uint32_t address = 0; address < 0x10000; address += 16)
        text += DataRecord(static_cast<uint16_t>(address), Counting(static_cast<uint8_t>(address >> 4), 16));
    text += LinearAddressRecord(0x0001) + DataRecord(0x0000, Counting(0xE0, 16)) + EndRecord();
    ScratchFolder folder;
    const ConversionReport report = HexToBin(folder.Write("in.hex", text), folder / "out.bin");
    ASSERT_TRUE(report.ok);
    const std::vector<uint8_t> image = ReadBytes(folder / "out.bin");
    ASSERT_EQ(image.size(), 65552u);
    EXPECT_EQ(std::vector<uint8_t>(image.begin(), image.begin() + 16), Counting(0, 16));  // offset 0 kept
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 0xFFF0, image.begin() + 0x10000), Counting(0xFF, 16));
    EXPECT_EQ(std::vector<uint8_t>(image.end() - 16, image.end()), Counting(0xE0, 16));
}

TEST(HexToBin, DataFarBeyondTheFileSizeNeverEntersTheImage) {
    // A jump of 2 GiB in a file of a few hundred bytes: the image stays as
    // long as its data bytes and the far record is reported as cut off.
    const std::string text = DataRecord(0, Counting(0, 16)) + LinearAddressRecord(0x8000) +
                             DataRecord(0xFFF0, Counting(0x40, 16)) + EndRecord();
    ScratchFolder folder;
    const ConversionReport report = HexToBin(folder.Write("in.hex", text), folder / "out.bin");
    ASSERT_TRUE(report.ok);
    EXPECT_EQ(ReadBytes(folder / "out.bin"), Concat(Counting(0, 16), std::vector<uint8_t>(16, 0xFF)));
    EXPECT_TRUE(AnyWarningContains(report, "data reaches offset 0x8000FFFF"));
}

TEST(HexToBin, ManyBadRecordsAreReportedInBoundedForm) {
    std::string text;
    for (int i = 0; i < 50; ++i) text += ":10000000ZZ\n";
    text += DataRecord(0, Counting(0, 4)) + EndRecord();
    ScratchFolder folder;
    const ConversionReport report = HexToBin(folder.Write("in.hex", text), folder / "out.bin");
    EXPECT_EQ(ReadBytes(folder / "out.bin"), Counting(0, 4));
    ASSERT_EQ(report.warnings.size(), 21u);
    EXPECT_EQ(report.warnings.front(), "line 1: data record shorter than its byte count 16; skipped");
    EXPECT_EQ(report.warnings.back(), "30 more records skipped");
}

TEST(HexToBin, FailuresNameTheFileAndLeaveAnEmptyDestination) {
    ScratchFolder folder;
    const auto destination = folder.Write("out.bin", std::string(100, 'x'));
    const ConversionReport missing = HexToBin(folder / "missing.hex", destination);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find((folder / "missing.hex").string()), std::string::npos) << missing.error;
    ASSERT_TRUE(std::filesystem::exists(destination));
    EXPECT_EQ(std::filesystem::file_size(destination), 0u);

    const auto unwritable = folder / "no-such-folder" / "out.bin";
    const ConversionReport noFolder = HexToBin(folder.Write("in.hex", EndRecord()), unwritable);
    EXPECT_FALSE(noFolder.ok);
    EXPECT_NE(noFolder.error.find(unwritable.string()), std::string::npos) << noFolder.error;

    // A folder is no HEX file.
    EXPECT_FALSE(HexToBin(folder.path(), destination).ok);
    // Nothing but the destination is left behind: no temporary files.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
}

}  // namespace
}  // namespace tq
