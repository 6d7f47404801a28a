#include "core/buffer/hex_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/buffer/image_formats.h"
#include "support/expect.h"
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

using testing::Concat;

bool AnyWarningContains(const ConversionReport& report, const std::string& part) {
    return std::any_of(report.warnings.begin(), report.warnings.end(),
                       [&](const std::string& w) { return w.find(part) != std::string::npos; });
}

TEST(HexToBin, ConvertsRecordsByTheImageRules) {
    const std::string lowHalf = DataRecord(0x0000, Counting(0x00, 16));
    const std::string highHalf = DataRecord(0x0010, Counting(0x10, 16));
    const std::string twoRecords = lowHalf + highHalf;
    const std::vector<uint8_t> bytes0To1F = Counting(0x00, 32);
    std::string crLf;
    for (char c : twoRecords + EndRecord()) crLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::string nonHexData = DataRecord(0x0020, Counting(0x40, 16));
    nonHexData[11] = 'G';
    // A character with its top bit set whose low bits look like a digit, in the record's second half.
    std::string highBitData = nonHexData;
    highBitData[11] = '4';
    highBitData[9 + 2 * 13] = static_cast<char>('0' | 0x80);
    std::string lowerCase = twoRecords + EndRecord();
    std::transform(lowerCase.begin(), lowerCase.end(), lowerCase.begin(), [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });

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
        // Without an extended record the addresses are absolute: the data at
        // 0x100 stays at its place, after 0xFF filler.
        {"no extended record keeps absolute addresses",
         DataRecord(0x0100, Counting(0, 16)) + DataRecord(0x0110, Counting(16, 16)) + EndRecord(),
         Concat(std::vector<uint8_t>(0x100, 0xFF), bytes0To1F), nullptr},
        {"a gap is filled with FF",
         DataRecord(0x0000, Counting(0, 16)) + DataRecord(0x0020, Counting(0x20, 16)) + EndRecord(),
         Concat(Concat(Counting(0, 16), std::vector<uint8_t>(16, 0xFF)), Counting(0x20, 16)), nullptr},
        {"records out of order land at their places",
         DataRecord(0x0010, Counting(0x10, 16)) + DataRecord(0x0000, Counting(0, 16)) + EndRecord(), bytes0To1F,
         nullptr},
        {"carriage returns", crLf, bytes0To1F, nullptr},
        {"lower-case digits", lowerCase, bytes0To1F, nullptr},
        {"start address records ignored",
         testing::HexRecord(0x03, 0, {0, 0, 0, 0}) + twoRecords + testing::HexRecord(0x05, 0, {8, 0, 0, 0}) +
             EndRecord(),
         bytes0To1F, nullptr},
        {"empty data record fixes the base", DataRecord(0, {}) + twoRecords + EndRecord(), bytes0To1F, nullptr},
        {"no end record loads what it has", twoRecords, bytes0To1F, "no end record (01): the file may be cut short"},
        {"no data and no end record", LinearAddressRecord(0x0800), {}, "no end-of-file record"},
        {"line without ':' before the end", lowHalf + "garbage\n" + highHalf + EndRecord(), {},
         "line 2 does not start with ':'"},
        {"blank and whitespace-only lines skipped", lowHalf + "\n \t\r\n" + highHalf + "\n" + EndRecord(), bytes0To1F,
         nullptr},
        {"carriage returns alone end lines", lowHalf.substr(0, lowHalf.size() - 1) + "\r" +
                                                   highHalf.substr(0, highHalf.size() - 1) + "\r\r" + EndRecord(),
         bytes0To1F, nullptr},
        {"a record repeated with the same bytes", lowHalf + highHalf + lowHalf + EndRecord(), bytes0To1F, nullptr},
        {"a record over part of two others with their bytes",
         twoRecords + DataRecord(0x0008, Counting(0x08, 16)) + EndRecord(), bytes0To1F, nullptr},
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
        {"lines after the end record ignored", twoRecords + EndRecord() + DataRecord(0x20, Counting(0, 16)) + EndRecord(),
         bytes0To1F, "line 3 holds the end-of-file record; everything after it is ignored"},
        {"blank space after the end record is quiet", twoRecords + EndRecord() + "\r\n\n \x1A", bytes0To1F, nullptr},
        {"non-hex data character skips the record",
         lowHalf + nonHexData + highHalf + EndRecord(), bytes0To1F,
         "line 2: non-hex character in the data; skipped"},
        {"top-bit character skips the record", lowHalf + highBitData + highHalf + EndRecord(), bytes0To1F,
         "line 2: non-hex character in the data; skipped"},
        // The count says the record runs on to where the line after it ends:
        // the short line is still its own record.
        {"count past the line's end",
         lowHalf + ":10001000010203\n" + DataRecord(0x0010, Counting(0x10, 8)) + DataRecord(0x0018, Counting(0x18, 8)) +
             EndRecord(),
         bytes0To1F, "line 2: data record shorter than its byte count 16; skipped"},
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
        EXPECT_EQ(ImageLeftEmpty(report), c.image.empty() && c.warning != nullptr);
        if (c.warning) {
            EXPECT_TRUE(AnyWarningContains(report, c.warning)) << ::testing::PrintToString(report.warnings);
        } else {
            EXPECT_TRUE(report.warnings.empty()) << ::testing::PrintToString(report.warnings);
        }
    }
}

