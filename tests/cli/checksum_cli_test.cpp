// `checksum` of files and of the simulated chip, as text and as JSON.
#include <gtest/gtest.h>

#include "support/expect.h"
#include "support/hex_records.h"
#include "support/sim_cli_folder.h"

namespace tq {
namespace {

using testing::CliResult;

TEST(ChecksumCommand, SumsAFileImageOrTheChipAndFailsOnAFileItCannotRead) {
    testing::SimCliFolder folder;
    folder.WriteBytes("abc.bin", "abc");
    // The HEX file's image, not its text, is summed.
    folder.WriteBytes("digits.hex", testing::DataRecord(0, {'1', '2', '3', '4', '5', '6', '7', '8', '9'}) +
                                        testing::EndRecord());
    const CliResult binary = folder.Run({"checksum", folder.File("abc.bin")});
    EXPECT_THAT(binary, testing::ExitedWith(0));
    EXPECT_SAYS(binary.out, "CRC-32:   352441c2");
    EXPECT_SAYS(binary.out, "MD5:      900150983cd24fb0d6963f7d28e17f72");
    EXPECT_SAYS(binary.out, "SHA-256:  ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_SAYS(binary.out, "CheckSum: 0x00000126");

    const CliResult hex = folder.Run({"checksum", "--json", folder.File("digits.hex")});
    EXPECT_THAT(hex, testing::ExitedWith(0));
    EXPECT_SAYS(hex.out, "\"bytes\": 9");
    EXPECT_SAYS(hex.out, "\"crc32\": \"cbf43926\"");

    const CliResult missing = folder.Run({"--lang", "2", "checksum", folder.File("absent.bin")});
    EXPECT_THAT(missing, testing::ExitedWith(1));
    EXPECT_SAYS(missing.err, "absent.bin");
    EXPECT_EQ(missing.out, "");

    // The chip holds what was written: its sums are the file's.
    const std::string state = folder.File("S");
    std::string image(256, '\0');
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7 + 1);
    folder.WriteBytes("chip.bin", image);
    ASSERT_EQ(folder.RunSimulated({"--sim-state", state, "-c", "24C02", "write", folder.File("chip.bin")}).status, 0);
    const CliResult chip = folder.RunSimulated({"--sim-state", state, "-c", "24C02", "checksum", "--chip", "--json"});
    EXPECT_THAT(chip, testing::ExitedWith(0));
    const CliResult file = folder.Run({"checksum", "--json", folder.File("chip.bin")});
    const auto from = [](const std::string& json) { return json.substr(json.find("\"bytes\"")); };
    EXPECT_EQ(from(chip.out), from(file.out));
}

// A part of an image, and the chip-sized buffer a file makes: after an auto
// run of the file, the chip's sums are the buffer's.
TEST(ChecksumCommand, SumsARangeAndTheBufferTheChipWillHold) {
    testing::SimCliFolder folder;
    folder.WriteBytes("digits.bin", "xx123456789");
    const CliResult part = folder.Run({"checksum", "--from", "2", "--to", "A", folder.File("digits.bin")});
    EXPECT_THAT(part, testing::ExitedWith(0));
    EXPECT_SAYS(part.out, "9 bytes, 0x000002-0x00000A");
    EXPECT_SAYS(part.out, "CRC-32:   cbf43926");
    const CliResult outside = folder.Run({"--lang", "2", "checksum", "--to", "B", folder.File("digits.bin")});
    EXPECT_THAT(outside, testing::ExitedWith(2));
    EXPECT_SAYS(outside.err, "not inside the image 0x000000–0x00000A");

    const std::string state = folder.File("S");
    ASSERT_EQ(folder.RunSimulated({"--sim-state", state, "-c", "24C02", "auto", folder.File("digits.bin")}).status, 0);
    const CliResult chip = folder.RunSimulated({"--sim-state", state, "-c", "24C02", "checksum", "--chip", "--json"});
    const CliResult buffer = folder.Run({"-c", "24C02", "checksum", "--json", "--buffer", folder.File("digits.bin")});
    EXPECT_THAT(buffer, testing::ExitedWith(0));
    EXPECT_SAYS(buffer.out, "\"bytes\": 256");
    const auto from = [](const std::string& json) { return json.substr(json.find("\"first\"")); };
    EXPECT_EQ(from(chip.out), from(buffer.out));
}

}  // namespace
}  // namespace tq
