// Intel HEX and S-record files as srec_cat and objcopy write them, in every
// variant either can write, and the hand-made variants people run into: we
// must read each to the image the two tools read, or refuse naming the line
// where both refuse; and both tools must read back every file we write.
// With TQPROG_CONFORMANCE_TABLE set, the table of results is printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "core/buffer/image_formats.h"
#include "support/expect.h"
#include "support/hex_records.h"
#include "support/scratch_folder.h"

namespace tq {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;

bool Have(const std::string& tool) { return std::system((tool + " --version >/dev/null 2>&1").c_str()) == 0; }

std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

std::vector<uint8_t> RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(size);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
    return bytes;
}

// What a reader made of a file: refused, or the image from `address`.
struct Reading {
    bool read = false;
    uint64_t address = 0;
    std::vector<uint8_t> bytes;
    std::string said;  // our error or warnings
};

bool IsHex(const std::string& file) { return file.size() > 4 && file.substr(file.size() - 4) == ".hex"; }

// srec_cat's image of the file from `address` on; it writes binary output
// at the data's own addresses, so the image is moved down to 0 first.
Reading SrecCatReads(const ScratchFolder& folder, const std::string& file, uint64_t address) {
    const std::string out = folder.File("srec_cat.bin");
    std::remove(out.c_str());
    const std::string command = "srec_cat " + folder.File(file) + (IsHex(file) ? " -intel" : " -motorola") +
                                " -offset -" + Hex(address) + " -o " + out + " -binary >/dev/null 2>&1";
    Reading reading;
    reading.read = std::system(command.c_str()) == 0;
    if (reading.read) reading.address = address, reading.bytes = ReadBytes(out);
    return reading;
}

// objcopy's binary output starts at the lowest address it read.
Reading ObjcopyReads(const ScratchFolder& folder, const std::string& file, uint64_t address) {
    const std::string out = folder.File("objcopy.bin");
    std::remove(out.c_str());
    const std::string command = std::string("objcopy -I ") + (IsHex(file) ? "ihex" : "srec") +
                                " -O binary --gap-fill 0xff " + folder.File(file) + " " + out + " >/dev/null 2>&1";
    Reading reading;
    reading.read = std::system(command.c_str()) == 0;
    if (reading.read) reading.address = address, reading.bytes = ReadBytes(out);
    return reading;
}

Reading WeRead(const ScratchFolder& folder, const std::string& file) {
    Image image;
    const ConversionReport report = ReadImageFile(folder / file, {}, image);
    Reading reading;
    reading.read = report.ok && !report.leftEmpty;
    // Why it refused: the error, or for an image left empty its last warning.
    reading.said = !report.ok || report.warnings.empty() ? report.error : report.warnings.back();
    reading.address = image.address;
    reading.bytes = image.bytes;
    return reading;
}

// The same data at the same addresses. A HEX file without an extended
// address record keeps absolute addresses, so our image may start lower,
// with 0xFF up to the data.
bool SameImage(const Reading& ours, uint64_t address, const std::vector<uint8_t>& bytes) {
    if (!ours.read || ours.address > address || address - ours.address > ours.bytes.size()) return false;
    const auto lead = static_cast<std::size_t>(address - ours.address);
    for (std::size_t i = 0; i < lead; ++i)
        if (ours.bytes[i] != 0xFF) return false;
    return std::vector<uint8_t>(ours.bytes.begin() + static_cast<std::ptrdiff_t>(lead), ours.bytes.end()) == bytes;
}

std::string Verdict(const Reading& reading, uint64_t address, const std::vector<uint8_t>& bytes) {
    if (!reading.read) return "refuses";
    return SameImage(reading, address, bytes) ? "reads" : "reads " + std::to_string(reading.bytes.size()) + " other bytes";
}

struct Table {
    std::vector<std::string> rows;
    void Add(const std::string& variant, const std::string& srecCat, const std::string& objcopy, const std::string& ours) {
        rows.push_back("| " + variant + " | " + srecCat + " | " + objcopy + " | " + ours + " |");
    }
    ~Table() {
        if (!std::getenv("TQPROG_CONFORMANCE_TABLE")) return;
        std::cout << "| file | srec_cat | objcopy | tqprog |\n|---|---|---|---|\n";
        for (const std::string& row : rows) std::cout << row << '\n';
    }
};