// Files written by objcopy use type 02 records below 1 MiB and type 04
// records above it; either way the image must come back unchanged.
TEST(HexToBin, SkippedRecordIsReportedInTheChosenLanguage) {
    struct Case {
        int32_t language;
        const char* warning;
    };
    const Case cases[] = {
        {0, "第 2 行：记录比记录头还短，已跳过"},
        {2, "line 2: record shorter than its header; skipped"},
    };
    ScratchFolder folder;
    const auto source = folder.Write("in.hex", DataRecord(0, Counting(0, 16)) + ":1000\n" + EndRecord());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        ImageReadOptions options;
        options.language = c.language;
        Image image;
        const ConversionReport report = ReadImageFile(source, options, image);
        EXPECT_TRUE(report.ok) << report.error;
        EXPECT_THAT(report.warnings, ::testing::ElementsAre(c.warning));
    }
}

TEST(HexToBin, ReadsWhatObjcopyWrites) {
    if (std::system("objcopy --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "objcopy is not installed";
    struct Case {
        std::size_t size;
        uint32_t address;  // --change-addresses
    };
    const Case cases[] = {
        {1024, 0},
        {0x3000, 0x1000},  // no extended record before the data: addresses stay absolute
        {0x10000 + 17, 0},
        {300000, 0x20000},
        {(1u << 20) + 3, 0xF0000},  // from segment records into linear ones
        {200000, 0x08000000},
        {std::size_t{8} << 20, 0},
    };
    std::mt19937_64 random(20240517);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.size << " bytes at 0x" << std::hex << c.address);
        ScratchFolder folder;
        std::vector<uint8_t> binary(c.size);
        for (std::size_t i = 0; i < binary.size(); i += 8) {
            const uint64_t value = random();
            std::memcpy(binary.data() + i, &value, std::min<std::size_t>(8, binary.size() - i));
        }
        const auto binaryFile = folder.Write("in.bin", binary);
        const auto hexFile = folder / "in.hex";
        const std::string command = "objcopy -I binary -O ihex --change-addresses " + std::to_string(c.address) +
                                    " '" + binaryFile.string() + "' '" + hexFile.string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;

        const ConversionReport report = HexToBin(hexFile, folder / "out.bin");
        ASSERT_TRUE(report.ok) << report.error;
        std::vector<uint8_t> expected = binary;
        if (c.address != 0 && c.address < 0x10000) {
            // Absolute addresses: the image starts at address 0, the data at its place.
            expected.assign(c.address, 0xFF);
            expected.insert(expected.end(), binary.begin(), binary.end());
        }
        const std::vector<uint8_t> image = ReadBytes(folder / "out.bin");
        ASSERT_EQ(image.size(), expected.size());
        EXPECT_TRUE(image == expected);
    }
}

