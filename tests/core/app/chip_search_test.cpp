#include "core/app/chip_search.h"

#include <gtest/gtest.h>

#include "support/chip_frame_rig.h"

namespace tq {
namespace {

struct ChipSearchTest : ::testing::Test, testing::ChipFrameRig {
    ChipSearch search;
};

TEST_F(ChipSearchTest, SearchFindsNamesContainingTheTextByCapacity) {
    search.Open();
    EXPECT_EQ(search.ResultCountText(), " ");
    ASSERT_TRUE(search.Search(session, "25Q64"));
    const std::vector<ChipRow>& rows = search.Results();
    ASSERT_GE(rows.size(), 3u);
    for (const ChipRow& row : rows) EXPECT_NE(row.ChipName.find("25Q64"), std::string::npos) << row.ChipName;
    EXPECT_EQ(search.ResultCountText(), "共搜索到: " + std::to_string(rows.size()));

    // Each key release searches again: "2" then "24C0".
    ASSERT_TRUE(search.Search(session, "2"));
    const size_t many = search.Results().size();
    ASSERT_TRUE(search.Search(session, "24C0"));
    EXPECT_LT(search.Results().size(), many);
    for (size_t i = 1; i < search.Results().size(); ++i)
        EXPECT_LE(search.Results()[i - 1].Capacity, search.Results()[i].Capacity);

    // An emptied edit keeps the last results; opening again blanks the count only.
    EXPECT_FALSE(search.Search(session, ""));
    EXPECT_EQ(search.Results(), db().SearchQuery("24C0"));
    search.Open();
    EXPECT_EQ(search.ResultCountText(), " ");
    EXPECT_EQ(search.Results(), db().SearchQuery("24C0"));
}

TEST_F(ChipSearchTest, WildcardsAndNothingFound) {
    ASSERT_TRUE(search.Search(session, "W25Q%BV"));
    ASSERT_FALSE(search.Results().empty());
    for (const ChipRow& row : search.Results()) EXPECT_EQ(row.ChipName.substr(0, 4), "W25Q");

    session.Texts.Language = 2;
    ASSERT_TRUE(search.Search(session, "NOSUCH"));
    EXPECT_TRUE(search.Results().empty());
    EXPECT_EQ(search.ResultCountText(), "Total result: 0");
}

TEST_F(ChipSearchTest, SelectTakesTheHighlightedRowEvenAfterOtherStatements) {
    ASSERT_TRUE(search.Search(session, "GD25Q"));
    ASSERT_GE(search.Results().size(), 3u);
    const ChipRow wanted = search.Results()[2];
    // The frame runs statements of its own meanwhile.
    ASSERT_TRUE(SelectChipByName(session, "24C02"));
    ASSERT_TRUE(search.Select(session, 2));
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, wanted.ChipName);
    EXPECT_EQ(lists().type.text, wanted.ChipType);
    EXPECT_EQ(lists().manufacturer.text, wanted.ManufName);
    EXPECT_EQ(lists().name.text, wanted.ChipName);
    EXPECT_EQ(session.Buffer.RamFile.Data.size(), static_cast<size_t>(wanted.Capacity));
    EXPECT_TRUE(frame.detectEnabled.empty());  // this path leaves the detect button alone
}

TEST_F(ChipSearchTest, SelectStopsWhenTheTypeIsNotListed) {
    ASSERT_TRUE(SelectChipByName(session, "24C02"));
    FillTypeList(session, db().TypeListQuery("M500").types);
    ASSERT_TRUE(search.Search(session, "STM32F030F4"));
    ASSERT_EQ(search.Results().size(), 1u);
    EXPECT_FALSE(search.Select(session, 0));
    EXPECT_EQ(lists().type.index, -1);
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, "24C02");

    // Without results Select reads empty texts.
    ASSERT_TRUE(search.Search(session, "NOSUCH"));
    EXPECT_FALSE(search.Select(session, 0));
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, "24C02");
}

TEST_F(ChipSearchTest, EnterTakesTheRowNamedExactlyOrTheRowMovedTo) {
    // A part of a name chooses nothing, however many rows it lists.
    ASSERT_TRUE(search.Search(session, "GD25Q"));
    ASSERT_GE(search.Results().size(), 3u);
    EXPECT_FALSE(search.ChosenRow().has_value());
    search.ChooseRow(2);
    EXPECT_EQ(search.ChosenRow(), 2u);
    search.ChooseRow(search.Results().size());  // past the rows: no change
    EXPECT_EQ(search.ChosenRow(), 2u);

    // The whole name in any letter case chooses its row.
    ASSERT_TRUE(search.Search(session, "gd25q64"));
    ASSERT_TRUE(search.ChosenRow().has_value());
    EXPECT_EQ(search.Results()[*search.ChosenRow()].ChipName, "GD25Q64");
    ASSERT_TRUE(search.Select(session, *search.ChosenRow()));
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, "GD25Q64");

    search.ShowCandidates(db().IdQuery("EF4017"), 2);
    EXPECT_FALSE(search.ChosenRow().has_value());
}

TEST_F(ChipSearchTest, DetectionCandidatesBecomeTheResults) {
    search.ShowCandidates(db().IdQuery("EF4017"), 2);
    ASSERT_GE(search.Results().size(), 2u);
    EXPECT_EQ(search.ResultCountText(), "Total result: " + std::to_string(search.Results().size()));
    ASSERT_TRUE(search.Select(session, 1));
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, db().IdQuery("EF4017")[1].ChipName);
}

}  // namespace
}  // namespace tq
