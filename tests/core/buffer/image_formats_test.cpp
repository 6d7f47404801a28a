// Intel HEX and S-record files written and read here agree with objcopy, and
// the open and save commands use them by extension.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "core/buffer/file_open_save.h"
#include "core/buffer/hex_conversion.h"
#include "core/buffer/image_formats.h"
#include "core/buffer/srec_conversion.h"
#include "support/buffer_session.h"
#include "support/expect.h"
#include "support/hex_records.h"
#include "support/scratch_folder.h"

namespace tq {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::Counting;
using testing::DataRecord;
using testing::EndRecord;
using testing::LinearAddressRecord;

bool HaveObjcopy() { return std::system("objcopy --version >/dev/null 2>&1") == 0; }

bool Objcopy(const std::string& arguments) { return std::system(("objcopy " + arguments + " 2>&1").c_str()) == 0; }

std::vector<uint8_t> RandomImage(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(size);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
    return bytes;
}

TEST(ImageFormats, RoundTripAgainstObjcopyAtSeveralAddresses) {
    if (!HaveObjcopy()) GTEST_SKIP() << "objcopy is not installed";
    ScratchFolder folder;
    struct Format {
        bool intelHex;
        const char* extension;
        const char* bfd;  // objcopy's name of the format
    };
    const Format formats[] = {{true, "hex", "ihex"},
                              {false, "srec", "srec"},
                              {false, "s37", "srec"}};
    const uint64_t addresses[] = {0, 0x8000, 0x12340, 0xFFF0, 0x08000000};
    unsigned seed = 1;
    for (const Format& f : formats) {
        for (const uint64_t address : addresses) {
            // The largest is text of several blocks, written while the next is made.
            for (const std::size_t size : {std::size_t{1}, std::size_t{300}, std::size_t{70001}, std::size_t{1} << 20}) {
                SCOPED_TRACE(std::string(f.extension) + " at " + std::to_string(address) + ", " + std::to_string(size) +
                             " bytes");
                const std::vector<uint8_t> image = RandomImage(size, seed++);
                const auto ours = folder / (std::string("ours.") + f.extension);
                const auto theirs = folder / (std::string("theirs.") + f.extension);
                const auto binary = folder / "image.bin";
                const auto back = folder / "back.bin";

                // Written here, read by objcopy.
                std::string error;
                ASSERT_TRUE(WriteImageFile(ours, {address, image}, Durability::Flushed, error)) << error;
                ASSERT_TRUE(Objcopy(std::string("-I ") + f.bfd + " -O binary " + ours.string() + " " + back.string()));
                EXPECT_EQ(ReadBytes(back), image);

                // Written by objcopy, read here.
                folder.Write("image.bin", image);
                ASSERT_TRUE(Objcopy(std::string("-I binary -O ") + f.bfd + " --change-addresses " +
                                    std::to_string(address) + " " + binary.string() + " " + theirs.string()));
                const ConversionReport report = f.intelHex ? HexToBin(theirs, back)
                                                                                  : SrecToBin(theirs, back);
                ASSERT_TRUE(report.ok) << report.error;
                // objcopy starts a HEX file below 64 KiB without an extended address
                // record: such a file keeps absolute addresses from 0.
                const bool absolute = f.intelHex && address < 0x10000;
                std::vector<uint8_t> expected(absolute ? address : 0, 0xFF);
                expected.insert(expected.end(), image.begin(), image.end());
                EXPECT_EQ(ReadBytes(back), expected);
                EXPECT_EQ(report.imageAddress, absolute ? 0 : address);
            }
        }
    }
}

std::string Srec(const std::string& hexBytes, char type) {
    // Builds "S<type><count><bytes><checksum>" from the address and data digits.
    std::vector<uint8_t> bytes;
    for (std::size_t i = 0; i < hexBytes.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(hexBytes.substr(i, 2), nullptr, 16)));
    unsigned sum = static_cast<unsigned>(bytes.size() + 1);
    for (uint8_t b : bytes) sum += b;
    char tail[8];
    std::snprintf(tail, sizeof tail, "%02X", ~sum & 0xFF);
    char count[4];
    std::snprintf(count, sizeof count, "%02X", static_cast<unsigned>(bytes.size() + 1));
    return std::string("S") + type + count + hexBytes + tail + "\n";
}

