#include "core/buffer/cap_conversion.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/scratch_folder.h"

namespace tq {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;

std::vector<uint8_t> RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(count);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

TEST(CapToBin, DropsTheHeaderOfEverySize) {
    struct Case {
        std::size_t sourceSize;
        bool warned;  // the source is no longer than the header
    };
    const Case cases[] = {
        {2048 + 4096, false}, {2000, true}, {2048, true}, {0, true}, {2049, false},
        {2048 + (std::size_t{1} << 20) + 5, false},  // several read chunks, the last one short
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sourceSize);
        ScratchFolder folder;
        const std::vector<uint8_t> source = RandomBytes(c.sourceSize, static_cast<unsigned>(c.sourceSize));
        const ConversionReport report = CapToBin(folder.Write("in.cap", source), folder / "out.bin");
        EXPECT_TRUE(report.ok) << report.error;
        const std::vector<uint8_t> expected =
            c.sourceSize > 2048 ? std::vector<uint8_t>(source.begin() + 2048, source.end()) : std::vector<uint8_t>{};
        EXPECT_EQ(ReadBytes(folder / "out.bin"), expected);
        EXPECT_EQ(report.warnings.size(), c.warned ? 1u : 0u);
        EXPECT_EQ(ImageLeftEmpty(report), c.warned);
    }
}

TEST(CapToBin, FailuresNameTheFileAndLeaveAnEmptyDestination) {
    ScratchFolder folder;
    const auto destination = folder.Write("out.bin", std::string(10, 'x'));
    const ConversionReport missing = CapToBin(folder / "missing.cap", destination);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("missing.cap"), std::string::npos) << missing.error;
    ASSERT_TRUE(std::filesystem::exists(destination));
    EXPECT_EQ(std::filesystem::file_size(destination), 0u);

    const auto unwritable = folder / "absent" / "out.bin";
    const ConversionReport noFolder = CapToBin(folder.Write("in.cap", RandomBytes(3000, 1)), unwritable);
    EXPECT_FALSE(noFolder.ok);
    EXPECT_NE(noFolder.error.find(unwritable.string()), std::string::npos) << noFolder.error;
}

}  // namespace
}  // namespace tq
