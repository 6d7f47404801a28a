#include "core/operations/hardware_info.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/base/text_encoding.h"
#include "support/operation_rig.h"

namespace tq {
namespace {

using testing::OperationRig;

TEST(HardInfo, ShowsTheIdentityWithLabelsFromTheLanguageFileOrTheirDefaults) {
    OperationRig rig;
    rig.sim.identity = {"V2.10", "HW-3", "SN0042", "TQM7300B"};
    ASSERT_TRUE(rig.Connect());
    // English texts with two of the five labels; the others keep their defaults.
    std::ofstream(rig.folder.path() / "EN.ini", std::ios::binary)
        << Utf8ToGbk("[HardInfo]\r\nDevSN=Serial:\r\nHardInfoTitle=Info\r\n");
    rig.session.Texts.Language = 2;

    auto info = ReadHardwareInfo(rig.session.Operation);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->title, "Info");
    EXPECT_EQ(info->serialNumber.label, "Serial:");
    EXPECT_EQ(info->serialNumber.text, "SN0042");
    EXPECT_EQ(info->deviceName.label, "设备名：");
    EXPECT_EQ(info->deviceName.text, "TQM7300B");
    EXPECT_EQ(info->firmwareVersion.label, "固件版本：");
    EXPECT_EQ(info->firmwareVersion.text, "V2.10");
    EXPECT_EQ(info->hardwareVersion.label, "硬件版本：");
    EXPECT_EQ(info->hardwareVersion.text, "HW-3");

    // The file is read each time: another language, no file, every default.
    rig.session.Texts.Language = 0;
    info = ReadHardwareInfo(rig.session.Operation);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->title, "硬件信息");
    EXPECT_EQ(info->serialNumber.label, "序列号：");
}

TEST(SelfCheck, RunsThreeSecondsOfProgressAndSaysSuccessOnlyWhenTheProgrammerAnswers) {
    const struct {
        int language;
        bool answers;
        const char* running;
        const char* done;
    } cases[] = {
        {0, true, "设备正在自检...", "自检完成，设备正常"},
        {1, true, "設備正在自檢...", "自檢完成，設備正常."},
        {2, true, "Device self-testing...", "Device self-test passed."},
        {2, false, "Device self-testing...", "Device self-test failed: the programmer does not answer."},
    };
    for (const auto& c : cases) {
        OperationRig rig;
        rig.session.Texts.Language = c.language;
        ASSERT_TRUE(rig.Connect());
        if (!c.answers) rig.sim.faults.silentCommands = {0x10};
        rig.ClearRecords();
        const uint32_t start = rig.clock.TickCount();
        EXPECT_EQ(RunSelfCheck(rig.session.Operation),
                  c.answers ? OperationOutcome::Succeeded : OperationOutcome::Failed);
        EXPECT_GE(rig.clock.TickCount() - start, 3000u);
        EXPECT_EQ(rig.status.history0, (std::vector<std::string>{c.running, c.done}));
        EXPECT_EQ(rig.progress.maximum, 100u);
        EXPECT_EQ(rig.progress.positions.at(99), 99u);
        EXPECT_EQ(rig.progress.label, c.answers ? "" : "ERROR");
        EXPECT_EQ(rig.Frames(0x10).size(), 1u);
    }
}

}  // namespace
}  // namespace tq
