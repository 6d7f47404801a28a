// The monkey's and the soak's judge: a success the chip does not bear out is
// caught the moment it is said, an honest one is not.
#include "reliability/success_oracle.h"

#include <gtest/gtest.h>

#include "core/operations/auto_sequence.h"
#include "core/operations/erase_blank.h"
#include "core/operations/read_verify.h"
#include "support/operation_rig.h"

namespace tq {
namespace {

using testing::OperationRig;
using testing::SuccessOracle;

TEST(SuccessOracle, CatchesASuccessTheChipDoesNotBearOut) {
    using Handler = OperationOutcome (*)(OperationContext&);
    const struct {
        const char* name;
        Handler handler;
        bool lyingProgrammer;
        OperationOutcome outcome;
        bool caught;
        uint64_t checked;  // successes said and judged
    } cases[] = {
        {"honest write", WriteImage, false, OperationOutcome::Succeeded, false, 1},
        // The write stream is not answered: only the chip can tell.
        {"write the programmer forgot", WriteImage, true, OperationOutcome::Succeeded, true, 1},
        {"honest read", ReadChip, false, OperationOutcome::Succeeded, false, 1},
        {"honest erase", EraseChip, false, OperationOutcome::Succeeded, false, 1},
        // The verify step sees through the lie and the run fails, but its
        // write step has said it succeeded: each step's line is judged.
        {"auto run the programmer forgot", RunAutoSequence, true, OperationOutcome::Failed, true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.UseChip(1, 4096);
        ASSERT_TRUE(rig.Connect());
        std::vector<uint8_t> image(4096);
        for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 13 + 5);
        rig.LoadBuffer(image);
        SuccessOracle oracle(rig.session, rig.sim, rig.status);
        rig.session.Views.statusBar = &oracle;
        rig.sim.faults.forgetWrites = c.lyingProgrammer;
        Prj_Info_Struct& prj = rig.session.Chip.PrjInfo;
        prj.Erase = prj.Write = prj.Verify = true;

        EXPECT_EQ(c.handler(rig.session.Operation), c.outcome);
        EXPECT_EQ(!oracle.Failure().empty(), c.caught) << oracle.Failure();
        EXPECT_EQ(oracle.tally().Checked(), c.checked);
    }
}

}  // namespace
}  // namespace tq
