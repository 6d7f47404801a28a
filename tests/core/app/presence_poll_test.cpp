#include "core/app/presence_poll.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/chip_frame_rig.h"

namespace tq {
namespace {

struct PresencePollTest : ::testing::Test, testing::ChipFrameRig {
    PresencePollTest() {
        sim.attached = false;
        FillTypeList(session, {});
    }
    size_t Sent(uint8_t code) const {
        return static_cast<size_t>(std::count(sim.commandLog().begin(), sim.commandLog().end(), code));
    }
};

TEST_F(PresencePollTest, PlugInIdentifiesAndListsThePlatformsTypes) {
    EXPECT_EQ(TimerForMassProduct(session), PollResult::NoProgrammer);
    EXPECT_TRUE(sim.commandLog().empty());

    sim.attached = true;
    EXPECT_EQ(TimerForMassProduct(session), PollResult::Identified);
    EXPECT_EQ(session.Device.Link.Uart.Connected, 1);
    EXPECT_EQ(status.panels[2], "设备已连接    设备版本:V1.02");
    EXPECT_EQ(progress.label, "Conn");
    EXPECT_EQ(progress.state, ProgressState::Normal);
    EXPECT_EQ(frame.offlineMenuVisible, false);
    EXPECT_EQ(session.Device.DevInf.SerialNo, "TQ7300B00012345");
    EXPECT_EQ(session.Device.DevInf.DefaultModel, "TQM7300B");
    EXPECT_EQ(lists().type.items, db().TypeListQuery("TQM7").types);
    EXPECT_EQ(lists().type.items.size(), 7u);
    EXPECT_EQ(lists().type.index, -1);  // nothing selected, no handler ran
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, "");
    EXPECT_EQ(sim.commandLog(), (std::vector<uint8_t>{0x10, 0x11, 0x12, 0x13}));

