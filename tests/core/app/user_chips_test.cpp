#include "core/app/user_chips.h"

#include <gtest/gtest.h>

#include "core/chipdb/chip_database.h"
#include "support/chip_frame_rig.h"

namespace tq {
namespace {

struct UserChipsTest : ::testing::Test, testing::ChipFrameRig {
    UserChipDialog dialog;

    UserChipResult Add(const std::string& name, const std::string& maker, const std::string& id,
                       const std::string& algorithm = "W25Q64FV") {
        dialog.chipName = name;
        dialog.manufacturer = maker;
        dialog.chipId = id;
        dialog.algorithm = algorithm;
        return dialog.Add(UserChipContextOf(session));
    }
};

TEST_F(UserChipsTest, OpeningWithoutUserChipsShowsZeroAndKeepsTheEdits) {
    dialog.chipName = "kept";
    const UserChipTexts texts = dialog.Open(UserChipContextOf(session));
    EXPECT_EQ(texts.caption, "用户自定义芯片管理");
    EXPECT_EQ(dialog.CountLabel(), "用户自定义型号        0");
    EXPECT_TRUE(dialog.UserChips().empty());
    EXPECT_EQ(dialog.SelectedUserChip(), -1);
    EXPECT_EQ(dialog.chipName, "kept");
    // The algorithms: WINBOND and SST SPI flash chips.
    ASSERT_FALSE(dialog.Algorithms().empty());
    for (const std::string& name : dialog.Algorithms()) {
        const ChipRow row = db().ChipRowQuery(name).front();
        EXPECT_TRUE(row.ManufName == "WINBOND" || row.ManufName == "SST") << name;
        EXPECT_EQ(row.MemoryType, "SPI FLASH");
    }
    EXPECT_EQ(dialog.algorithm, dialog.Algorithms().front());
}

TEST_F(UserChipsTest, AddedChipBorrowsTheAlgorithmsParameters) {
    dialog.Open(UserChipContextOf(session));
    const UserChipResult result = Add("MYFLASH", "ACME", "AB4017");
    EXPECT_EQ(result.outcome, UserChipOutcome::Done);
    EXPECT_EQ(result.rowsChanged, 1);
    EXPECT_EQ(dialog.CountLabel(), "用户自定义型号        1");
    EXPECT_EQ(dialog.UserChips(), std::vector<std::string>{"MYFLASH"});

    const ChipRow source = db().ChipRowQuery("W25Q64FV").front();
    const std::vector<ChipRow> rows = db().ChipRowQuery("MYFLASH");
    ASSERT_EQ(rows.size(), 1u);
    ChipRow expected = source;
    expected.ChipName = "MYFLASH";
    expected.ManufName = "ACME";
    expected.ChipID = "AB4017";
    expected.Note = "";  // not copied
    expected.ParaNote = source.ParaNote + " ";
    expected.Para1Note = source.Para1Note + " ";
    expected.Adder = "USER";
    EXPECT_EQ(rows.front(), expected);
    EXPECT_EQ(rows.front().ParaNote.back(), ' ');

    // The list shows it in the edits; the frame finds it by its maker.
    dialog.chipName.clear();
    dialog.SelectUserChip(db(), 0);
    EXPECT_EQ(dialog.chipName, "MYFLASH");
    EXPECT_EQ(dialog.chipId, "AB4017");
    EXPECT_EQ(dialog.capacity, "8388608");
    EXPECT_EQ(dialog.manufacturer, "ACME");
    ASSERT_TRUE(SelectChipInFrame(session, "SPI FLASH", "ACME", "MYFLASH"));
    EXPECT_EQ(session.Chip.PrjInfo.Capacity, 8388608u);
}

TEST_F(UserChipsTest, AddRefusals) {
    dialog.Open(UserChipContextOf(session));
    ASSERT_EQ(Add("MYFLASH", "ACME", "AB4017").outcome, UserChipOutcome::Done);
    struct Case {
        std::string name, algorithm;
        int language;
        UserChipOutcome outcome;
        std::string message;
        std::string id = "AB4017";
    };
    const Case cases[] = {
        {"OTHER", "NOALGO", 0, UserChipOutcome::UnknownAlgorithm, "算法名称错误，请重试！"},
        {"OTHER", "NOALGO", 1, UserChipOutcome::UnknownAlgorithm, "算法名稱錯誤，請重試！"},
        {"OTHER", "NOALGO", 2, UserChipOutcome::UnknownAlgorithm, "Algorithm error! Please retry!"},
        {"", "W25Q64FV", 0, UserChipOutcome::EmptyName, "芯片名称不能为空！"},
        {"MYFLASH", "W25Q64FV", 0, UserChipOutcome::NameTaken, "该芯片名称已存在，请换一个名称！"},
        {"myflash", "W25Q64FV", 2, UserChipOutcome::NameTaken,
         "A chip with this name already exists! Please choose another name!"},
        {"GD25Q64", "W25Q64FV", 1, UserChipOutcome::NameTaken, "該晶片名稱已存在，請換一個名稱！"},
        {"   ", "W25Q64FV", 2, UserChipOutcome::BadName,
         "The chip name must not be blanks only or contain a line break!"},
        {"TWO\nLINES", "W25Q64FV", 0, UserChipOutcome::BadName, "芯片名称不能只有空格，也不能包含换行！"},
        {"BADID", "W25Q64FV", 2, UserChipOutcome::BadId, "The chip ID must be six hexadecimal digits!", "AB40"},
        {"BADID", "W25Q64FV", 1, UserChipOutcome::BadId, "晶片ID必須是六位十六進制數字！", "AB401G"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + "/" + c.algorithm);
        session.Texts.Language = c.language;
        messages.messages.clear();
        EXPECT_EQ(Add(c.name, "ACME", c.id, c.algorithm).outcome, c.outcome);
        EXPECT_EQ(messages.messages, std::vector<std::string>{c.message});
    }
    EXPECT_EQ(db().UserRowsQuery().size(), 1u);
    EXPECT_EQ(db().ChipRowQuery("GD25Q64").size(), 1u);
}

TEST_F(UserChipsTest, DeleteNeedsNameMakerAndId) {
    dialog.Open(UserChipContextOf(session));
    ASSERT_EQ(Add("MYFLASH", "ACME", "AB4017").outcome, UserChipOutcome::Done);
    ASSERT_EQ(Add("MYOTHER", "ACME", "AB4018").outcome, UserChipOutcome::Done);
    ASSERT_EQ(dialog.CountLabel(), "用户自定义型号        2");

    struct Case {
        std::string maker, id;
        int deleted;
        size_t left;
    };
    const Case cases[] = {
        {"WRONG", "AB4017", 0, 2},
        {"ACME", "000000", 0, 2},
        {"ACME", "AB4017", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maker + "/" + c.id);
        dialog.chipName = "MYFLASH";
        dialog.manufacturer = c.maker;
        dialog.chipId = c.id;
        const UserChipResult result = dialog.Delete(UserChipContextOf(session));
        EXPECT_EQ(result.outcome, UserChipOutcome::Done);
        EXPECT_EQ(result.rowsChanged, c.deleted);
        EXPECT_EQ(dialog.UserChips().size(), c.left);  // refreshed either way
        EXPECT_EQ(dialog.CountLabel(), "用户自定义型号        " + std::to_string(c.left));
    }
    EXPECT_TRUE(messages.messages.empty());
    // Factory rows are never deleted.
    dialog.chipName = "GD25Q64";
    dialog.manufacturer = "GIGADEVICE";
    dialog.chipId = "C84017";
    EXPECT_EQ(dialog.Delete(UserChipContextOf(session)).rowsChanged, 0);
    EXPECT_EQ(db().ChipRowQuery("GD25Q64").size(), 1u);
}

TEST_F(UserChipsTest, ModifyChangesCapacityMakerAndIdOfUserRowsOnly) {
    dialog.Open(UserChipContextOf(session));
    ASSERT_EQ(Add("MYFLASH", "ACME", "AB4017").outcome, UserChipOutcome::Done);
    dialog.algorithm = "W25Q16DV";
    dialog.ShowAlgorithmCapacity(db());
    EXPECT_EQ(dialog.capacity, "2097152");
    dialog.manufacturer = "NEWCO";
    dialog.chipId = "AB4015";
    const UserChipResult result = dialog.Modify(UserChipContextOf(session));
    EXPECT_EQ(result.rowsChanged, 1);
    const ChipRow row = db().ChipRowQuery("MYFLASH").front();
    EXPECT_EQ(row.Capacity, 2097152);
    EXPECT_EQ(row.ManufName, "NEWCO");
    EXPECT_EQ(row.ChipID, "AB4015");
    EXPECT_EQ(row.EraseTime, db().ChipRowQuery("W25Q64FV").front().EraseTime);  // the rest stays

    // A factory name is not a user chip.
    dialog.chipName = "GD25Q64";
    EXPECT_EQ(dialog.Modify(UserChipContextOf(session)).rowsChanged, 0);
    EXPECT_EQ(db().ChipRowQuery("GD25Q64").front().ManufName, "GIGADEVICE");

    // An unknown algorithm changes nothing and says so.
    dialog.algorithm = "NOALGO";
    dialog.ShowAlgorithmCapacity(db());
    EXPECT_EQ(dialog.capacity, "2097152");
    EXPECT_EQ(dialog.Modify(UserChipContextOf(session)).outcome, UserChipOutcome::UnknownAlgorithm);
    EXPECT_EQ(dialog.Delete(UserChipContextOf(session)).outcome, UserChipOutcome::UnknownAlgorithm);
    EXPECT_EQ(messages.messages.size(), 2u);
}

}  // namespace
}  // namespace tq
