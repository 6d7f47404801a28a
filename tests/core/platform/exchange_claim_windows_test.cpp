// The claim on Windows: a range lock past the end of Write.Temp refuses a
// second claim (a second process or session) while the claimant's own
// transfers through other handles still reach the file, and it ends with
// the claim.
#include <gtest/gtest.h>

#include <cstring>

#include "core/device/link.h"
#include "core/platform/system_volumes.h"
#include "support/program_folder.h"

namespace tq {
namespace {

TEST(WindowsExchangeClaim, RefusesASecondClaimButNotTheTransfersAndEndsWithTheClaim) {
    testing::ProgramFolder drive;
    drive.WriteBytes("Write.Temp", std::string(4096, '\0'));
    auto volumes = MakeSystemVolumes();
    const std::string path = volumes->PathInRoot(drive.path().string(), "Write.Temp");
    std::string holder;
    auto first = volumes->ClaimExchangeFile(path, holder);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(volumes->ClaimExchangeFile(path, holder), nullptr);
    EXPECT_EQ(holder, "");  // Windows does not tell who holds a range lock

    std::string error;
    auto writer = volumes->OpenExchangeFile(path, true, error);
    ASSERT_TRUE(writer) << error;
    auto reader = volumes->OpenExchangeFile(path, false, error);
    ASSERT_TRUE(reader) << error;
    AlignedBytes out(4096), in(4096);
    for (size_t i = 0; i < 4096; ++i) out.data()[i] = static_cast<uint8_t>(i * 13);
    ASSERT_TRUE(writer->Write(out.data(), 4096));
    ASSERT_TRUE(reader->Read(in.data(), 4096));
    EXPECT_EQ(std::memcmp(in.data(), out.data(), 4096), 0);
    EXPECT_EQ(reader->Size(), 4096);  // the lock lies past the end and adds nothing

    first.reset();
    EXPECT_NE(volumes->ClaimExchangeFile(path, holder), nullptr);
}

}  // namespace
}  // namespace tq
