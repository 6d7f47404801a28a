#include "core/buffer/backup_store.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/expect.h"
#include "support/scratch_folder.h"

namespace tq {
namespace {

using testing::ScratchFolder;

TEST(BackupStore, NamesHoldChipTimeAndCrcInSafeCharactersAndReadBack) {
    const BackupTime time{2026, 12, 10, 7, 15, 2};
    const struct {
        const char* chip;
        uint32_t crc;
        const char* name;
        const char* chipRead;
    } cases[] = {
        {"W25Q64", 0x1a2b3c4d, "W25Q64_20261210-071502_1a2b3c4d.bin", "W25Q64"},
        {"AT45DB041/B", 0x0000000f, "AT45DB041-B_20261210-071502_0000000f.bin", "AT45DB041-B"},
        {"../x y_z", 0xffffffff, "---x-y-z_20261210-071502_ffffffff.bin", "---x-y-z"},
        {"", 0x12345678, "chip_20261210-071502_12345678.bin", "chip"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chip);
        const std::string name = BackupFileName(c.chip, time, c.crc);
        EXPECT_EQ(name, c.name);
        const std::optional<BackupEntry> entry = ParseBackupFileName(name);
        ASSERT_TRUE(entry.has_value());
        EXPECT_EQ(entry->chip, c.chipRead);
        EXPECT_EQ(entry->time, time);
        EXPECT_EQ(entry->crc32, std::string(c.name).substr(std::string(c.name).size() - 12, 8));
    }
    // Other files in the folder are not backups.
    for (const char* other : {"notes.txt", "W25Q64_20261310-071502_1a2b3c4d.bin", "W25Q64_20261210-071502_1A2B3C4D.bin",
                              "_20261210-071502_1a2b3c4d.bin", "W25Q64_20261210071502_1a2b3c4d.bin",
                              "W25Q64_20261210-071502_1a2b3c4d.hex"}) {
        EXPECT_FALSE(ParseBackupFileName(other).has_value()) << other;
    }
}

TEST(BackupStore, KeepsTheNewestWithinCountAndSizeNeverDroppingTheNewest) {
    const struct {
        const char* name;
        std::vector<size_t> sizes;  // oldest first
        size_t keepCount;
        uint64_t keepBytes;
        size_t kept;
    } cases[] = {
        {"count limit", {10, 10, 10, 10, 10}, 3, 1000, 3},
        {"size limit", {40, 40, 40, 40, 40}, 20, 100, 2},
        {"a small old one after the limit goes too", {5, 60, 60}, 20, 100, 1},
        {"the newest alone is over the size", {10, 150}, 20, 100, 1},
        {"within both", {10, 10, 10}, 20, 1000, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        folder.Write("notes.txt", "mine");
        for (size_t i = 0; i < c.sizes.size(); ++i) {
            const std::vector<uint8_t> bytes(c.sizes[i], static_cast<uint8_t>(i));
            std::string error;
            ASSERT_TRUE(SaveBackup(folder.path(), "W25Q64", {2026, 12, 10, 7, static_cast<int>(i), 0}, bytes.data(),
                                   bytes.size(), error))
                << error;
        }
        const std::vector<std::filesystem::path> deleted = PruneBackups(folder.path(), c.keepCount, c.keepBytes);
        EXPECT_EQ(deleted.size(), c.sizes.size() - c.kept);
        const std::vector<BackupEntry> left = ListBackups(folder.path());
        ASSERT_EQ(left.size(), c.kept);
        for (size_t i = 0; i < left.size(); ++i) {
            const size_t made = c.sizes.size() - 1 - i;  // newest first
            EXPECT_EQ(left[i].time.minute, static_cast<int>(made));
            EXPECT_EQ(left[i].size, c.sizes[made]);
        }
        EXPECT_TRUE(std::filesystem::exists(folder / "notes.txt"));
    }
}

TEST(BackupStore, ABackupThatCannotBeWrittenSaysWhy) {
    ScratchFolder folder;
    folder.Write("file", "not a folder");
    const uint8_t bytes[4] = {1, 2, 3, 4};
    std::string error;
    EXPECT_FALSE(SaveBackup(folder / "file" / "backups", "W25Q64", {2026, 1, 1, 0, 0, 0}, bytes, 4, error));
    EXPECT_SAYS(error, "file");
    EXPECT_TRUE(ListBackups(folder / "file" / "backups").empty());
}

}  // namespace
}  // namespace tq
