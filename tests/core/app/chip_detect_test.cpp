#include "core/app/chip_detect.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "support/chip_frame_rig.h"

namespace tq {
namespace {

const char* const kDetectErrorCn =
    "探测芯片型号出错！\r自动识别功能仅适用于部分厂商的25系列芯片！\r对于探测出错的芯片，请手动选择正确的型号！";

struct ChipDetectTest : ::testing::Test, testing::ChipFrameRig {
    ChipDetectTest() {
        EXPECT_TRUE(SelectChipByName(session, "24C02"));
        EXPECT_TRUE(Connect());
        ClearRecords();
    }
    void PutChipWithId(uint32_t id, bool hasId = true) {
        sim.InsertChip(SimChip{"SOCKET", 1, 8388608, id, hasId, 0});
    }
};

TEST_F(ChipDetectTest, MainWindowDetection) {
    struct Case {
        const char* what;
        uint32_t id;
        std::optional<uint16_t> answerLength;
        std::set<size_t> corrupt;        // answer offsets flipped (10 = the error byte)
        std::set<uint8_t> silent;
        DetectStatus status;
        std::string chip;                // selected afterwards
        std::string line;                // panel 0
        std::vector<std::string> boxes;  // message boxes
    };
    const std::string found = "10:42:07 检测并识别到芯片，型号：GD25Q64 容量：8 MiB (64 Mbit)";
    const std::string unknown = "10:42:07 检测到芯片，但未识别出芯片型号.芯片ID：ABCDEF";
    const Case cases[] = {
        {"ID 00 C8 40 17", 0x00C84017, {}, {}, {}, DetectStatus::Selected, "GD25Q64", found, {}},
        {"top byte ignored", 0x12C84017, {}, {}, {}, DetectStatus::Selected, "GD25Q64", found, {}},
        {"24-series family", 0x24000050, {}, {}, {}, DetectStatus::Failed, "24C02", kDetectErrorCn,
         {kDetectErrorCn}},
        {"5-byte answer", 0x00C84017, 5, {}, {}, DetectStatus::Failed, "24C02", kDetectErrorCn, {kDetectErrorCn}},
        {"error byte", 0x00C84017, {}, {10}, {}, DetectStatus::Failed, "24C02", kDetectErrorCn, {kDetectErrorCn}},
        {"no answer", 0x00C84017, {}, {}, {0x31}, DetectStatus::Failed, "24C02", kDetectErrorCn, {kDetectErrorCn}},
        {"unknown ID", 0x00ABCDEF, {}, {}, {}, DetectStatus::UnknownId, "24C02", unknown, {unknown}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(SelectChipByName(session, "24C02"));
        if (!session.Device.Link.Uart.Connected) {
            ASSERT_TRUE(Connect());
        }
        PutChipWithId(c.id);
        sim.faults = SimFaults{};
        sim.faults.answerLength = c.answerLength;
        sim.faults.corruptAnswerBytes = c.corrupt;
        sim.faults.silentCommands = c.silent;
        messages.messages.clear();
        status.panels[0].clear();

        const DetectResult result = DetectChip(session);
        sim.faults = SimFaults{};
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.outcome, c.status == DetectStatus::Selected ? OperationOutcome::Succeeded
                                                                     : OperationOutcome::Failed);
        EXPECT_EQ(session.Chip.PrjInfo.ChipName, c.chip);
        EXPECT_EQ(status.panels[0], c.line);
        EXPECT_EQ(messages.messages, c.boxes);
    }
}

TEST_F(ChipDetectTest, DetectedChipIsSelectedThroughTheFrame) {
    PutChipWithId(0x00C84017);
    const DetectResult result = DetectChip(session);
    ASSERT_EQ(result.status, DetectStatus::Selected);
    EXPECT_EQ(result.id, "C84017");
    EXPECT_EQ(lists().type.text, "SPI FLASH");
    EXPECT_EQ(lists().manufacturer.text, "GIGADEVICE");
    EXPECT_EQ(lists().name.items, db().NameListQuery("SPI FLASH", "GIGADEVICE"));
    EXPECT_EQ(session.Buffer.RamFile.Data.size(), 8388608u);
    ASSERT_TRUE(sim.selection().has_value());
    EXPECT_EQ(sim.selection()->capacity, 8388608u);
    EXPECT_TRUE(frame.detectEnabled.at(DetectButton::Main));
    EXPECT_FALSE(frame.detectEnabled.count(DetectButton::Frame));
}

TEST_F(ChipDetectTest, TwoMatchesOpenTheSearchAndSelectNothing) {
    PutChipWithId(0x00EF4017);
    const DetectResult result = DetectChip(session);
    EXPECT_EQ(result.status, DetectStatus::Candidates);
    EXPECT_EQ(result.outcome, OperationOutcome::Failed);
    const std::vector<ChipRow> rows = db().IdQuery("EF4017");
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(result.candidates, rows);
    ASSERT_EQ(frame.searchesOpened.size(), 1u);
    EXPECT_EQ(frame.searchesOpened.front(), rows);
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, "24C02");
    EXPECT_EQ(session.Buffer.RamFile.Data.size(), 256u);
    EXPECT_EQ(SelectFrames(), 0u);
    EXPECT_TRUE(status.panels[0].empty());
}

TEST_F(ChipDetectTest, FailureSendsA25SeriesChipAgainAndSpeaksTheLanguage) {
    struct Case {
        int language;
        std::string text;
    };
    const Case cases[] = {
        {0, kDetectErrorCn},
        {1, "探測芯片型號出錯！\r自動識別功能僅適用於部分廠商的25系列芯片！\r對於探測出錯的芯片，請手動選擇正確的型號！"},
        {2, "Detect chip error!\rPlease select the chip yourself!"},
    };
    ASSERT_TRUE(SelectChipByName(session, "AT25020"));
    PutChipWithId(0, false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        session.Texts.Language = c.language;
        ClearRecords();
        messages.messages.clear();
        EXPECT_EQ(DetectChip(session).status, DetectStatus::Failed);
        EXPECT_EQ(messages.messages, std::vector<std::string>{c.text});
        EXPECT_EQ(status.panels[0], c.text);
        EXPECT_EQ(SelectFrames(), 1u);  // the 25 EEPROM went to the programmer again
        EXPECT_EQ(session.Chip.PrjInfo.ChipName, "AT25020");
    }
    // Other chip types are not sent again.
    ASSERT_TRUE(SelectChipByName(session, "24C02"));
    ClearRecords();
    DetectChip(session);
    EXPECT_EQ(SelectFrames(), 0u);
}

TEST_F(ChipDetectTest, DetectButtonFollowsTheDetectedType) {
    db().QueryExec(
        "INSERT INTO [ChipName] (ChipName,ChipType,ManufName,Capacity,PageSize,BlockSize,OTPSize,Voltage,ChipID,Adder) "
        "VALUES ('ID25','25 EEPROM','ATMEL',256,8,16,0,5000,'AB0001','Varden')");
    PutChipWithId(0x00AB0001);
    EXPECT_EQ(DetectChip(session).status, DetectStatus::Selected);
    EXPECT_FALSE(frame.detectEnabled.at(DetectButton::Main));
    // The menu item still detects.
    PutChipWithId(0x00C84017);
    EXPECT_EQ(DetectChip(session).status, DetectStatus::Selected);
    EXPECT_TRUE(frame.detectEnabled.at(DetectButton::Main));
}

TEST_F(ChipDetectTest, FrameDetectionShowsNothingAndKnows24SeriesFamilies) {
    // The error byte is not looked at.
    PutChipWithId(0x00C84017);
    sim.faults.corruptAnswerBytes = {10};
    DetectResult result = DetectChipFromFrame(session);
    sim.faults = SimFaults{};
    EXPECT_EQ(result.status, DetectStatus::Selected);
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, "GD25Q64");
    EXPECT_TRUE(frame.detectEnabled.at(DetectButton::Frame));
    EXPECT_FALSE(frame.detectEnabled.count(DetectButton::Main));

