#include "core/buffer/compare_view_model.h"

#include <gtest/gtest.h>

#include "support/expect.h"

namespace tq {
namespace {

// Images of 100 and 90 bytes: 3 and 17..18 differ, and 90..99 has no partner.
CompareDocument Document() {
    std::vector<uint8_t> a(100), b(90);
    for (size_t i = 0; i < a.size(); ++i) a[i] = static_cast<uint8_t>(i);
    for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i);
    b[3] ^= 1;
    b[17] ^= 1;
    b[18] ^= 1;
    CompareDocument document;
    document.address = 0x1000;
    SetCompareSide(document, true, "A", a);
    SetCompareSide(document, false, "B", b);
    return document;
}

// A page marks exactly the differing bytes on its rows, the missing tail included.
TEST(CompareViewModel, MarksTheDifferingBytesOfThePageShown) {
    const struct {
        uint64_t top;
        std::vector<ByteRange> differing;
        size_t rowsA, rowsB;
        const char* firstAddress;
    } cases[] = {
        {0, {{3, 1}, {17, 2}}, 2, 2, "001000 "},
        {80, {{10, 10}}, 2, 1, "001050 "},
        {32, {}, 2, 2, "001020 "},
    };
    CompareDocument document = Document();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.top);
        const ComparePage page = BuildComparePage(document, c.top, 2, 16);
        EXPECT_EQ(page.differing, c.differing);
        EXPECT_EQ(page.a.hexLines.size(), c.rowsA);
        EXPECT_EQ(page.b.hexLines.size(), c.rowsB);
        EXPECT_EQ(page.addressLines.at(0), c.firstAddress);
    }
}

TEST(CompareViewModel, StepsBetweenDifferencesAndRefusesAFileItCannotRead) {
    CompareDocument document = Document();
    EXPECT_EQ(NextDifference(document, 3), 17u);
    EXPECT_EQ(NextDifference(document, 17), 90u);
    EXPECT_EQ(NextDifference(document, 90), std::nullopt);
    EXPECT_EQ(PreviousDifference(document, 90), 17u);
    EXPECT_EQ(PreviousDifference(document, 3), std::nullopt);
    std::string error;
    EXPECT_FALSE(LoadCompareSide(document, false, "/nonexistent/absent.bin", 2, error));
    EXPECT_SAYS(error, "absent.bin");
    EXPECT_EQ(document.b.image.DataLen, 90u);  // the side is kept
}

}  // namespace
}  // namespace tq