class RecordFilesConformance : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Have("srec_cat")) GTEST_SKIP() << "srec_cat is not installed (Debian package srecord)";
        if (!Have("objcopy")) GTEST_SKIP() << "objcopy is not installed (Debian package binutils)";
    }
    static Table table_;
};
Table RecordFilesConformance::table_;

// 1000 bytes: not a whole number of records of any length tried.
const std::vector<uint8_t> kImage = RandomBytes(1000, 29);

TEST_F(RecordFilesConformance, FilesTheToolsWriteAndHandMadeVariantsReadAsTheToolsReadThem) {
    struct Variant {
        std::string name;
        std::string file;     // .hex or .srec
        std::string command;  // writes OUT from the image in IN at the address; empty: `text`
        std::string text;
        uint64_t address;                // where the data the file holds starts
        std::vector<uint8_t> image;      // that data
        const char* ours;                // null: we read the data; else a part of our refusal naming the line
        const char* note = nullptr;      // why we differ from both tools, where we do
    };
    std::vector<Variant> variants;
    const auto srecCat = [&](const std::string& name, const std::string& file, const std::string& output,
                             uint64_t address) {
        variants.push_back({name, file, "srec_cat IN -binary -offset " + Hex(address) + " -o OUT " + output, "",
                            address, kImage, nullptr});
    };
    const auto objcopy = [&](const std::string& name, const std::string& file, const std::string& output,
                             uint64_t address) {
        variants.push_back({name, file, "objcopy -I binary --change-addresses " + Hex(address) + " " + output + " IN OUT",
                            "", address, kImage, nullptr});
    };
    // Offsets: 0, 0x1000, across a 64 KiB boundary, above 16 MiB.
    const uint64_t offsets[] = {0, 0x1000, 0xFF80, 0x1234000};
    for (uint64_t at : offsets) {
        if (at + kImage.size() <= 0x10000) srecCat("I8HEX at " + Hex(at), "a.hex", "-intel -address-length=2", at);
        if (at + kImage.size() <= 0x100000) srecCat("I16HEX at " + Hex(at), "a.hex", "-intel -address-length=3", at);
        srecCat("I32HEX at " + Hex(at), "a.hex", "-intel -address-length=4", at);
        objcopy("objcopy ihex at " + Hex(at), "a.hex", "-O ihex", at);
        if (at + kImage.size() <= 0x10000) srecCat("S19 at " + Hex(at), "a.srec", "-motorola -address-length=2", at);
        if (at + kImage.size() <= 0x1000000) srecCat("S28 at " + Hex(at), "a.srec", "-motorola -address-length=3", at);
        srecCat("S37 at " + Hex(at), "a.srec", "-motorola -address-length=4", at);
        objcopy("objcopy srec at " + Hex(at), "a.srec", "-O srec", at);
        objcopy("objcopy srec S3 at " + Hex(at), "a.srec", "-O srec --srec-forceS3", at);
    }
    for (int length : {1, 16, 32, 64, 255}) {
        const std::string size = std::to_string(length);
        srecCat("I32HEX, records of " + size, "a.hex", "-intel -address-length=4 -obs=" + size, 0xFF80);
        // An S2 record holds at most 251 data bytes.
        const std::string s2Size = std::to_string(std::min(length, 251));
        srecCat("S28, records of " + s2Size, "a.srec", "-motorola -address-length=3 -obs=" + s2Size, 0xFF80);
        objcopy("objcopy srec, records of " + size, "a.srec", "-O srec --srec-len " + size, 0xFF80);
    }
    // srec_cat writes a header and a record count but no S7/S8/S9 for binary input.
    srecCat("S19 without header", "a.srec", "-motorola -disable=header", 0x1000);
    srecCat("S19 without count", "a.srec", "-motorola -disable=data-count", 0x1000);
    srecCat("S19 with termination (S9)", "a.srec", "-motorola -execution-start-address=0x1000", 0x1000);
    srecCat("S37 with termination (S7)", "a.srec", "-motorola -address-length=4 -execution-start-address=0x1000",
            0x1000);
    srecCat("S19 data records only", "a.srec", "-motorola -data-only", 0x1000);
    srecCat("HEX with start address (05)", "a.hex", "-intel -address-length=4 -execution-start-address=0x1000", 0x1000);

    // Hand-made: 32 bytes at 0 in two records.
    using testing::Counting;
    using testing::DataRecord;
    using testing::EndRecord;
    const std::vector<uint8_t> bytes32 = Counting(0, 32);
    const std::string low = DataRecord(0x0000, Counting(0, 16)), high = DataRecord(0x0010, Counting(16, 16));
    const auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
            text.replace(at, from.size(), to);
        return text;
    };
    const auto hand = [&](const std::string& name, const std::string& file, const std::string& text,
                          std::vector<uint8_t> image, const char* ours, const char* note = nullptr) {
        variants.push_back({name, file, "", text, 0, std::move(image), ours, note});
    };
    hand("HEX with a blank line between records", "h.hex", low + "\n" + high + EndRecord(), bytes32, nullptr);
    hand("HEX with a whitespace-only line", "h.hex", low + " \t\n" + high + EndRecord(), bytes32, nullptr);
    hand("HEX without the end-of-file record", "h.hex", low + high, bytes32, nullptr);
    hand("HEX with CR line ends", "h.hex", replaced(low + high + EndRecord(), "\n", "\r"), bytes32, nullptr);
    hand("HEX with CRLF line ends", "h.hex", replaced(low + high + EndRecord(), "\n", "\r\n"), bytes32, nullptr);
    hand("HEX in lower case", "h.hex", replaced(replaced(low + high + EndRecord(), "A", "a"), "F", "f"), bytes32,
         nullptr);
    hand("HEX with data after the end record", "h.hex", low + EndRecord() + high + EndRecord(), Counting(0, 16),
         nullptr);
    hand("HEX repeating bytes over the same addresses", "h.hex", low + high + DataRecord(0x0008, Counting(8, 16)) +
                                                                     EndRecord(),
         bytes32, nullptr);
    hand("HEX giving one address different bytes", "h.hex",
         low + high + DataRecord(0x0008, Counting(0x48, 16)) + EndRecord(), bytes32,
         "lines 1 and 3 give different bytes at address 0x00000008", "objcopy lets the later record win");
    hand("HEX cut short inside a record", "h.hex", low + high.substr(0, 20), bytes32,
         "line 2: data record shorter than its byte count 16");
    std::string wrongSum = low + high + EndRecord();
    wrongSum[low.size() + high.size() - 2] = wrongSum[low.size() + high.size() - 2] == '0' ? '1' : '0';
    hand("HEX with a wrong record checksum", "h.hex", wrongSum, bytes32, "line 2: checksum mismatch");
    hand("HEX record ending before its checksum", "h.hex", low + high.substr(0, high.size() - 3) + "\n" + EndRecord(),
         bytes32, "line 2: record length does not match its byte count");
    hand("HEX with a line that is no record", "h.hex", low + "garbage\n" + high + EndRecord(), bytes32,
         "line 2 does not start with ':'");
    const std::string s1 = "S1131000000102030405060708090A0B0C0D0E0F64\n",
                      s2 = "S1131010101112131415161718191A1B1C1D1E1F54\n", s9 = "S9031000EC\n";
    const auto handSrec = [&](const std::string& name, const std::string& text, std::vector<uint8_t> image,
                              const char* ours, const char* note = nullptr) {
        variants.push_back({name, "h.srec", "", text, 0x1000, std::move(image), ours, note});
    };
    handSrec("S19 without S9", s1 + s2, bytes32, nullptr);
    handSrec("S19 with a blank line", s1 + "\n" + s2 + s9, bytes32, nullptr);
    handSrec("S19 with CR line ends", replaced(s1 + s2 + s9, "\n", "\r"), bytes32, nullptr);
    handSrec("S19 with data after S9", s1 + s9 + s2 + s9, Counting(0, 16), nullptr);
    handSrec("S19 giving one address different bytes", s1 + s2 + "S1071008AABBCCDDD2\n" + s9, bytes32,
             "lines 1 and 3 give different bytes at address 0x00001008", "objcopy lets the later record win");
    handSrec("S19 cut short inside a record", s1 + s2.substr(0, 20), bytes32, "line 2:");
    handSrec("S19 with a wrong checksum", replaced(s1 + s2 + s9, "54\n", "55\n"), bytes32,
             "line 2: checksum mismatch");

    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        ScratchFolder folder;
        if (v.command.empty()) {
            folder.Write(v.file, v.text);
        } else {
            folder.Write("in.bin", v.image);
            const std::string command =
                replaced(replaced(v.command, "IN", folder.File("in.bin")), "OUT", folder.File(v.file));
            ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
        }
        const Reading theirs[] = {SrecCatReads(folder, v.file, v.address), ObjcopyReads(folder, v.file, v.address)};
        const Reading ours = WeRead(folder, v.file);
        if (v.ours) {
            EXPECT_FALSE(ours.read);
            EXPECT_SAYS(ours.said, v.ours);
        } else {
            EXPECT_TRUE(SameImage(ours, v.address, v.image)) << ours.said;
        }
        // Where we read, a tool reads the same image; where both read alike, so do
        // we; where both refuse, so do we. A note says why a row differs.
        const auto same = [&](const Reading& reading) { return reading.read && reading.bytes == v.image; };
        if (!v.note) {
            if (ours.read) {
                EXPECT_TRUE(same(theirs[0]) || same(theirs[1]));
            }
            if (same(theirs[0]) && same(theirs[1])) {
                EXPECT_TRUE(ours.read);
            }
            if (!theirs[0].read && !theirs[1].read) {
                EXPECT_FALSE(ours.read);
            }
        }
        std::string said = Verdict(ours, v.address, v.image);
        if (!ours.read) said += ": " + replaced(ours.said, folder.File(v.file) + ": ", "");
        if (v.note) said += " (" + std::string(v.note) + ")";
        table_.Add(v.name, Verdict(theirs[0], v.address, v.image), Verdict(theirs[1], v.address, v.image), said);
    }
}

