#include <gtest/gtest.h>

#include "cli/exit_status.h"
#include "support/sim_cli_folder.h"

namespace tq {
namespace {

TEST(DevicesCommand, ListsTheSimulatedProgrammerAsTextAndJson) {
    const testing::SimCliFolder folder;
    const auto text = folder.RunSimulated({"--lang", "2", "devices"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out,
              "Volume  Model     Serial number    Firmware version\n"
              "sim:    TQM7300B  TQ7300B00012345  V1.02\n");
    const auto json = folder.RunSimulated({"devices", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out,
              "[{\"root\": \"sim:\", \"answered\": true, \"model\": \"TQM7300B\", \"serial\": \"TQ7300B00012345\", "
              "\"firmware\": \"V1.02\", \"hardware\": \"TQM7300B-HW2.1\"}]\n");
}

TEST(DevicesCommand, NoProgrammerIsAFailureWithAnEmptyList) {
    const testing::SimCliFolder folder;
    const auto r = folder.Run({"--lang", "2", "--device", "/", "devices", "--json"});
    EXPECT_EQ(r.status, kExitNoProgrammer);
    EXPECT_EQ(r.out, "[]\n");
    EXPECT_NE(r.err.find("no programmer found"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tq