// The fuzz targets read with a small largest image; the limit is the
// readers' parameter and holds to the byte for both text formats.
TEST(ImageFormats, TheLargestImageIsTheCallersToTheByte) {
    constexpr uint64_t kLimit = uint64_t{1} << 20;
    const std::string hexUpTo = DataRecord(0, {0x11}) + LinearAddressRecord(0x000F) + DataRecord(0xFFF0, Counting(0, 16));
    const std::string srecUpTo = Srec("0000000011", '3') + Srec("000FFFFF22", '3');
    const struct {
        const char* name;
        std::string text;
        bool hex;
        const char* errorPart;  // null: converts to an image of exactly the limit
    } cases[] = {
        {"HEX up to the limit", hexUpTo + EndRecord(), true, nullptr},
        {"HEX one byte past", hexUpTo + LinearAddressRecord(0x0010) + DataRecord(0, {0x33}) + EndRecord(), true,
         "line 5: data at 0x00100000 lies beyond the largest image of 1 MiB from 0x00000000"},
        {"S-record up to the limit", srecUpTo + "S70500000000FA\n", false, nullptr},
        {"S-record one byte past", srecUpTo + Srec("0010000033", '3') + "S70500000000FA\n", false,
         "line 3: data at 0x00100000 lies beyond the largest image of 1 MiB from 0x00000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        const auto source = folder.Write(c.hex ? "in.hex" : "in.srec", c.text);
        const auto destination = folder / "out.bin";
        const ConversionReport report = c.hex ? HexToBin(source, destination, kLimit) : SrecToBin(source, destination, kLimit);
        EXPECT_EQ(report.ok, c.errorPart == nullptr) << report.error;
        if (c.errorPart) {
            EXPECT_SAYS(report.error, c.errorPart);
        }
        EXPECT_EQ(std::filesystem::file_size(destination), c.errorPart ? 0u : kLimit);
    }
}

// Found by fuzzing: records out of order spanning more than the largest image
// made the naming walk copy the first records into an image never allocated.
TEST(ImageFormats, SrecReaderRefusesAnImageTooWideWithoutPlacingItsRecords) {
    ScratchFolder folder;
    const auto source = folder.Write("in.srec", Srec("19000000AABB", '3') + Srec("00000000CC", '3') +
                                                    Srec("30000000DD", '3') + "S70500000000FA\n");
    const auto destination = folder.Write("out.bin", "old");
    const ConversionReport report = SrecToBin(source, destination);
    EXPECT_FALSE(report.ok);
    EXPECT_SAYS(report.error, "line 3: data at 0x30000000 lies beyond the largest image");
    EXPECT_EQ(std::filesystem::file_size(destination), 0u);
}

TEST(ImageFormats, SrecReaderPlacesRecordsAndNamesTheLineOfABadOne) {
    ScratchFolder folder;
    const std::string header = "S0030000FC\n";
    const std::string end = "S9030000FC\n";
    struct Case {
        const char* name;
        std::string text;
        const char* errorPart;  // null: converts
        std::vector<uint8_t> image;
        const char* warningPart;
    };
    const Case cases[] = {
        // Out of order, with a gap: placed at their addresses from the lowest one.
        {"gap", header + Srec("1008AABB", '1') + Srec("1000CC", '1') + "\n" + Srec("0002", '5') + end, nullptr,
         {0xCC, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xAA, 0xBB}, nullptr},
        // A record without data places nothing: the image does not reach it.
        {"empty record", Srec("1000CC", '1') + Srec("2000", '1') + Srec("0002", '5') + end, nullptr, {0xCC}, nullptr},
        {"checksum", header + Srec("1000CC", '1') + "S1041001DD00\n" + end, "line 3: checksum mismatch", {}, nullptr},
        {"non-hex", header + "S1041000XXFF\n" + end, "line 2: non-hex character", {}, nullptr},
        {"non-hex late in a long record", header + "S113100000112233445566G78899AABBCCDDEEFF00\n" + end,
         "line 2: non-hex character", {}, nullptr},
        {"top-bit character", header + "S1131000001122334455667788\xB0" "9AABBCCDDEEFF00\n" + end,
         "line 2: non-hex character", {}, nullptr},
        // The count reaches the next line's end: the short line is still the record named.
        {"count past the line's end", header + "S1061000\nABCDEFG\n" + end, "line 2: record length does not match",
         {}, nullptr},
        {"length", header + "S1051000CC2E\n" + end, "line 2: record length does not match", {}, nullptr},
        {"count", header + Srec("1000CC", '1') + Srec("0002", '5') + end, "line 3: the record count 2", {}, nullptr},
        {"not a record", header + "hello\n" + end, "line 2: not an S-record", {}, nullptr},
        {"no end record loads what it has", header + Srec("1000CC", '1'), nullptr, {0xCC},
         "no end record (S7/S8/S9): the file may be cut short"},
        {"no data and no end record", header, nullptr, {}, "no end record (S7, S8 or S9); the image is empty"},
        {"carriage returns alone, blank lines", "S0030000FC\r \r" + Srec("1000CC", '1') + "\r\r" + end, nullptr, {0xCC},
         nullptr},
        {"the same bytes repeated", Srec("1000CCDD", '1') + Srec("1001DD", '1') + end, nullptr, {0xCC, 0xDD}, nullptr},
        {"different bytes over one address", Srec("1000CCDD", '1') + header + Srec("1001EE", '1') + end,
         "lines 1 and 3 give different bytes at address 0x00001001", {}, nullptr},
        {"different bytes below the first record", Srec("1002CC", '1') + Srec("1000AABB", '1') + Srec("1001EE", '1') + end,
         "lines 2 and 3 give different bytes at address 0x00001001", {}, nullptr},
        {"after end", Srec("1000CC", '1') + end + "junk\n", nullptr, {0xCC}, "line 3 follows the end record"},
        {"too wide", Srec("00000000CC", '3') + Srec("7FFFFFFFDD", '3') + "S70500000000FA\n",
         "line 2: data at 0x7FFFFFFF lies beyond the largest image", {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto source = folder.Write("in.srec", c.text);
        const auto destination = folder / "out.bin";
        const ConversionReport report = SrecToBin(source, destination);
        if (c.errorPart) {
            EXPECT_FALSE(report.ok);
            EXPECT_NE(report.error.find(c.errorPart), std::string::npos) << report.error;
            EXPECT_EQ(report.error.rfind(source.string(), 0), 0u) << report.error;
        } else {
            EXPECT_TRUE(report.ok) << report.error;
        }
        EXPECT_EQ(ReadBytes(destination), c.image);
        if (c.warningPart) {
            ASSERT_FALSE(report.warnings.empty());
            EXPECT_NE(report.warnings.back().find(c.warningPart), std::string::npos) << report.warnings.back();
        }
    }
}

// A large text goes to its sink block by block while the next is made; a
// block the sink refuses (a full disk) fails the whole text, and nothing
// after it is offered.
TEST(ImageFormats, WriterStopsAtTheFirstRefusedBlock) {
    const std::vector<uint8_t> image = RandomImage(std::size_t{1} << 20, 7);
    for (const char* extension : {"hex", "srec"}) {
        SCOPED_TRACE(extension);
        std::size_t offered = 0;
        const ByteSink refuseSecond = [&offered](const char*, std::size_t) { return ++offered < 2; };
        std::string error;
        EXPECT_FALSE(ImageFormatOf(std::string("x.") + extension).write({0, image}, extension, refuseSecond, error, 2));
        EXPECT_EQ(offered, 2u);
    }
}

TEST(ImageFormats, OpenReadsSrecAndSaveWritesByExtensionAtTheBufferStart) {
    testing::BufferSession t;
    t.SelectChip(256);
    const auto source = t.folder.Write("in.s19", "S0030000FC\n" + Srec("0100010203", '1') + "S9030000FC\n");
    t.fileDialog.answers.push_back(source.string());
    ChooseAndOpenFile(t.session.Buffer, t.caption, BuiltInTexts());
    ASSERT_TRUE(t.messages.errors.empty()) << t.messages.errors[0];
    EXPECT_EQ(t.session.Buffer.RamFile.DataLen, 3u);
    EXPECT_EQ(t.session.Buffer.RamFile.Data[2], 0x03);

    t.session.Chip.PrjInfo.RamStartAddr = 0x8000;
    struct Save {
        const char* name;
        std::string content;
    };
    const Save saves[] = {{"out.hex", ":020000040000FA\n:0380000001020377\n:00000001FF\n"},
                          {"out.s19", "S0030000FC\nS106800001020373\nS90380007C\n"},
                          {"out.s28", "S0030000FC\nS20700800001020372\nS8040080007B\n"},
                          {"out", std::string("\x01\x02\x03", 3)}};
    for (const Save& save : saves) {
        SCOPED_TRACE(save.name);
        t.fileDialog.answers.push_back((t.folder / save.name).string());
        SaveBufferAs(t.session.Buffer);
        std::string written;
        for (uint8_t byte : ReadBytes(t.folder / (std::string(save.name) + (save.content.size() == 3 ? ".bin" : ""))))
            if (byte != '\r') written += static_cast<char>(byte);
        EXPECT_EQ(written, save.content);
    }
    // A chip address the record type cannot hold is refused, not cut.
    t.session.Chip.PrjInfo.RamStartAddr = 0xFFFF;
    t.fileDialog.answers.push_back((t.folder / "wide.s19").string());
    SaveBufferAs(t.session.Buffer);
    ASSERT_FALSE(t.messages.errors.empty());
    EXPECT_SAYS(t.messages.errors.back(), "无法放入这种文件类型的记录");
    EXPECT_FALSE(std::filesystem::exists(t.folder / "wide.s19"));
}

}  // namespace
}  // namespace tq