TEST_F(RecordFilesConformance, BothToolsReadBackEveryFileWeWrite) {
    const uint64_t offsets[] = {0, 0x1000, 0xFF80, 0x1234000};
    for (const char* extension : {"hex", "srec", "s19", "s28", "s37"}) {
        for (uint64_t at : offsets) {
            const std::string name = std::string("ours .") + extension + " at " + Hex(at);
            SCOPED_TRACE(name);
            ScratchFolder folder;
            const std::string file = std::string("a.") + extension;
            std::string error;
            const bool written = WriteImageFile(folder / file, {at, kImage}, Durability::Flushed, error);
            // S1 records hold 16-bit addresses only, S2 24-bit ones.
            const bool fits = !(extension == std::string("s19") && at + kImage.size() > 0x10000) &&
                              !(extension == std::string("s28") && at + kImage.size() > 0x1000000);
            ASSERT_EQ(written, fits) << error;
            if (!written) continue;
            // The tools tell the formats by their own options, not by the extension.
            const std::string asRead = extension == std::string("hex") ? "a.hex" : "a.srec";
            if (asRead != file) std::filesystem::rename(folder / file, folder / asRead);
            const Reading theirs[] = {SrecCatReads(folder, asRead, at), ObjcopyReads(folder, asRead, at)};
            EXPECT_TRUE(theirs[0].read && theirs[0].bytes == kImage) << "srec_cat";
            EXPECT_TRUE(theirs[1].read && theirs[1].bytes == kImage) << "objcopy";
            table_.Add(name, Verdict(theirs[0], at, kImage), Verdict(theirs[1], at, kImage), "writes");
        }
    }
}

}  // namespace
}  // namespace tq
