#include "core/device/commands.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/fake_volumes.h"
#include "support/recording_views.h"

namespace tq {
namespace {

using testing::FakeVolumes;

struct CommandFixture : ::testing::Test {
    FakeVolumes volumes;
    VirtualClock clock;
    DeviceLink link{volumes, clock};

    void SetUp() override {
        volumes.volumes = {testing::ProgrammerVolume()};
        ASSERT_TRUE(link.FindDeviceDrive());
    }
    // Each case runs on a fresh connection, since a missing answer drops the link.
    void Reconnect() {
        link.DeviceReset();
        ASSERT_TRUE(link.FindDeviceDrive());
        link.Uart.Connected = 1;
        volumes.drive.answers.clear();
        volumes.drive.writes.clear();
    }
};

TEST_F(CommandFixture, EveryWrapperMapsAnswersToItsResultCodes) {
    using R = CommandResult;
    uint32_t id = 0;
    uint8_t e = 0, x = 0, s1 = 0xFF, s2 = 0xFF;
    std::string text;
    struct Case {
        const char* name;
        std::function<R()> call;
        R answered;  // with a well-formed answer
        R silent;    // no answer
        std::optional<R> wrongLength;  // answer of a wrong data length
        std::vector<uint8_t> data;       // the well-formed answer's data
        uint8_t status = 0;
    };
    const Case cases[] = {
        {"0x10", [&] { return GetFwVersion(link, text); }, R::Ok, R::NoAnswer, {}, {'V', '1'}},
        {"0x11", [&] { return GetHwVersion(link, text); }, R::Ok, R::NoAnswer, {}, {'H'}},
        {"0x12", [&] { return GetSerial(link, text); }, R::Ok, R::NoAnswer, {}, {'S'}},
        {"0x13", [&] { return GetModel(link, text); }, R::Ok, R::NoAnswer, {}, {'M'}},
        {"0x14", [&] { return SetLanguage(link, 2); }, R::Ok, R::NoAnswer, {}, {}},
        {"0x20", [&] { return SetIndicator(link, IndicatorCode::Working); }, R::Ok, R::NoAnswer, {}, {}},
        {"0x31", [&] { return ReadChipId(link, id, e, x); }, R::Ok, R::NoAnswer, R::WrongLength, {0, 0xC8, 0x40, 0x17, 0, 0}},
        {"0x32 done", [&] { return SendErase(link, 0, ChipType::SpiFlash, 1); }, R::Ok, R::EraseNoAnswer, R::WrongLength, {0x55}},
        {"0x32 busy", [&] { return SendErase(link, 0, ChipType::SpiFlash, 1); }, R::EraseBusy, R::EraseNoAnswer, R::WrongLength, {0x00}},
        {"0x37 blank", [&] { return BlankCheck(link, 0, ChipType::SpiFlash, 0, 16); }, R::Ok, R::NotBlank, {}, {}, 0},
        {"0x37 not blank", [&] { return BlankCheck(link, 0, ChipType::SpiFlash, 0, 16); }, R::NotBlank, R::NotBlank, {}, {}, 1},
        {"0x38", [&] { return ChipPresence(link, ChipType::SpiFlash, s1, s2); }, R::Ok, R::SocketNoAnswer, R::SocketWrongLength, {0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reconnect();
        volumes.QueueAnswer(c.data, c.status);
        EXPECT_EQ(c.call(), c.answered);
        Reconnect();
        EXPECT_EQ(c.call(), c.silent);
        if (c.wrongLength) {
            Reconnect();
            std::vector<uint8_t> longer = c.data;
            longer.push_back(0);
            volumes.QueueAnswer(longer, c.status);
            EXPECT_EQ(c.call(), *c.wrongLength);
        }
    }
}

TEST_F(CommandFixture, ChipIdAndSocketStatesAreTakenOnlyFromWellFormedAnswers) {
    Reconnect();
    uint32_t id = 7;
    uint8_t e = 9, x = 9;
    volumes.QueueAnswer({0x12, 0xC8, 0x40, 0x17, 0x01, 0x33});
    ASSERT_EQ(ReadChipId(link, id, e, x), CommandResult::Ok);
    EXPECT_EQ(id, 0x12C84017u);
    EXPECT_EQ(e, 1);
    EXPECT_EQ(x, 0x33);

    Reconnect();
    id = 7;
    volumes.QueueAnswer({0x00, 0xC8, 0x40, 0x17, 0x00});  // five bytes
    EXPECT_EQ(ReadChipId(link, id, e, x), CommandResult::WrongLength);
    EXPECT_EQ(id, 7u);

    Reconnect();
    uint8_t s1 = 0xFF, s2 = 0xFF;
    volumes.QueueAnswer({0, 0, 0});
    EXPECT_EQ(ChipPresence(link, ChipType::SpiFlash, s1, s2), CommandResult::SocketWrongLength);
    EXPECT_EQ(s1, 0xFF);
    EXPECT_EQ(s2, 0xFF);
}

TEST_F(CommandFixture, AnUnansweredTextQueryLeavesTheTextAndAFFVersionIsKeptAsSent) {
    Reconnect();
    std::string text = "before";
    EXPECT_EQ(GetFwVersion(link, text), CommandResult::NoAnswer);
    EXPECT_EQ(text, "before");
    Reconnect();
    volumes.QueueAnswer({});
    EXPECT_EQ(GetFwVersion(link, text), CommandResult::Ok);
    EXPECT_EQ(text, "");
}

TEST_F(CommandFixture, StreamHeadersAreSentWithoutWaitingOrReading) {
    Reconnect();
    const uint64_t before = clock.NowMicros();
    SendWriteHeader(link, 0, ChipType::Eeprom45, 0x00010000, 5000, 2048);
    EXPECT_EQ(clock.NowMicros(), before);
    EXPECT_TRUE(volumes.drive.readLengths.empty());
    ASSERT_EQ(volumes.drive.writes.size(), 1u);
    const std::vector<uint8_t> expected = {0x02, 0x35, 0x00, 0x01, 0x00, 0x0C, 0x00, 0x04, 0x00, 0x01,
                                           0x00, 0x00, 0x00, 0x00, 0x13, 0x88, 0x08, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(volumes.drive.writes[0].begin(), volumes.drive.writes[0].begin() + 18), expected);
}

TEST_F(CommandFixture, AWriteStreamPadsItsFinalBlockWithFF) {
    Reconnect();
    std::vector<uint8_t> data(5000, 0x3C);
    for (uint32_t at = 0; at < data.size(); at += 2048)
        SendWriteBlock(link, data.data() + at, static_cast<uint32_t>(data.size() - at), 2048);
    ASSERT_EQ(volumes.drive.writes.size(), 3u);
    for (const auto& w : volumes.drive.writes) EXPECT_EQ(w.size(), 2048u);
    const auto& last = volumes.drive.writes[2];
    EXPECT_EQ(last[903], 0x3C);
    EXPECT_EQ(last[904], 0xFF);
    EXPECT_EQ(last[2047], 0xFF);
}

TEST(NotDeliveredMarker, IsFoundAtTheStartOfAnySector) {
    std::vector<uint8_t> block(1024, 0);
    EXPECT_FALSE(BlockHasNotDeliveredMarker(block.data(), 1024));
    std::memcpy(block.data() + 512, kNotDeliveredMarker, 4);
    EXPECT_TRUE(BlockHasNotDeliveredMarker(block.data(), 1024));
    std::fill(block.begin(), block.end(), 0);
    std::memcpy(block.data() + 100, kNotDeliveredMarker, 4);  // not at a sector start
    EXPECT_FALSE(BlockHasNotDeliveredMarker(block.data(), 1024));
}

TEST_F(CommandFixture, TheAbortBlockIsTenBytesRoundedToASector) {
    Reconnect();
    SendAbortBlock(link);
    ASSERT_EQ(volumes.drive.writes.size(), 1u);
    EXPECT_EQ(volumes.drive.writes[0].size(), 512u);
    EXPECT_EQ(std::vector<uint8_t>(volumes.drive.writes[0].begin(), volumes.drive.writes[0].begin() + 5),
              (std::vector<uint8_t>{0x55, 0x56, 0xAA, 0xAB, 0xFF}));
}

TEST_F(CommandFixture, AnUnansweredBootCommandFails) {
    Reconnect();
    EXPECT_EQ(EnterBoot(link), CommandResult::BootNoAnswer);
}

}  // namespace
}  // namespace tq
