#include <gtest/gtest.h>

#include "support/expect.h"
#include "support/run_cli.h"

namespace tq {
namespace {

using testing::ExitedWith;
using testing::RunCliCaptured;

TEST(InfoCommand, PrintsTheSimulatedIdentityAndTracesEveryFrame) {
    const auto r = RunCliCaptured({"--lang", "2", "--simulator", "--trace", "info"});
    ASSERT_THAT(r, ExitedWith(0));
    EXPECT_SAYS(r.out, "Model:            TQM7300B");
    EXPECT_SAYS(r.out, "Firmware version: V1.02");
    EXPECT_SAYS(r.err, "> 02 10 00 01 00 00 03 B4\n< 02 00 00 01 00 05 56 31 2E 30 32");
}

TEST(InfoCommand, FailsClearlyWhenNoProgrammerIsThere) {
    // The root folder is certainly not a 4608-byte volume.
    const auto r = RunCliCaptured({"--lang", "2", "--device", "/", "info"});
    EXPECT_NE(r.status, 0);
    EXPECT_SAYS(r.err, "no programmer found");
    EXPECT_TRUE(r.out.empty());
}

}  // namespace
}  // namespace tq
