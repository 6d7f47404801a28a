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

    auto info = MenuHardInfoClick(rig.session.Operation);
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
    info = MenuHardInfoClick(rig.session.Operation);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->title, "硬件信息");
    EXPECT_EQ(info->serialNumber.label, "序列号：");
}

TEST(SelfCheck, RunsThreeSecondsOfProgressAndReportsSuccessWithoutSendingAnything) {
    const struct {
        int language;
        const char* running;
        const char* done;
    } cases[] = {
        {0, "设备正在自检...", "自检完成，设备正常"},
        {1, "設備正在自檢...", "自檢完成，設備正常."},
        {2, "Device self-testing...", "Device self-test success."},
    };
    for (const auto& c : cases) {
        OperationRig rig;
        rig.session.Texts.Language = c.language;
        ASSERT_TRUE(rig.Connect());
        const uint64_t transfers = rig.sim.transferCount();
        const uint32_t start = rig.clock.TickCount();
        EXPECT_EQ(MenuSelfCheckClick(rig.session.Operation), OperationOutcome::Succeeded);
        EXPECT_EQ(rig.clock.TickCount() - start, 3000u);
        EXPECT_EQ(rig.status.history0, (std::vector<std::string>{c.running, c.done}));
        EXPECT_EQ(rig.progress.maximum, 100u);
        ASSERT_EQ(rig.progress.positions.size(), 100u);
        EXPECT_EQ(rig.progress.positions.back(), 99u);
        EXPECT_EQ(rig.progress.label, "");
        EXPECT_EQ(rig.sim.transferCount(), transfers);
    }
}

}  // namespace
}  // namespace tq
