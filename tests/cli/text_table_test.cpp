// Columns line up whatever the script: CJK takes two columns, accented Latin,
// Cyrillic and Vietnamese one, a combining mark none.
#include "cli/text_table.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tq {
namespace {

TEST(TextTable, ColumnsLineUpInEveryScript) {
    const std::pair<const char*, size_t> widths[] = {
        {"abc", 3}, {"简体中文", 8}, {"日本語", 6}, {"한국어", 6}, {"Tiếng Việt", 10},
        {"Українська", 10}, {"n’est", 5}, {"e\xCC\x81t\xC3\xA9", 3}, {"ＡＢ", 4},
    };
    for (const auto& [text, width] : widths) EXPECT_EQ(DisplayWidth(text), width) << text;
    std::ostringstream out;
    PrintTable(out, {{"Tiếng Việt", "x"}, {"简体中文", "y"}});
    EXPECT_EQ(out.str(), "Tiếng Việt  x\n简体中文    y\n");
}

}  // namespace
}  // namespace tq
