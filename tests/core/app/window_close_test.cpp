#include "core/app/window_close.h"

#include <gtest/gtest.h>

#include "core/app/chip_selection.h"
#include "support/session_fixture.h"
#include "support/expect.h"

namespace tq {
namespace {

TEST(CloseMainWindow, WritesTheSettingsAndGivesTheBufferBack) {
    testing::SessionFixture fixture;
    Session& session = *fixture.session;
    session.Texts.Language = 2;
    NewChipBuffer(session, 4096);
    ASSERT_EQ(session.Buffer.RamFile.Data.size(), 4096u);

    EXPECT_TRUE(CloseMainWindow(session));

    EXPECT_SAYS(fixture.folder.ReadGbk("dev.ini"), "Language= 2\n");
    EXPECT_TRUE(session.Buffer.RamFile.Data.empty());
    EXPECT_EQ(session.Buffer.RamFile.DataLen, 0u);
}

}  // namespace
}  // namespace tq
