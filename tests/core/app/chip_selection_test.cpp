#include "core/app/chip_selection.h"

#include <gtest/gtest.h>

#include "core/buffer/hex_navigation.h"
#include "support/chip_frame_rig.h"
#include "support/expect.h"

namespace tq {
namespace {

struct ChipSelectionTest : ::testing::Test, testing::ChipFrameRig {
    // Picks a chip by hand: its type, its maker, then its name.
    void Pick(const std::string& type, const std::string& maker, const std::string& name) {
        ASSERT_TRUE(ChooseListItem(session, ChipList::Type, IndexOf(ChipList::Type, type)));
        ASSERT_TRUE(ChooseListItem(session, ChipList::Manufacturer, IndexOf(ChipList::Manufacturer, maker)));
        ASSERT_TRUE(ChooseListItem(session, ChipList::Name, IndexOf(ChipList::Name, name)));
    }
};

TEST_F(ChipSelectionTest, TypeChangeCascadesToTheFirstMakerAndItsSmallestChip) {
    const int spi = IndexOf(ChipList::Type, "SPI FLASH");
    ASSERT_GE(spi, 0);
    ASSERT_TRUE(ChooseListItem(session, ChipList::Type, spi));

    const std::vector<std::string> makers = db().ManufacturerListQuery("SPI FLASH");
    ASSERT_FALSE(makers.empty());
    EXPECT_EQ(lists().manufacturer.items, makers);  // the placeholders are gone
    EXPECT_EQ(lists().manufacturer.index, 0);
    const std::vector<std::string> names = db().NameListQuery("SPI FLASH", makers.front());
    EXPECT_EQ(lists().name.items, names);
    EXPECT_EQ(lists().name.text, names.front());

    const ChipRow smallest = db().ChipRowQuery(names.front()).front();
    for (const std::string& name : names) EXPECT_LE(smallest.Capacity, db().ChipRowQuery(name).front().Capacity);
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, smallest.ChipName);
    EXPECT_EQ(session.Chip.PrjInfo.Capacity, smallest.Capacity);
    EXPECT_EQ(session.Buffer.RamFile.Data.size(), static_cast<size_t>(smallest.Capacity));
    EXPECT_TRUE(frame.detectEnabled[DetectButton::Frame]);
    // The views saw what the model holds.
    EXPECT_EQ(frame.lists[ChipList::Name].text, smallest.ChipName);
    EXPECT_EQ(frame.lists[ChipList::Manufacturer].items, makers);

