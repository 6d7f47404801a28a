// `compare` of two files and of a file with the simulated chip: exit status,
// the printed ranges and the JSON a script reads.
#include <gtest/gtest.h>

#include "support/expect.h"
#include "support/hex_records.h"
#include "support/sim_cli_folder.h"

namespace tq {
namespace {

using testing::CliResult;

TEST(CompareCommand, PrintsTheDifferingRangesAndExitsByTheResult) {
    testing::SimCliFolder folder;
    std::string image(256, '\0');
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7 + 1);
    std::string oneByte = image, noisy = image;
    oneByte[0x20] ^= 0x40;
    for (size_t i = 0; i < noisy.size(); i += 8) noisy[i] ^= 1;  // 32 ranges: more than a screen lists
    folder.WriteBytes("a.bin", image);
    folder.WriteBytes("b.bin", oneByte);
    folder.WriteBytes("noisy.bin", noisy);
    folder.WriteBytes("a.hex", testing::DataRecord(0, std::vector<uint8_t>(image.begin(), image.begin() + 128)) +
                                   testing::DataRecord(128, std::vector<uint8_t>(image.begin() + 128, image.end())) +
                                   testing::EndRecord());
    const std::string state = folder.File("S");
    ASSERT_EQ(folder.RunSimulated({"--sim-state", state, "-c", "24C02", "write", folder.File("a.bin")}).status, 0);

    const struct {
        const char* name;
        std::vector<std::string> args;
        bool simulated;
        int status;
        std::vector<std::string> says;
    } cases[] = {
        {"equal files", {"a.bin", "a.bin"}, false, 0, {"The images are equal"}},
        {"a HEX file's image", {"a.hex", "a.bin"}, false, 0, {"The images are equal"}},
        {"one byte", {"a.bin", "b.bin"}, false, 1,
         {"Differing bytes: 1, ranges: 1, first: 0x000020, last: 0x000020", "  0x000020-0x000020 (length 1)\n"}},
        {"capped list", {"a.bin", "noisy.bin"}, false, 1,
         {"Differing bytes: 32, ranges: 32, first: 0x000000, last: 0x0000F8", "  0x000098-0x000098 (length 1)\n",
          "... ranges not listed: 12"}},
        {"json", {"--json", "a.bin", "b.bin"}, false, 1,
         {"\"equal\": false", "\"differing_bytes\": 1", "{\"first\": \"0x000020\", \"last\": \"0x000020\", \"bytes\": 1}"}},
        {"missing file", {"a.bin", "absent.bin"}, false, 2, {"absent.bin"}},
        {"one file only", {"a.bin"}, false, 2, {}},
        {"chip equal", {"--chip", "a.bin"}, true, 0, {"The images are equal"}},
        {"chip differs", {"--chip", "b.bin"}, true, 1, {"  0x000020-0x000020 (length 1)\n"}},
        {"chip json", {"--chip", "--json", "a.bin"}, true, 0, {"\"equal\": true", "\"b\": \"24C02\""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"--lang", "2"};
        if (c.simulated) args.insert(args.end(), {"--sim-state", state, "-c", "24C02"});
        args.push_back("compare");
        for (const std::string& arg : c.args) args.push_back(arg.ends_with(".bin") || arg.ends_with(".hex") ? folder.File(arg) : arg);
        const CliResult result = c.simulated ? folder.RunSimulated(args) : folder.Run(args);
        EXPECT_THAT(result, testing::ExitedWith(c.status));
        for (const std::string& text : c.says) EXPECT_SAYS(result.out + result.err, text);
    }
}

}  // namespace
}  // namespace tq
