#include "core/project/project_crc.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/project/project_download.h"
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
    testing::ProjectSession s;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProjectCrc(c.bytes.data(), c.bytes.size()), c.crc);
        const std::string path = testing::WriteBinary(s.folder, "data.bin", c.bytes).string();
        std::vector<uint8_t> data;
        ASSERT_TRUE(ReadDataFile(s.session.Operation, s.messages, path, data));
        Prj_Info_Struct offline;
        RecordDataFile(offline, path, data);
        EXPECT_EQ(offline.Crc32, c.crc);
        EXPECT_EQ(offline.FileLen, c.bytes.size());
    }
}

TEST(ProjectCrc, OfAFileMatchesTheInMemoryChecksumAcrossManyPieces) {
    testing::ProjectSession s;
    const std::vector<uint8_t> bytes = testing::PatternBytes(5000);
    const std::string path = testing::WriteBinary(s.folder, "data.bin", bytes).string();
    std::vector<uint8_t> data;
    ASSERT_TRUE(ReadDataFile(s.session.Operation, s.messages, path, data));
    Prj_Info_Struct offline;
    RecordDataFile(offline, path, data);
    EXPECT_EQ(offline.Crc32, ProjectCrc(bytes.data(), bytes.size()));
    EXPECT_EQ(offline.FileLen, 5000u);
}

TEST(ProjectCrc, AMissingFileOrAFolderCannotBeOpened) {
    testing::ProjectSession s;
    std::vector<uint8_t> data{1};
    EXPECT_FALSE(ReadDataFile(s.session.Operation, s.messages, (s.folder / "missing.bin").string(), data));
    EXPECT_FALSE(ReadDataFile(s.session.Operation, s.messages, s.folder.path().string(), data));
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(s.messages.errors.size(), 2u);
}

}  // namespace
}  // namespace tq