    ASSERT_TRUE(ChooseListItem(session, ChipList::Type, IndexOf(ChipList::Type, "24 EEPROM")));
    EXPECT_FALSE(frame.detectEnabled[DetectButton::Frame]);
    ASSERT_TRUE(ChooseListItem(session, ChipList::Type, IndexOf(ChipList::Type, "45 EEPROM")));
    EXPECT_TRUE(frame.detectEnabled[DetectButton::Frame]);
    EXPECT_EQ(session.Chip.PrjInfo.ChipTypeCode, 4);
}

TEST_F(ChipSelectionTest, NameChangeShowsAndSendsTheChipParameters) {
    struct Case {
        std::string type, maker, name;
        std::string capacity, pageSize, voltage;
        SocketPicture socket;
        ChipSelection sent;
    };
    const Case cases[] = {
        {"SPI FLASH", "GIGADEVICE", "GD25Q64", "8 MiB (64 Mbit)", "256B", "3.3V", SocketPicture::Pinout,
         {1, 0, 3, 0, 256, 8388608}},
        {"SPI FLASH", "WINBOND", "W25Q20BW", "256 KiB (2 Mbit)", "256B", "1.8V", SocketPicture::Socket18V,
         {1, 0, 3, 0, 256, 262144}},
        {"24 EEPROM", "GENERIC", "24C02", "256 B (2 Kbit)", "8B", "5.0V", SocketPicture::Pinout, {2, 2, 1, 0, 8, 256}},
        {"45 EEPROM", "ATMEL", "AT45DB011D", "132 KiB (1 Mbit)", "264B", "3.3V", SocketPicture::Pinout,
         {4, 0, 3, 9, 264, 135168}},
    };
    ASSERT_TRUE(Connect());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Pick(c.type, c.maker, c.name);
        EXPECT_EQ(session.Chip.PrjInfo.ChipName, c.name);
        EXPECT_EQ(frame.capacity, c.capacity);
        EXPECT_EQ(frame.pageSize, c.pageSize);
        EXPECT_EQ(frame.voltage, c.voltage);
        EXPECT_EQ(frame.socket, c.socket);
        EXPECT_EQ(frame.voltageNoteVisible, false);
        EXPECT_EQ(frame.otpVisible, false);
        ASSERT_TRUE(sim.selection().has_value());
        const ChipSelection& sent = *sim.selection();
        EXPECT_EQ(sent.chipType, c.sent.chipType);
        EXPECT_EQ(sent.voltageCode, c.sent.voltageCode);
        EXPECT_EQ(sent.chipPara, c.sent.chipPara);
        EXPECT_EQ(sent.chipPara1, c.sent.chipPara1);
        EXPECT_EQ(sent.pageSize, c.sent.pageSize);
        EXPECT_EQ(sent.capacity, c.sent.capacity);
        EXPECT_EQ(session.Chip.PrjInfo.VoltageCode, c.sent.voltageCode);
        EXPECT_EQ(session.Buffer.RamFile.Data.size(), c.sent.capacity);
    }
}

TEST_F(ChipSelectionTest, OtpFieldShowsOnlyForChipsWithOtp) {
    db().QueryExec(
        "INSERT INTO [ChipName] (ChipName,ChipType,ManufName,Capacity,PageSize,BlockSize,OTPSize,Voltage,Adder) "
        "VALUES ('OTPCHIP','SPI FLASH','GIGADEVICE',1048576,256,4096,1024,3300,'Varden')");
    Pick("SPI FLASH", "GIGADEVICE", "OTPCHIP");
    EXPECT_EQ(frame.otpSize, "1KB");
    EXPECT_EQ(frame.otpVisible, true);
    EXPECT_EQ(session.Chip.PrjInfo.OTPSize, 1024);
    // A chip without OTP hides the field and leaves its text alone.
    Pick("SPI FLASH", "GIGADEVICE", "GD25Q64");
    EXPECT_EQ(frame.otpVisible, false);
    EXPECT_EQ(frame.otpSize, "1KB");
}

TEST_F(ChipSelectionTest, TypedNamesSelectKnownChipsAndRefuseUnknownOnes) {
    ASSERT_TRUE(Connect());
    Pick("SPI FLASH", "GIGADEVICE", "GD25Q64");
    session.Buffer.RamFile.Data[3] = 0x12;
    ClearRecords();
    // An unknown name keeps the chip, its buffer and the lists, and says so.
    EXPECT_FALSE(TypeListText(session, ChipList::Name, "NOSUCHCHIP"));
    const Prj_Info_Struct& prj = session.Chip.PrjInfo;
    EXPECT_EQ(prj.ChipName, "GD25Q64");
    EXPECT_EQ(prj.Capacity, 8388608u);
    EXPECT_EQ(session.Buffer.RamFile.Data[3], 0x12);
    EXPECT_EQ(frame.lists[ChipList::Name].text, "GD25Q64");
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_SAYS(messages.warnings[0], "NOSUCHCHIP");
    EXPECT_SAYS(messages.warnings[0], "GD25Q64");
    EXPECT_EQ(SelectFrames(), 0u);

    // A known name in other letter case selects the chip as stored, and the
    // lists follow it to its type and maker.
    ASSERT_TRUE(TypeListText(session, ChipList::Name, "24c02"));
    EXPECT_EQ(prj.ChipName, "24C02");
    EXPECT_EQ(lists().type.text, "24 EEPROM");
    EXPECT_EQ(lists().name.text, "24C02");
    EXPECT_EQ(session.Buffer.RamFile.Data.size(), 256u);
    EXPECT_EQ(messages.warnings.size(), 1u);
}

