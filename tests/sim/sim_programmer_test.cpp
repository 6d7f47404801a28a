#include "sim/sim_programmer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "core/device/commands.h"
#include "core/device/presence.h"
#include "core/app/session.h"
#include "support/scratch_folder.h"

namespace tq {
namespace {

struct SimFixture : ::testing::Test {
    VirtualClock clock;
    SimProgrammer sim{clock};
    Session session{sim.volumes(), clock, std::filesystem::temp_directory_path()};
    DeviceLink& link = session.Device.Link;

    void Connect() { ASSERT_EQ(ConnectProgrammer(session.Device), ConnectResult::Connected); }
    void Select(uint8_t type, uint32_t capacity, uint16_t pageSize = 0) {
        SelectChip(link, ChipSelection{type, 0, 0, 0, pageSize, capacity});
    }
    void Write(ChipType type, uint32_t start, const std::vector<uint8_t>& data) {
        SendWriteHeader(link, 0, type, start, static_cast<uint32_t>(data.size()), 4096);
        SendWriteBlock(link, data.data(), static_cast<uint32_t>(data.size()), 4096);
    }
    uint8_t ReadByte(ChipType type, uint32_t address) {
        SendReadHeader(link, 0, type, address, 512, 512);
        return link.DeviceRead(link.ReceiveArea(), 512) == 512 ? link.ReceiveArea()[0] : 0;
    }
};

TEST_F(SimFixture, IdentifiesTheProgrammerOnTheVirtualClock) {
    sim.identity.firmware = "V2.10";
    Connect();
    EXPECT_EQ(session.Device.DevInf.FwVersion, "V2.10");
    EXPECT_EQ(session.Device.DevInf.HwVersion, sim.identity.hardware);
    EXPECT_EQ(session.Device.DevInf.SerialNo, sim.identity.serial);
    EXPECT_EQ(session.Device.DevInf.Model, "TQM7300B");
    EXPECT_EQ(session.Device.DevInf.DefaultModel, "TQM7300B");
    EXPECT_EQ(link.Uart.Connected, 1);
    EXPECT_EQ(sim.commandLog(), (std::vector<uint8_t>{0x10, 0x11, 0x12, 0x13}));
    EXPECT_EQ(clock.NowMicros(), 40000u);  // four exchanges of 10 ms, no real waiting
}

TEST_F(SimFixture, AVersionStartingWithFFIsAskedTwiceThenShownEmpty) {
    sim.identity.firmware = "\xFF\xFF";
    Connect();
    EXPECT_EQ(session.Device.DevInf.FwVersion, "");
    EXPECT_EQ(sim.commandLog(), (std::vector<uint8_t>{0x10, 0x10, 0x11, 0x12, 0x13}));
}

TEST_F(SimFixture, ASilentProgrammerLeavesTheLinkDownAndTheIdentityAsItWas) {
    session.Device.DevInf.Model = "earlier";
    sim.faults.silentCommands = {0x10};
    EXPECT_EQ(ConnectProgrammer(session.Device), ConnectResult::NoAnswer);
    EXPECT_EQ(link.Uart.Connected, 0);
    EXPECT_EQ(session.Device.DevInf.Model, "earlier");
    sim.attached = false;
    EXPECT_EQ(ConnectProgrammer(session.Device), ConnectResult::NotFound);
}

TEST_F(SimFixture, WrittenFlashOnlyClearsBitsAndReadsBack) {
    sim.InsertChip(SimChip{"F", 1, 8192, 0x00EF4013, true, 100});
    sim.chipMemory()[0] = 0x0F;
    Connect();
    Select(1, 8192);
    std::vector<uint8_t> data(5000, 0xF0);
    SendWriteHeader(link, 0, ChipType::SpiFlash, 0, 5000, 4096);
    SendWriteBlock(link, data.data(), 5000, 4096);
    SendWriteBlock(link, data.data() + 4096, 904, 4096);
    EXPECT_EQ(sim.chipMemory()[0], 0x00);  // 0x0F & 0xF0
    EXPECT_EQ(sim.chipMemory()[4999], 0xF0);
    EXPECT_EQ(sim.chipMemory()[5000], 0xFF);  // the padding beyond the length is not programmed

    SendReadHeader(link, 0, ChipType::SpiFlash, 4096, 1024, 1024);
    ASSERT_EQ(link.DeviceRead(link.ReceiveArea(), 1024), 1024u);
    EXPECT_EQ(link.ReceiveArea()[0], 0xF0);
    EXPECT_EQ(link.ReceiveArea()[903], 0xF0);
    EXPECT_EQ(link.ReceiveArea()[904], 0xFF);
}

TEST_F(SimFixture, EepromsOverwriteAndThePolledEraseTakesTheChipsTime) {
    sim.InsertChip(SimChip{"E", 4, 4096, 0x001F2400, true, 5000});
    Connect();
    Select(4, 4096);
    EXPECT_EQ(SendErase(link, 0, ChipType::Eeprom45, 0), CommandResult::EraseBusy);  // started, still busy
    clock.Advance(4000000);
    EXPECT_EQ(SendErase(link, 0, ChipType::Eeprom45, 1), CommandResult::EraseBusy);
    clock.Advance(1000000);
    EXPECT_EQ(SendErase(link, 0, ChipType::Eeprom45, 1), CommandResult::Ok);
    EXPECT_EQ(BlankCheck(link, 0, ChipType::Eeprom45, 0, 4096), CommandResult::Ok);
    sim.chipMemory()[100] = 0x00;
    EXPECT_EQ(BlankCheck(link, 0, ChipType::Eeprom45, 0, 100), CommandResult::Ok);
    EXPECT_EQ(BlankCheck(link, 0, ChipType::Eeprom45, 0, 101), CommandResult::NotBlank);
}

// Data sent while the chip is still erasing is not stored (the host must
// wait for the erase's end); after it, the same write is. A removal asked
// for from another thread takes effect before the next transfer.
TEST_F(SimFixture, AChipBusyErasingIgnoresWritesAndARequestedRemovalComesFirst) {
    sim.InsertChip(SimChip{"F", 1, 4096, 0, true, 3000});
    Connect();
    Select(1, 4096);
    EXPECT_EQ(SendErase(link, 0, ChipType::SpiFlash, 0), CommandResult::EraseBusy);
    Write(ChipType::SpiFlash, 0, std::vector<uint8_t>(16, 0x12));
    EXPECT_TRUE(sim.Erasing());
    EXPECT_EQ(sim.chipMemory()[0], 0xFF);
    clock.Advance(3000000);
    EXPECT_FALSE(sim.Erasing());
    Write(ChipType::SpiFlash, 0, std::vector<uint8_t>(16, 0x12));
    EXPECT_EQ(sim.chipMemory()[0], 0x12);

    sim.RequestChipRemoval();
    EXPECT_NE(sim.chip(), nullptr);  // not before the programmer is next asked
    uint8_t first = 0, second = 0;
    ChipPresence(link, ChipType::SpiFlash, first, second);
    EXPECT_EQ(sim.chip(), nullptr);
    EXPECT_EQ(first, 1);
}

TEST_F(SimFixture, AChipDrivenWithAnotherAlgorithmReadsFFAndKeepsItsBytes) {
    const struct {
        const char* what;
        std::optional<ChipSelection> selection;
        ChipType commandType;
        bool driven;
    } cases[] = {
        {"its own algorithm", ChipSelection{1, 0, 0, 0, 256, 8192}, ChipType::SpiFlash, true},
        {"nothing selected", std::nullopt, ChipType::SpiFlash, false},
        {"24 EEPROM selected", ChipSelection{2, 0, 0, 0, 256, 8192}, ChipType::SpiFlash, false},
        {"another size selected", ChipSelection{1, 0, 0, 0, 256, 4096}, ChipType::SpiFlash, false},
        {"command of another type", ChipSelection{1, 0, 0, 0, 256, 8192}, ChipType::Eeprom24, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SimProgrammer fresh(clock);
        Session s{fresh.volumes(), clock, std::filesystem::temp_directory_path()};
        DeviceLink& l = s.Device.Link;
        fresh.InsertChip(SimChip{"F", 1, 8192, 0x00EF4013, true, 0});
        fresh.chipMemory().assign(8192, 0x5A);
        ASSERT_EQ(ConnectProgrammer(s.Device), ConnectResult::Connected);
        if (c.selection) SelectChip(l, *c.selection);

        SendReadHeader(l, 0, c.commandType, 0, 512, 512);
        ASSERT_EQ(l.DeviceRead(l.ReceiveArea(), 512), 512u);
        EXPECT_EQ(l.ReceiveArea()[0], c.driven ? 0x5A : 0xFF);
        EXPECT_EQ(BlankCheck(l, 0, c.commandType, 0, 8192), c.driven ? CommandResult::NotBlank : CommandResult::Ok);
        const std::vector<uint8_t> zeros(512, 0x00);
        SendWriteHeader(l, 0, c.commandType, 0, 512, 512);
        SendWriteBlock(l, zeros.data(), 512, 512);
        EXPECT_EQ(fresh.chipMemory()[0], c.driven ? 0x00 : 0x5A);
        // An erase never ends and leaves the bytes: its status reads busy.
        EXPECT_EQ(SendErase(l, 0, c.commandType, 0), c.driven ? CommandResult::Ok : CommandResult::EraseBusy);
        EXPECT_EQ(fresh.chipMemory()[1], c.driven ? 0xFF : 0x5A);
    }
}

TEST_F(SimFixture, AddressesWrapWithinTheChipAndOnlyFlashAndsBits) {
    const struct {
        uint8_t type;
        uint8_t afterTwoWrites;  // 0x0F then 0xF0 at the same address
    } cases[] = {{1, 0x00}, {7, 0x00}, {2, 0xF0}, {3, 0xF0}, {4, 0xF0}, {5, 0xF0}, {6, 0xF0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.type));
        sim.InsertChip(SimChip{"C", c.type, 256, 0, false, 0});
        Connect();
        Select(c.type, 256, 8);
        const ChipType type = static_cast<ChipType>(c.type);
        Write(type, 0xF8, std::vector<uint8_t>(16, 0x0F));  // the second half lands at 0
        Write(type, 0x100, std::vector<uint8_t>{0xF0});
        EXPECT_EQ(sim.chipMemory()[0], c.afterTwoWrites);
        EXPECT_EQ(sim.chipMemory()[0xF8], 0x0F);
        EXPECT_EQ(sim.chipMemory()[8], 0xFF);
        EXPECT_EQ(ReadByte(type, 0x1F8), 0x0F);
    }
}

TEST_F(SimFixture, EepromWriteCyclesHoldTheNextTransfer) {
    const struct {
        uint8_t type;
        uint32_t bytes;
        uint64_t busyMicros;
    } cases[] = {
        {2, 256, 32 * 5000},  // 32 pages of 8 bytes
        {6, 20, 3 * 5000},    // 20 bytes from 0 touch three pages
        {5, 100, 100 * 1000},
        {1, 256, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.type));
        sim.InsertChip(SimChip{"C", c.type, 256, 0, false, 0});
        Connect();
        Select(c.type, 256, 8);
        Write(static_cast<ChipType>(c.type), 0, std::vector<uint8_t>(c.bytes, 0x11));
        const uint64_t stored = clock.NowMicros();
        SetIndicator(link, IndicatorCode::Working);
        EXPECT_EQ(clock.NowMicros() - stored, c.busyMicros + 10000);  // then the exchange's own 10 ms
    }
}

TEST_F(SimFixture, OneShotTransferFaults) {
    Connect();
    const uint64_t next = sim.transferCount() + 1;
    sim.faults.dropAnswerAt = next;  // the frame arrives, its answer is lost
    EXPECT_EQ(SetIndicator(link, IndicatorCode::Working), CommandResult::NoAnswer);
    EXPECT_EQ(sim.indicatorLog().size(), 1u);
    Connect();
    sim.faults.failTransferAt = sim.transferCount() + 1;  // the frame never arrives
    EXPECT_EQ(SetIndicator(link, IndicatorCode::Working), CommandResult::NoAnswer);
    EXPECT_EQ(sim.indicatorLog().size(), 1u);
    Connect();
    EXPECT_EQ(SetIndicator(link, IndicatorCode::Working), CommandResult::Ok);
}

TEST_F(SimFixture, SocketStatesAndChipIdFollowTheSocket) {
    Connect();
    uint8_t s1 = 0xFF, s2 = 0xFF;
    uint32_t id = 0;
    uint8_t error = 0, extra = 0;
    ASSERT_EQ(ChipPresence(link, ChipType::SpiFlash, s1, s2), CommandResult::Ok);
    EXPECT_NE(s1, 0);  // empty
    ASSERT_EQ(ReadChipId(link, id, error, extra), CommandResult::Ok);
    EXPECT_NE(error, 0);
    sim.InsertChip(SimChip{"GD25Q64", 1, 1 << 23, 0x00C84017, true, 1000});
    ASSERT_EQ(ChipPresence(link, ChipType::SpiFlash, s1, s2), CommandResult::Ok);
    EXPECT_EQ(s1, 0);
    ASSERT_EQ(ReadChipId(link, id, error, extra), CommandResult::Ok);
    EXPECT_EQ(id, 0x00C84017u);
    EXPECT_EQ(error, 0);
}

TEST_F(SimFixture, InjectedFaultsReachTheHost) {
    sim.InsertChip(SimChip{"F", 1, 8192, 0x00EF4013, true, 0});
    Connect();
    uint32_t id = 0;
    uint8_t error = 0, extra = 0;
    sim.faults.answerLength = 5;
    EXPECT_EQ(ReadChipId(link, id, error, extra), CommandResult::WrongLength);
    sim.faults.answerLength.reset();

    sim.faults.notDeliveredBlocks = {0};
    sim.faults.markerSector = 1;
    SendReadHeader(link, 0, ChipType::SpiFlash, 0, 1024, 1024);
    ASSERT_EQ(link.DeviceRead(link.ReceiveArea(), 1024), 1024u);
    EXPECT_TRUE(BlockHasNotDeliveredMarker(link.ReceiveArea(), 1024));
    ASSERT_EQ(link.DeviceRead(link.ReceiveArea(), 1024), 1024u);  // the block comes on the next request
    EXPECT_FALSE(BlockHasNotDeliveredMarker(link.ReceiveArea(), 1024));

    sim.faults.removeAfterTransfers = 1;
    EXPECT_EQ(SetIndicator(link, IndicatorCode::Working), CommandResult::NoAnswer);  // the write goes through, the answer does not
    EXPECT_EQ(link.Uart.Connected, 0);
    EXPECT_FALSE(link.FindDeviceDrive());
}

TEST_F(SimFixture, KeepsChipMemoryAndStorageBetweenRuns) {
    const testing::ScratchFolder scratch;
    const std::filesystem::path& folder = scratch.path();
    const SimChip chip{"24C02", 2, 256, 0, false, 0};
    sim.InsertChip(chip);
    sim.chipMemory()[7] = 0x42;
    sim.storage()[9] = 0x24;
    std::string error;
    ASSERT_TRUE(sim.SaveState(folder, error)) << error;

    SimProgrammer later(clock);
    later.InsertChip(chip);
    ASSERT_TRUE(later.LoadState(folder, error)) << error;
    EXPECT_EQ(later.chipMemory()[7], 0x42);
    EXPECT_EQ(later.storage()[9], 0x24);
}

}  // namespace
}  // namespace tq