    // A 24-series family byte selects the first maker's smallest 24 EEPROM.
    PutChipWithId(0x24000050);
    result = DetectChipFromFrame(session);
    EXPECT_EQ(result.status, DetectStatus::Selected);
    const std::vector<std::string> makers = db().ManufacturerListQuery("24 EEPROM");
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, db().NameListQuery("24 EEPROM", makers.front()).front());
    EXPECT_EQ(session.Chip.PrjInfo.ChipTypeCode, 2);
    EXPECT_FALSE(frame.detectEnabled.at(DetectButton::Frame));

    // Unknown IDs and failures stay silent.
    PutChipWithId(0x00ABCDEF);
    EXPECT_EQ(DetectChipFromFrame(session).status, DetectStatus::UnknownId);
    sim.faults.silentCommands = {0x31};
    EXPECT_EQ(DetectChipFromFrame(session).status, DetectStatus::Failed);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(status.history0.empty());
}

TEST_F(ChipDetectTest, RefusedWithoutProgrammerOrInsideAnOperation) {
    session.Busy.Running = true;
    EXPECT_EQ(DetectChip(session).outcome, OperationOutcome::Busy);
    session.Busy.Running = false;
    EXPECT_TRUE(sim.commandLog().empty() || sim.commandLog().back() != 0x31);

    session.Device.Link.DeviceReset();
    EXPECT_EQ(DetectChipFromFrame(session).outcome, OperationOutcome::NotConnected);
    EXPECT_EQ(messages.warnings, std::vector<std::string>{"没有设备连接！\r请检查确认！"});
    EXPECT_FALSE(session.Busy.Running);
}

TEST(ChipIdKeyTest, LowTwentyFourBitsAsSixUpperCaseDigits) {
    EXPECT_EQ(ChipIdKey(0x00C84017), "C84017");
    EXPECT_EQ(ChipIdKey(0x12C84017), "C84017");
    EXPECT_EQ(ChipIdKey(0x0000001F), "00001F");
}

}  // namespace
}  // namespace tq