TEST_F(ChipSelectionTest, ReselectingTheSameChipKeepsTheBufferButTellsTheProgrammerAgain) {
    ASSERT_TRUE(Connect());
    Pick("24 EEPROM", "GENERIC", "24C02");
    session.Buffer.RamFile.Data[5] = 0x12;
    session.Buffer.RamFile.DataLen = 6;
    ClearRecords();
    ASSERT_TRUE(ChooseListItem(session, ChipList::Name, IndexOf(ChipList::Name, "24C02")));
    EXPECT_EQ(session.Buffer.RamFile.Data[5], 0x12);
    EXPECT_EQ(session.Buffer.RamFile.DataLen, 6u);
    EXPECT_EQ(SelectFrames(), 1u);
    // Another chip resets it.
    ASSERT_TRUE(ChooseListItem(session, ChipList::Name, IndexOf(ChipList::Name, "24C04")));
    EXPECT_EQ(session.Buffer.RamFile.Data.size(), 512u);
    EXPECT_EQ(session.Buffer.RamFile.Data[5], 0xFF);
}

TEST_F(ChipSelectionTest, WithoutAProgrammerNothingIsSent) {
    Pick("SPI FLASH", "GIGADEVICE", "GD25Q64");
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, "GD25Q64");
    EXPECT_FALSE(sim.selection().has_value());
    EXPECT_TRUE(sim.commandLog().empty());
}

TEST_F(ChipSelectionTest, SelectByNameFollowsTheListsAndRefusesUnknownNames) {
    ASSERT_TRUE(SelectChipByName(session, "gd25q64"));
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, "GD25Q64");  // the stored spelling
    EXPECT_EQ(lists().type.text, "SPI FLASH");
    EXPECT_EQ(lists().manufacturer.text, "GIGADEVICE");
    EXPECT_EQ(lists().name.text, "GD25Q64");
    EXPECT_EQ(lists().name.items, db().NameListQuery("SPI FLASH", "GIGADEVICE"));
    EXPECT_EQ(session.Buffer.RamFile.Data.size(), 8388608u);

    EXPECT_FALSE(SelectChipByName(session, "NOSUCHCHIP"));
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, "GD25Q64");
    EXPECT_EQ(session.Chip.PrjInfo.Capacity, 8388608u);

    // A chip whose type the platform does not list is still selected.
    FillTypeList(session, {"SPI FLASH"});
    ASSERT_TRUE(SelectChipByName(session, "24C02"));
    EXPECT_EQ(lists().type.index, -1);
    EXPECT_EQ(lists().name.text, "24C02");
    EXPECT_EQ(session.Chip.PrjInfo.ChipTypeCode, 2);
}

TEST_F(ChipSelectionTest, SelectInFrameStopsAtTheFirstMissingEntry) {
    Pick("SPI FLASH", "GIGADEVICE", "GD25Q64");
    EXPECT_FALSE(SelectChipInFrame(session, "SPI FLASH", "NOBODY", "GD25Q64"));
    EXPECT_EQ(lists().manufacturer.index, -1);
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, "GD25Q64");
    EXPECT_FALSE(SelectChipInFrame(session, "NO TYPE", "GIGADEVICE", "GD25Q64"));
    EXPECT_EQ(lists().type.index, -1);
    EXPECT_TRUE(SelectChipInFrame(session, "24 EEPROM", "GENERIC", "24C16"));
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, "24C16");
}

