#include <gtest/gtest.h>

#include "support/run_cli.h"

namespace tq {
namespace {

using testing::RunCliCaptured;

TEST(InfoCommand, PrintsTheSimulatedIdentityAndTracesEveryFrame) {
    const auto r = RunCliCaptured({"--simulator", "--trace", "info"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Model:            TQM7300B"), std::string::npos);
    EXPECT_NE(r.out.find("Firmware version: V1.02"), std::string::npos);
    EXPECT_NE(r.err.find("> 02 10 00 01 00 00 03 B4\n< 02 00 00 01 00 05 56 31 2E 30 32"), std::string::npos) << r.err;
}

TEST(InfoCommand, FailsClearlyWhenNoProgrammerIsThere) {
    // The root folder is certainly not a 4608-byte volume.
    const auto r = RunCliCaptured({"--lang", "2", "--device", "/", "info"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("no programmer found"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
}

}  // namespace
}  // namespace tq