TEST(HexToBin, LinesLongerThanAReadChunkAreReadByTheirRecord) {
    // A record followed by 5 MiB of trailing characters on its own line: the
    // record counts, the tail is ignored, the next line is read normally.
    const std::string tail(std::size_t{5} << 20, 'A');
    struct Case {
        const char* name;
        std::string text;
        std::vector<uint8_t> image;
        const char* warning;
    };
    const Case cases[] = {
        {"long data line", DataRecord(0, Counting(0, 16)).substr(0, 43) + tail + "\n" +
                               DataRecord(0x10, Counting(16, 16)) + EndRecord(),
         Counting(0, 32), nullptr},
        {"long end line, then a record", DataRecord(0, Counting(0, 16)) + ":00000001FF" + tail + "\n" +
                                             DataRecord(0x10, Counting(16, 16)),
         Counting(0, 16), "line 2 holds the end-of-file record"},
        {"long end line, nothing after it", DataRecord(0, Counting(0, 16)) + ":00000001FF" + tail + "\r\n",
         Counting(0, 16), nullptr},
        {"long line without ':'", DataRecord(0, Counting(0, 16)) + tail + "\n" + EndRecord(), {},
         "line 2 does not start with ':'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        const ConversionReport report = HexToBin(folder.Write("in.hex", c.text), folder / "out.bin");
        ASSERT_TRUE(report.ok);
        EXPECT_EQ(ReadBytes(folder / "out.bin"), c.image);
        if (c.warning) {
            EXPECT_TRUE(AnyWarningContains(report, c.warning)) << ::testing::PrintToString(report.warnings);
        } else {
            EXPECT_TRUE(report.warnings.empty()) << ::testing::PrintToString(report.warnings);
        }
    }
}

// Whether a line that is no record, nor blank, comes before any end-of-file
// record (':', 8 hex digits, type 01). Lines end with LF, CR LF or CR.
bool LineThatIsNoRecordBeforeTheEnd(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        if (line.find_first_not_of(" \t\x1A") == std::string::npos) continue;
        if (line[0] != ':') return true;
        if (line.size() >= 9 && std::all_of(line.begin() + 1, line.begin() + 9, [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }) &&
            line.compare(7, 2, "01") == 0)
            return false;
    }
    return false;
}