    // Connected and present: the poll sends nothing.
    EXPECT_EQ(TimerForMassProduct(session), PollResult::Online);
    EXPECT_EQ(sim.commandLog().size(), 4u);
}

TEST_F(PresencePollTest, AChipChosenBeforeTheProgrammerConnectedIsSentToItOnConnecting) {
    ASSERT_TRUE(SelectChipByName(session, "GD25Q64"));  // nothing to send it to yet
    EXPECT_TRUE(sim.commandLog().empty());
    sim.attached = true;
    EXPECT_EQ(TimerForMassProduct(session), PollResult::Identified);
    EXPECT_EQ(sim.commandLog(), (std::vector<uint8_t>{0x10, 0x11, 0x12, 0x13, 0x39}));
    ASSERT_TRUE(sim.selection().has_value());
    EXPECT_EQ(sim.selection()->capacity, 8u * 1024 * 1024);
}

TEST_F(PresencePollTest, TheRefilledTypeListStillShowsTheChipsTypeSoAMakerChoiceFindsChips) {
    FillTypeList(session, db().TypeListQuery("TQM7").types);
    ASSERT_TRUE(SelectChipByName(session, "GD25Q64"));
    sim.attached = true;
    ASSERT_EQ(TimerForMassProduct(session), PollResult::Identified);
    EXPECT_EQ(lists().type.text, "SPI FLASH");
    const int maker = IndexOf(ChipList::Manufacturer, "WINBOND");
    ASSERT_GE(maker, 0);
    ASSERT_TRUE(ChooseListItem(session, ChipList::Manufacturer, maker));
    EXPECT_EQ(lists().name.items, db().NameListQuery("SPI FLASH", "WINBOND"));
    EXPECT_FALSE(lists().name.items.empty());
}

TEST_F(PresencePollTest, AnotherPlatformChangesTheTypesAndTheDefaultModel) {
    sim.attached = true;
    sim.identity.model = "M500-16";
    EXPECT_EQ(TimerForMassProduct(session), PollResult::Identified);
    EXPECT_EQ(session.Device.DevInf.DefaultModel, "M500-16");
    EXPECT_EQ(lists().type.items, db().TypeListQuery("M500").types);
    EXPECT_EQ(std::count(lists().type.items.begin(), lists().type.items.end(), "SWD ARM"), 0);
}

TEST_F(PresencePollTest, UnplugShowsOfflineAndKeepsTheIdentity) {
    sim.attached = true;
    ASSERT_EQ(TimerForMassProduct(session), PollResult::Identified);
    status.panels[0] = "10:00:00 something";
    sim.attached = false;
    EXPECT_EQ(TimerForMassProduct(session), PollResult::WentOffline);
    EXPECT_EQ(session.Device.Link.Uart.Connected, 0);
    EXPECT_EQ(status.panels[2], "设备离线");
    EXPECT_EQ(status.panels[0], "");
    EXPECT_EQ(progress.label, "Error");
    EXPECT_EQ(progress.state, ProgressState::Error);
    EXPECT_EQ(session.Device.DevInf.FwVersion, "V1.02");
    EXPECT_EQ(TimerForMassProduct(session), PollResult::NoProgrammer);

    // Plugged in again: identified afresh.
    sim.attached = true;
    sim.identity.firmware = "V2.00";
    EXPECT_EQ(TimerForMassProduct(session), PollResult::Identified);
    EXPECT_EQ(status.panels[2], "设备已连接    设备版本:V2.00");
}

TEST_F(PresencePollTest, SilentDriveConnectsAndDropsOnEveryTickInvisibly) {
    sim.attached = true;
    sim.faults.silentCommands = {0x10};
    status.panels[2] = "设备离线";
    for (int tick = 1; tick <= 3; ++tick) {
        EXPECT_EQ(TimerForMassProduct(session), PollResult::NoAnswer);
        EXPECT_EQ(session.Device.Link.Uart.Connected, 0);
        EXPECT_EQ(Sent(0x10), static_cast<size_t>(tick));
    }
    EXPECT_EQ(Sent(0x11), 0u);
    EXPECT_EQ(status.panels[2], "设备离线");
    EXPECT_TRUE(progress.labels.empty());
    EXPECT_TRUE(lists().type.items.empty());
    EXPECT_FALSE(frame.offlineMenuVisible.has_value());
}

TEST_F(PresencePollTest, AProgrammerThatStopsAnsweringHalfWayIsNotIdentified) {
    for (const uint8_t silent : {0x11, 0x12, 0x13}) {
        SCOPED_TRACE(silent);
        sim.attached = true;
        sim.faults.silentCommands = {silent};
        session.Device.DevInf = Dev_Inf_Struct{};
        session.Device.DevInf.DefaultModel = "M500-16";
        status.panels[2] = "设备离线";
        EXPECT_EQ(TimerForMassProduct(session), PollResult::NoAnswer);
        EXPECT_EQ(session.Device.Link.Uart.Connected, 0);
        EXPECT_EQ(session.Device.DevInf.FwVersion, "");
        EXPECT_EQ(session.Device.DevInf.Model, "");
        EXPECT_EQ(session.Device.DevInf.DefaultModel, "M500-16");
        EXPECT_EQ(status.panels[2], "设备离线");
        // The next tick tries again and succeeds once every answer arrives.
        sim.faults.silentCommands.clear();
        EXPECT_EQ(TimerForMassProduct(session), PollResult::Identified);
        EXPECT_EQ(session.Device.DevInf.Model, "TQM7300B");
        sim.attached = false;
        EXPECT_EQ(TimerForMassProduct(session), PollResult::WentOffline);
    }
}

TEST_F(PresencePollTest, FirmwareVersionOfFFIsAskedForTwice) {
    sim.attached = true;
    sim.identity.firmware = "\xFF\xFF\xFF\xFF";
    EXPECT_EQ(TimerForMassProduct(session), PollResult::Identified);
    EXPECT_EQ(Sent(0x10), 2u);
    EXPECT_EQ(session.Device.DevInf.FwVersion, "");
    EXPECT_EQ(status.panels[2], "设备已连接    设备版本:");

    // A programmer that has finished starting answers the second time.
    sim.attached = false;
    TimerForMassProduct(session);
    sim.attached = true;
    clock.SetEventHook([this] {
        if (Sent(0x10) == 3) sim.identity.firmware = "V1.05";
    });
    EXPECT_EQ(TimerForMassProduct(session), PollResult::Identified);
    clock.SetEventHook(nullptr);
    EXPECT_EQ(Sent(0x10), 4u);
    EXPECT_EQ(session.Device.DevInf.FwVersion, "V1.05");
}

TEST_F(PresencePollTest, DuringAnOperationTheStepOnlyLooksForTheDrive) {
    sim.attached = true;
    session.Busy.Running = true;
    EXPECT_EQ(TimerForMassProduct(session), PollResult::Deferred);
    EXPECT_TRUE(sim.commandLog().empty());
    EXPECT_EQ(session.Device.Link.Uart.Connected, 0);
    session.Busy.Running = false;
    EXPECT_EQ(TimerForMassProduct(session), PollResult::Identified);

    // A drive that goes away during an operation still drops the link.
    session.Busy.Running = true;
    sim.attached = false;
    EXPECT_EQ(TimerForMassProduct(session), PollResult::WentOffline);
    EXPECT_EQ(session.Device.Link.Uart.Connected, 0);
    session.Busy.Running = false;
}

TEST_F(PresencePollTest, SwitchedOffTimerDoesNothing) {
    sim.attached = true;
    session.Device.PollEnabled = false;
    EXPECT_EQ(TimerForMassProduct(session), PollResult::TimerOff);
    EXPECT_EQ(session.Device.Link.Uart.Connected, 0);
    EXPECT_TRUE(sim.commandLog().empty());
}

}  // namespace
}  // namespace tq
