#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/device/link.h"
#include "core/platform/system_volumes.h"
#include "support/scratch_folder.h"

namespace tq {
namespace {

namespace fs = std::filesystem;

// Both a disk-backed folder (O_DIRECT works) and /dev/shm (tmpfs refuses
// O_DIRECT: the synchronous fallback) must move whole sectors at offset 0.
TEST(LinuxExchangeFile, MovesAlignedSectorsAtOffsetZeroWithOrWithoutODirect) {
    const testing::ScratchFolder disk;
    std::vector<fs::path> folders = {disk.path()};
    if (fs::is_directory("/dev/shm")) folders.push_back("/dev/shm");
    auto volumes = MakeSystemVolumes();
    for (const fs::path& folder : folders) {
        SCOPED_TRACE(folder.string());
        const fs::path file = folder / ("Write.Temp." + std::to_string(::getpid()));
        std::string error;
        auto writer = volumes->OpenExchangeFile(file.string(), true, error);
        ASSERT_TRUE(writer) << error;
        auto reader = volumes->OpenExchangeFile(file.string(), false, error);
        ASSERT_TRUE(reader) << error;
        EXPECT_EQ(writer->Size(), 0);

        AlignedBytes out(4096), in(4096);
        for (size_t i = 0; i < 4096; ++i) out.data()[i] = static_cast<uint8_t>(i * 7);
        ASSERT_TRUE(writer->Write(out.data(), 4096));
        EXPECT_EQ(writer->Size(), 4096);
        std::memset(out.data(), 0xA5, 512);
        ASSERT_TRUE(writer->Write(out.data(), 512));  // again at offset 0
        ASSERT_TRUE(reader->Read(in.data(), 1024));
        EXPECT_EQ(in.data()[0], 0xA5);
        EXPECT_EQ(in.data()[511], 0xA5);
        EXPECT_EQ(in.data()[512], static_cast<uint8_t>(512 * 7));
        EXPECT_EQ(writer->Size(), 4096);
        fs::remove(file);
    }
}

TEST(LinuxVolumes, ListsTheRootFilesystemAsReadableAndFixed) {
    auto volumes = MakeSystemVolumes();
    bool sawRoot = false;
    for (const VolumeInfo& v : volumes->List())
        if (v.root == "/") {
            sawRoot = true;
            EXPECT_TRUE(v.readable);
            EXPECT_GT(v.totalBytes, kDeviceVolumeBytes);
        }
    EXPECT_TRUE(sawRoot);
    EXPECT_EQ(volumes->PathInRoot("/media/prog", "Write.Temp"), "/media/prog/Write.Temp");
}

TEST(LinuxVolumes, AnUnopenableExchangeFileSaysWhy) {
    auto volumes = MakeSystemVolumes();
    std::string error;
    EXPECT_FALSE(volumes->OpenExchangeFile("/nonexistent-folder/Write.Temp", false, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace tq
