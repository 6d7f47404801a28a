#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "core/buffer/file_merge.h"
#include "core/texts/text_catalogue.h"
#include "support/expect.h"
#include "support/hex_records.h"
#include "support/sim_cli_folder.h"
#include "support/scratch_folder.h"

namespace tq {
namespace {

using testing::Concat;
using testing::Counting;
using testing::ReadBytes;
using testing::ScratchFolder;

struct CliRun {
    int status;
    std::string out, err;
};

CliRun RunTool(const ScratchFolder& folder, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"tqprog-cli", "--program-dir", folder.path().string()});
    std::vector<const char*> argv;
    for (const auto& argument : arguments) argv.push_back(argument.c_str());
    std::ostringstream out, err;
    const int status = RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, out.str(), err.str()};
}

TEST(ConvertCommand, ConvertsByTheSourceExtension) {
    ScratchFolder folder;
    const std::string hex = testing::LinearAddressRecord(0x0800) + testing::DataRecord(0, Counting(0, 16)) +
                            testing::DataRecord(0x10, Counting(16, 16)) + testing::EndRecord();
    std::vector<uint8_t> cap(2048 + 3, 0xCC);  // header, then the image 01 02 03
    cap[2048] = 1;
    cap[2049] = 2;
    cap[2050] = 3;
    struct Case {
        std::string name;  // source file name
        std::string content;
        int status;
        std::vector<uint8_t> image;
        const char* errorPart;
    };
    const Case cases[] = {
        {"IMAGE.HEX", hex, 0, Counting(0, 32), nullptr},
        {"image.Hex", hex, 0, Counting(0, 32), nullptr},
        {"image.cap", std::string(cap.begin(), cap.end()), 0, {1, 2, 3}, nullptr},
        {"image.hex.bin", hex, 1, {}, "都是二进制映像：无需转换"},
        {"noext", hex, 1, {}, "无需转换"},
        {"no-end.hex", hex.substr(0, hex.size() - 12), 0, Counting(0, 32), nullptr},
        {"broken.hex", testing::LinearAddressRecord(0x0800), 1, {}, "不含映像"},
        {"short.cap", std::string(2000, 'x'), 1, {}, "不含映像"},
        {"below.hex",
         testing::LinearAddressRecord(0x0800) + testing::DataRecord(0x10, Counting(0, 16)) +
             testing::DataRecord(0, Counting(16, 16)) + testing::EndRecord(),
         1, {}, "第 3 行：地址 0x08000000 处的数据低于映像起始地址 0x08000010"},
        {"sparse.hex", testing::DataRecord(0x20, Counting(0, 16)) + testing::EndRecord(), 0,
         Concat(std::vector<uint8_t>(0x20, 0xFF), Counting(0, 16)), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto source = folder.Write(c.name, c.content);
        const auto output = folder / "out.bin";
        std::filesystem::remove(output);
        const CliRun run = RunTool(folder, {"convert", source.string(), output.string()});
        EXPECT_EQ(run.status, c.status) << run.err;
        if (c.errorPart) {
            EXPECT_SAYS(run.err, c.errorPart);
        } else {
            EXPECT_EQ(ReadBytes(output), c.image);
            EXPECT_NE(run.out.find(std::to_string(c.image.size()) + " bytes"), std::string::npos) << run.out;
        }
    }
    // The reason for an empty image is printed.
    const CliRun broken = RunTool(folder, {"convert", (folder / "broken.hex").string(), (folder / "out.bin").string()});
    EXPECT_SAYS(broken.err, "warning: 没有文件结束记录");
    // A file without its end record converts, with a warning that it may be cut short.
    const CliRun noEnd = RunTool(folder, {"convert", (folder / "no-end.hex").string(), (folder / "out.bin").string()});
    EXPECT_SAYS(noEnd.err, "warning: 没有结束记录（01），文件可能不完整");
}

// bin -> hex -> s37 -> srec -> bin keeps the bytes and the address; CAP is read only.
TEST(ConvertCommand, ConvertsEveryDirectionKeepingTheAddress) {
    ScratchFolder folder;
    const std::vector<uint8_t> image = Counting(7, 300);
    const std::string bin = folder.Write("image.bin", image).string();
    const auto path = [&](const char* name) { return (folder / name).string(); };
    struct Step {
        std::vector<std::string> arguments;
        const char* outPart;
    };
    const Step steps[] = {
        {{"convert", bin, path("a.hex"), "--address", "8000"}, "from address 00008000"},
        {{"convert", path("a.hex"), path("b.s37")}, "from address 00008000"},
        {{"convert", path("b.s37"), path("c.srec"), "--address", "12340"}, "from address 00012340"},
        {{"convert", path("c.srec"), path("d.bin")}, "300 bytes"},
    };
    for (const Step& step : steps) {
        const CliRun run = RunTool(folder, step.arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(step.outPart), std::string::npos) << run.out;
    }
    EXPECT_EQ(ReadBytes(folder / "d.bin"), image);
    const std::vector<uint8_t> s37 = ReadBytes(folder / "b.s37");
    EXPECT_NE(std::string(s37.begin(), s37.end()).find("\nS3"), std::string::npos);  // as the extension asks

    const CliRun capOut = RunTool(folder, {"convert", bin, path("e.cap")});
    EXPECT_EQ(capOut.status, 1);
    EXPECT_NE(capOut.err.find("CAP 文件只读不写"), std::string::npos) << capOut.err;
    const CliRun badAddress = RunTool(folder, {"convert", bin, path("e.hex"), "--address", "1G"});
    EXPECT_EQ(badAddress.status, 2);  // a malformed value, as for --start
    EXPECT_FALSE(std::filesystem::exists(folder / "e.hex"));
}

// convert --address and the chip commands' --start read a number the same way.
TEST(ConvertCommand, AddressAndStartAcceptAndRefuseTheSameTexts) {
    testing::SimCliFolder folder;
    const std::string image = folder.Write("image.bin", Counting(1, 16)).string();
    const struct {
        const char* text;
        bool accepted;
    } cases[] = {{"10", true},  {"0x10", true},      {"0X1f", true},  {"FFFFFFF0", true}, {"", false},
                 {"0x", false}, {"123456789", false}, {"1G", false}, {" 10", false},     {"-1", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        const auto address = folder.Run({"--lang", "2", "convert", image, folder.File("out.hex"), "--address", c.text});
        const auto start = folder.RunSimulated({"--lang", "2", "-c", "24C02", "--start", c.text, "blank"});
        for (const auto& [option, run] : {std::pair{"--address", address}, std::pair{"--start", start}}) {
            SCOPED_TRACE(option);
            const std::string refusal = std::string("tqprog-cli: ") + option +
                                        " wants 1 to 8 hexadecimal digits, not \"" + c.text + "\"\n";
            if (c.accepted) {
                EXPECT_NE(run.status, 2) << run.err;
                EXPECT_EQ(run.err.find("wants 1 to 8"), std::string::npos) << run.err;
            } else {
                EXPECT_EQ(run.status, 2) << run.err;
                EXPECT_EQ(run.err, refusal);
            }
        }
    }
}

TEST(ConvertCommand, ReportsFilesThatCannotBeOpened) {
    ScratchFolder folder;
    const std::string missing = (folder / "missing.hex").string();
    const CliRun run = RunTool(folder, {"convert", missing, (folder / "out.bin").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_SAYS(run.err, "无法打开 " + missing);

    const std::string badOutput = (folder / "absent" / "out.bin").string();
    const CliRun noFolder = RunTool(folder, {"convert", folder.Write("in.cap", std::string(3000, 'x')).string(), badOutput});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_NE(noFolder.err.find(badOutput), std::string::npos) << noFolder.err;
}

TEST(MergeCommand, PlacesFilesAtTheirStartsWithTheMergeMessages) {
    ScratchFolder folder;
    const std::string a = folder.Write("a.bin", std::vector<uint8_t>(0x100, 0x11)).string();
    const std::string b = folder.Write("b.bin", std::vector<uint8_t>(0x80, 0x22)).string();
    std::filesystem::create_directory(folder / "v@1");  // an "@" inside a folder name is part of the path
    const std::string nested = folder.Write("v@1/c.bin", std::vector<uint8_t>(0x10, 0x33)).string();
    const std::string out = (folder / "merged.bin").string();
    auto expected = [](std::initializer_list<std::pair<std::size_t, uint8_t>> runs) {
        std::vector<uint8_t> bytes;
        for (auto [count, value] : runs) bytes.insert(bytes.end(), count, value);
        return bytes;
    };
    struct Case {
        std::vector<std::string> arguments;
        int status;
        int language = -1;  // --lang; -1: not given
        std::vector<uint8_t> output;
        std::string outPart;  // empty: not looked for
        std::string errPart;
    };
    const Case cases[] = {
        {{a, b}, 0, -1, expected({{0x100, 0x11}, {0x80, 0x22}}), Text(0, TextId::MergeDone), ""},
        {{a, b + "@200"}, 0, -1, expected({{0x100, 0x11}, {0x100, 0xFF}, {0x80, 0x22}}), "2  200  0000027F", ""},
        {{a, b + "@00000200", "--fill", "00"}, 0, -1, expected({{0x100, 0x11}, {0x100, 0x00}, {0x80, 0x22}}), Text(0, TextId::MergeDone),
         ""},
        {{a, nested + "@110"}, 0, -1, expected({{0x100, 0x11}, {0x10, 0xFF}, {0x10, 0x33}}), Text(0, TextId::MergeDone), ""},
        {{a, b, "--fill", "F"}, 1, -1, {}, "", Text(0, TextId::MergeBadFill)},
        {{a}, 1, -1, {}, "", Text(0, TextId::MergeTooFewFiles)},
        {{a, b + "@xyz"}, 1, -1, {}, "", "'xyz' 不是有效的十六进制数值！"},
        {{a, b + "@FFFFFFFF"}, 1, 2, {}, "", "beyond 4 GiB"},
        {{a, (folder / "gone.bin").string()}, 1, 2, {}, "", "Cannot open the file: "},
        {{a, b, a, b, a}, 1, -1, {}, "", "最多只能合并 4 个文件"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        // A merge that fails leaves the earlier output file as it was.
        folder.Write("merged.bin", "old");
        std::vector<std::string> arguments{"merge", out};
        if (c.language >= 0) arguments.insert(arguments.begin(), {"--lang", std::to_string(c.language)});
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const CliRun run = RunTool(folder, arguments);
        EXPECT_EQ(run.status, c.status) << run.err;
        const std::vector<uint8_t> old{'o', 'l', 'd'};
        EXPECT_EQ(ReadBytes(out), c.status == 0 ? c.output : old);
        if (!c.outPart.empty()) {
            // The file table on stdout, the merge message on stderr.
            EXPECT_NE((run.out + run.err).find(c.outPart), std::string::npos) << run.out << run.err;
        }
        if (!c.errPart.empty()) {
            EXPECT_NE(run.err.find(c.errPart), std::string::npos) << run.err;
        }
    }
}

}  // namespace
}  // namespace tq