// Random and mutated records must never fault (the suite also runs under
// AddressSanitizer), and the result keeps the promises that hold for any input.
TEST(HexToBin, SurvivesRandomAndMutatedLines) {
    constexpr uint64_t kFuzzImageLimit = 1 << 20;  // keeps random far addresses quick
    std::mt19937 random(0x7E57);
    auto pick = [&random](uint32_t below) { return static_cast<uint32_t>(random() % below); };
    auto randomBytes = [&](std::size_t count) {
        std::vector<uint8_t> bytes(count);
        for (auto& b : bytes) b = static_cast<uint8_t>(random());
        return bytes;
    };
    auto validLine = [&]() -> std::string {
        switch (pick(10)) {
            case 0: return LinearAddressRecord(static_cast<uint16_t>(pick(4) == 0 ? random() : pick(3)));
            case 1: return SegmentAddressRecord(static_cast<uint16_t>(pick(4) == 0 ? random() : pick(0x20) << 8));
            case 2: return testing::HexRecord(static_cast<uint8_t>(random()), static_cast<uint16_t>(random()),
                                              randomBytes(pick(8)));
            default: return DataRecord(static_cast<uint16_t>(random()), randomBytes(pick(10) == 0 ? 255 : pick(33)));
        }
    };
    auto mutate = [&](std::string line) {
        for (uint32_t edits = 1 + pick(3); edits > 0 && !line.empty(); --edits) {
            const std::size_t at = pick(static_cast<uint32_t>(line.size()));
            switch (pick(4)) {
                case 0: line[at] = static_cast<char>(random()); break;              // any byte, NUL and CR too
                case 1: line.resize(at); break;                                      // truncated
                case 2: line.insert(at, std::string(pick(40), "0123456789ABCDEFx:\r"[pick(19)])); break;
                default: line[at] = "0123456789abcdefFF"[pick(18)]; break;           // another hex digit
            }
        }
        if (line.empty() || line.back() != '\n') line += '\n';
        if (line[0] != ':' && pick(8) != 0) line[0] = ':';  // mostly keep reading past it
        return line;
    };

    std::size_t lines = 0, nonEmptyImages = 0;
    ScratchFolder folder;
    for (int file = 0; file < 300; ++file) {
        std::string text;
        const uint32_t lineCount = 1 + pick(40);
        for (uint32_t i = 0; i < lineCount; ++i) {
            const uint32_t kind = pick(100);
            if (kind < 3) text += EndRecord();
            else if (kind < 50) text += validLine();
            else text += mutate(validLine());
        }
        if (pick(2) == 0) text += EndRecord();
        lines += lineCount;

        const auto source = folder.Write("in.hex", text);
        const auto destination = folder / "out.bin";
        const ConversionReport report = HexToBin(source, destination, kFuzzImageLimit);
        ASSERT_TRUE(std::filesystem::exists(destination));
        const std::vector<uint8_t> image = ReadBytes(destination);
        // A record that cannot be placed fails the whole conversion, naming its line (or both lines).
        if (!report.ok) {
            EXPECT_NE(report.error.find(": line"), std::string::npos) << report.error;
            EXPECT_TRUE(image.empty());
        }
        EXPECT_LE(image.size(), kFuzzImageLimit);
        // Reports stay bounded: the singly reported records, a summary of the
        // rest, the cut-off length, what followed the end, why it is empty.
        EXPECT_LE(report.warnings.size(), 24u);
        // Same input, same result.
        const ConversionReport again = HexToBin(source, folder / "again.bin", kFuzzImageLimit);
        EXPECT_EQ(again.warnings, report.warnings);
        EXPECT_TRUE(ReadBytes(folder / "again.bin") == image);
        // A line that is no record before the end record: nothing is written.
        if (LineThatIsNoRecordBeforeTheEnd(text)) {
            EXPECT_TRUE(image.empty());
        }
        if (!image.empty()) ++nonEmptyImages;
    }
    EXPECT_GE(lines, 5000u);
    EXPECT_GT(nonEmptyImages, 30u);  // the generator does reach the writing path
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

TEST(HexToBin, ARecordThatCannotBePlacedFailsTheConversionNamingIt) {
    const struct {
        const char* name;
        std::string text;
        const char* error;
    } cases[] = {
        {"below the image start",
         LinearAddressRecord(0x0800) + DataRecord(0x0010, Counting(0, 16)) + DataRecord(0x0000, Counting(0xA0, 16)) +
             EndRecord(),
         "line 3: data at 0x08000000 lies below the image start 0x08000010"},
        {"overlapping records with different bytes",
         DataRecord(0x0000, Counting(0, 16)) + DataRecord(0x0010, Counting(0x10, 16)) +
             DataRecord(0x0014, Counting(0x14, 4)) + DataRecord(0x000C, Counting(0x4C, 8)) + EndRecord(),
         "lines 1 and 4 give different bytes at address 0x0000000C"},
        {"a last record cut short without an end record", DataRecord(0x0000, Counting(0, 16)) + ":10001000AABB",
         "line 2: data record shorter than its byte count 16"},
        {"2 GiB beyond the start in a file of a few hundred bytes",
         DataRecord(0, Counting(0, 16)) + LinearAddressRecord(0x8000) + DataRecord(0xFFF0, Counting(0x40, 16)) +
             EndRecord(),
         "line 3: data at 0x8000FFF0 lies beyond the largest image of 512 MiB from 0x00000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        const auto destination = folder.Write("out.bin", std::string(10, 'x'));
        const auto source = folder.Write("in.hex", c.text);
        const ConversionReport report = HexToBin(source, destination);
        EXPECT_FALSE(report.ok);
        EXPECT_EQ(report.error, source.string() + ": " + c.error);
        EXPECT_EQ(std::filesystem::file_size(destination), 0u);
    }
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

namespace tq {
namespace {

TEST(HexToBin, ReportsHowMuchOfTheSourceWasRead) {
    testing::ScratchFolder folder;
    std::string text;
    for (uint32_t address = 0; address < 0x80000; address += 16) {
        if (address % 0x10000 == 0) text += testing::LinearAddressRecord(static_cast<uint16_t>(address >> 16));
        text += testing::DataRecord(static_cast<uint16_t>(address), testing::Counting(0, 16));
    }
    text += testing::EndRecord();
    const auto source = folder.Write("big.hex", text);
    std::vector<uint64_t> reads;
    const ConversionReport report = HexToBin(source, folder / "big.bin", kMaxHexImageBytes,
                                             [&](uint64_t read, uint64_t total) {
                                                 EXPECT_EQ(total, text.size());
                                                 reads.push_back(read);
                                             });
    ASSERT_TRUE(report.ok) << report.error;
    ASSERT_GE(reads.size(), 2u);  // more than one chunk of 1 MiB
    EXPECT_TRUE(std::is_sorted(reads.begin(), reads.end()));
    EXPECT_EQ(reads.back(), text.size());
}

}  // namespace
}  // namespace tq
