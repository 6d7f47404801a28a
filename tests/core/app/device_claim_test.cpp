// One process (one session) per programmer: a second session aimed at a
// programmer another one has claimed sends nothing and is told who has it.
// The programmer's volume is a temporary folder holding a real Write.Temp,
// with the Linux exchange file and lock behind it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "core/app/presence_poll.h"
#include "core/app/session.h"
#include "core/device/presence.h"
#include "core/platform/clock.h"
#include "core/platform/system_volumes.h"
#include "support/program_folder.h"
#include "support/recording_views.h"

namespace tq {
namespace {

// Lists the folder as the programmer's 4608-byte removable volume; files
// and locks are the machine's own.
class FolderDriveVolumes final : public Volumes {
public:
    explicit FolderDriveVolumes(std::string root) : root_(std::move(root)) {}
    std::vector<VolumeInfo> List() override { return {Describe(root_)}; }
    VolumeInfo Describe(const std::string& root) override { return {root, true, true, 4608}; }
    std::string PathInRoot(const std::string& root, const std::string& name) override {
        return system_->PathInRoot(root, name);
    }
    std::unique_ptr<ExchangeFile> OpenExchangeFile(const std::string& path, bool forWrite, std::string& error) override {
        return system_->OpenExchangeFile(path, forWrite, error);
    }
    std::unique_ptr<DeviceClaim> ClaimExchangeFile(const std::string& path, std::string& holder) override {
        return system_->ClaimExchangeFile(path, holder);
    }

private:
    std::string root_;
    std::unique_ptr<Volumes> system_ = MakeSystemVolumes();
};

std::string ProcessName() {
    std::ifstream comm("/proc/self/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

TEST(DeviceClaim, ASecondSessionOnTheSameProgrammerSendsNothingAndNamesTheHolder) {
    testing::ProgramFolder drive;
    drive.WriteBytes("Write.Temp", std::string(4096, '\x5A'));
    FolderDriveVolumes volumes(drive.path().string());
    VirtualClock clock;
    testing::RecordingMessages messages;
    testing::RecordingStatusBar statusBar;

    Session first(volumes, clock, drive.path());
    ASSERT_TRUE(first.Device.Link.FindDeviceDrive());
    ASSERT_TRUE(first.Device.Link.ClaimDevice());

    Session second(volumes, clock, drive.path());
    second.Views.messages = &messages;
    second.Views.statusBar = &statusBar;
    second.Texts.Language = 2;
    EXPECT_EQ(TimerForMassProduct(second), PollResult::InUse);
    EXPECT_EQ(second.Device.Link.Uart.Connected, 0);
    EXPECT_EQ(drive.ReadBytes("Write.Temp"), std::string(4096, '\x5A'));  // not one frame sent
    const std::string expected =
        "The programmer is in use by process " + std::to_string(getpid()) + " (" + ProcessName() + ")";
    EXPECT_EQ(second.Device.Link.ClaimHolder(), std::to_string(getpid()) + " (" + ProcessName() + ")");
    EXPECT_EQ(statusBar.panels[0], expected);

    // Dropping the link releases the programmer for the next one.
    first.Device.Link.DeviceReset();
    ASSERT_TRUE(second.Device.Link.FindDeviceDrive());
    EXPECT_TRUE(second.Device.Link.ClaimDevice());
    ASSERT_TRUE(first.Device.Link.FindDeviceDrive());
    EXPECT_EQ(IdentifyProgrammer(first.Device), ConnectResult::InUse);
}

TEST(DeviceClaim, AnotherProcessHoldingTheExchangeFileIsNamedByItsProcessId) {
    testing::ProgramFolder drive;
    drive.WriteBytes("Write.Temp", std::string(4096, '\0'));
    const std::string path = drive.File("Write.Temp");
    int held[2], release[2];
    ASSERT_EQ(pipe(held), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string holder;
        auto claim = MakeSystemVolumes()->ClaimExchangeFile(path, holder);
        const char ok = claim ? 'y' : 'n';
        char ignored;
        if (write(held[1], &ok, 1) != 1 || read(release[0], &ignored, 1) < 0) _exit(1);
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(held[0], &ok, 1), 1);
    EXPECT_EQ(ok, 'y');
    std::string holder;
    EXPECT_EQ(MakeSystemVolumes()->ClaimExchangeFile(path, holder), nullptr);
    EXPECT_EQ(holder, std::to_string(child) + " (" + ProcessName() + ")");
    ASSERT_EQ(write(release[1], "x", 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    // The lock ends with the process that held it.
    EXPECT_NE(MakeSystemVolumes()->ClaimExchangeFile(path, holder), nullptr);
}

}  // namespace
}  // namespace tq
