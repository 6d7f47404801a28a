#include "gui/user_manual.h"

#include <gtest/gtest.h>

#include "support/scratch_folder.h"

namespace tq::testing {
namespace {

TEST(UserManual, TheLanguageChoosesTheFileAndAMissingOneIsNamed) {
    const struct {
        int language;
        const char* file;
    } cases[] = {{0, "TQM7300高速编程器用户手册"}, {2, "TQM7300 High speed programmer user manual"},
                 {1, "TQM7300高速编程器用户手册"}, {5, "TQM7300 High speed programmer user manual"}};  // 5: a further language
    ScratchFolder folder;
    const QString path = QString::fromStdString(folder.path().string());
    for (const auto& c : cases) {
        const gui::OpenManualResult result = gui::OpenUserManual(path, c.language);
        EXPECT_FALSE(result.opened);
        EXPECT_TRUE(result.message.contains(QString::fromUtf8(c.file))) << c.language;
        EXPECT_TRUE(result.message.contains(path)) << c.language;
    }
}

}  // namespace
}  // namespace tq::testing
