#include "core/project/project_crc.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/project_fixture.h"

namespace tq {
namespace {

TEST(ProjectCrc, IsTheStandardCrcUpTo1024BytesAndComplementedPerPieceBeyond) {
    const std::vector<uint8_t> abc{'a', 'b', 'c'};
    const std::vector<uint8_t> zeros1024(1024, 0), zeros1025(1025, 0);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        uint32_t crc;
    };
    const Case cases[] = {
        {"empty", {}, 0xFFFFFFFF},
        {"abc", abc, 0x352441C2},
        {"1024 zeros: one piece, the standard CRC-32", zeros1024, 0xEFB5AF2E},
        {"1025 zeros: complemented after the first piece", zeros1025, 0x23C6479F},
    };
    testing::ProgramFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProjectCrc(c.bytes.data(), c.bytes.size()), c.crc);
        DataFileFacts facts;
        ASSERT_EQ(ProjectCrcOfFile(testing::WriteBinary(folder, "data.bin", c.bytes), facts), DataFileError::None);
        EXPECT_EQ(facts.crc, c.crc);
        EXPECT_EQ(facts.length, c.bytes.size());
    }
}

TEST(ProjectCrc, OfAFileMatchesTheInMemoryChecksumAcrossManyPieces) {
    testing::ProgramFolder folder;
    const std::vector<uint8_t> bytes = testing::PatternBytes(5000);
    DataFileFacts facts;
    ASSERT_EQ(ProjectCrcOfFile(testing::WriteBinary(folder, "data.bin", bytes), facts), DataFileError::None);
    EXPECT_EQ(facts.crc, ProjectCrc(bytes.data(), bytes.size()));
    EXPECT_EQ(facts.length, 5000u);
}

TEST(ProjectCrc, AMissingFileOrAFolderCannotBeOpened) {
    testing::ProgramFolder folder;
    DataFileFacts facts;
    facts.crc = 1;
    EXPECT_EQ(ProjectCrcOfFile(folder / "missing.bin", facts), DataFileError::CannotOpen);
    EXPECT_EQ(ProjectCrcOfFile(folder.path(), facts), DataFileError::CannotOpen);
    EXPECT_EQ(facts.crc, 1u);
}

}  // namespace
}  // namespace tq