TEST_F(ChipSelectionTest, NothingChangesWhileAnOperationRuns) {
    Pick("SPI FLASH", "GIGADEVICE", "GD25Q64");
    const std::vector<uint8_t> buffer = session.Buffer.RamFile.Data;
    session.Busy.Running = true;
    EXPECT_FALSE(ChooseListItem(session, ChipList::Type, IndexOf(ChipList::Type, "24 EEPROM")));
    EXPECT_FALSE(TypeListText(session, ChipList::Name, "24C02"));
    EXPECT_FALSE(SelectChipByName(session, "24C02"));
    EXPECT_FALSE(SelectChipInFrame(session, "24 EEPROM", "GENERIC", "24C02"));
    EXPECT_FALSE(ChooseChipName(session));
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, "GD25Q64");
    EXPECT_EQ(lists().type.text, "SPI FLASH");
    EXPECT_EQ(frame.lists[ChipList::Type].text, "SPI FLASH");  // the widget is put back
    EXPECT_EQ(session.Buffer.RamFile.Data, buffer);
}

TEST_F(ChipSelectionTest, UnsavedEditsAreReplacedByAnotherChipOnlyWhenThePersonAgrees) {
    Pick("24 EEPROM", "GENERIC", "24C02");
    session.Buffer.HexView = {kHexPageRows, true, 5, false};
    ASSERT_TRUE(TypeHexKey(session.Buffer, '1'));
    ASSERT_TRUE(ChooseListItem(session, ChipList::Name, IndexOf(ChipList::Name, "24C02")));  // the same chip
    EXPECT_TRUE(messages.questions.empty());
    messages.answer = false;
    EXPECT_FALSE(ChooseListItem(session, ChipList::Name, IndexOf(ChipList::Name, "24C04")));
    EXPECT_FALSE(SelectChipByName(session, "GD25Q64"));
    EXPECT_EQ(messages.questions.size(), 2u);
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, "24C02");
    EXPECT_EQ(frame.lists[ChipList::Name].text, "24C02");  // the widget is put back
    EXPECT_EQ(session.Buffer.RamFile.Data[5], 0x1F);
    messages.answer = true;
    ASSERT_TRUE(ChooseListItem(session, ChipList::Name, IndexOf(ChipList::Name, "24C04")));
    EXPECT_EQ(session.Buffer.RamFile.Data[5], 0xFF);
    EXPECT_FALSE(session.Buffer.History.Modified());
}

TEST_F(ChipSelectionTest, RestoreTakesTheRememberedChipAsANewOne) {
    session.Chip.PrjInfo.ChipName = "W25Q20BW";
    session.Buffer.RamFile.Data.assign(16, 0);
    EXPECT_EQ(RestoreLastChip(session), ChipRestore::Restored);
    EXPECT_EQ(lists().name.text, "W25Q20BW");
    EXPECT_EQ(lists().name.items, db().StartupNameListQuery("SPI FLASH", "WINBOND"));
    EXPECT_EQ(session.Buffer.RamFile.Data, std::vector<uint8_t>(262144, 0xFF));
    EXPECT_EQ(frame.socket, SocketPicture::Socket18V);
    EXPECT_TRUE(frame.detectEnabled[DetectButton::Frame]);
    EXPECT_TRUE(sim.commandLog().empty());

    struct Case {
        std::string chip;
        std::vector<std::string> types;
        ChipRestore result;
    };
    const Case cases[] = {
        {"NOSUCHCHIP", {"SPI FLASH"}, ChipRestore::NoRow},
        {"STM32F030F4", {"SPI FLASH", "24 EEPROM"}, ChipRestore::TypeNotListed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chip);
        FillTypeList(session, c.types);
        session.Chip.PrjInfo.ChipName = c.chip;
        EXPECT_EQ(RestoreLastChip(session), c.result);
        EXPECT_EQ(session.Chip.PrjInfo.Capacity, 262144u);  // the chip before stays
        EXPECT_EQ(lists().type.index, -1);
    }
}

}  // namespace
}  // namespace tq
