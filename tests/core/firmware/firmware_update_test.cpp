#include "core/firmware/firmware_update.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <sstream>

#include "core/device/commands.h"
#include "core/device/presence.h"
#include "core/firmware/firmware_package.h"
#include "core/app/session.h"
#include "sim/sim_programmer.h"
#include "support/fake_volumes.h"
#include "support/firmware_package_builder.h"
#include "support/scratch_folder.h"
#include "support/recording_views.h"

namespace tq {
namespace {

using testing::FirmwarePackage;
using testing::FirmwarePackageBuilder;
using testing::SampleImage;

const std::string kFormatError = "TQMV升级文件格式异常，请确认！";
const std::string kDownloading = "系统包下载中，请稍等...";
const std::string kRetry = "更新异常，请重试！";

class ScriptedFileDialog final : public FileDialogView {
public:
    std::string answer;
    struct Call {
        std::string title;
        std::vector<FileFilter> filters;
        std::string folder, name;
    };
    std::vector<Call> calls;
    std::string ChooseOpenFile(const std::string& title, const std::vector<FileFilter>& filters,
                               const std::string& folder, const std::string& name) override {
        calls.push_back({title, filters, folder, name});
        return answer;
    }
    std::string ChooseSaveFile(const std::string&, const std::vector<FileFilter>&, const std::string&,
                               const std::string&) override {
        ADD_FAILURE() << "no save dialog expected";
        return {};
    }
};

class RecordingUpdateDialog final : public UpdateDialogView {
public:
    std::vector<std::string> lines;
    int clears = 0;
    uint32_t maximum = 0;
    std::vector<uint32_t> positions;
    bool closed = false;
    void ClearLog() override {
        ++clears;
        lines.clear();
    }
    void AddLogLine(const std::string& line) override { lines.push_back(line); }
    void SetBarMaximum(uint32_t m) override { maximum = m; }
    void SetBarPosition(uint32_t p) override { positions.push_back(p); }
    void CloseDialog() override { closed = true; }
    bool Has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
    bool HasPrefix(const std::string& prefix) const {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    }
};

// The frames of one command code that went out, parsed from the trace.
std::vector<std::vector<uint8_t>> SentFrames(const testing::RecordingTrace& trace, uint8_t code) {
    std::vector<std::vector<uint8_t>> frames;
    for (const std::string& line : trace.lines) {
        if (line.rfind("> 02 ", 0) != 0) continue;
        std::istringstream in(line.substr(2));
        std::vector<uint8_t> bytes;
        unsigned value = 0;
        while (in >> std::hex >> value) bytes.push_back(static_cast<uint8_t>(value));
        if (bytes.size() > 1 && bytes[1] == code) frames.push_back(bytes);
    }
    return frames;
}

// A programmer and a session of their own, for table cases that each need a
// fresh start; connected on construction.
struct Bench {
    Bench(Clock& clock, const std::filesystem::path& folder, FileDialogView& files,
          std::optional<SimReenumeration> reenumeration = std::nullopt)
        : sim(clock), session(sim.volumes(), clock, folder) {
        sim.reenumeration = reenumeration;
        session.Views.statusBar = &bar;
        session.Views.fileDialog = &files;
        session.Views.messages = &messages;
        messages.answer = true;
        connected = ConnectProgrammer(session.Device) == ConnectResult::Connected;
    }
    std::vector<uint8_t> CommandsAfterConnect() const {
        return std::vector<uint8_t>(sim.commandLog().begin() + 4, sim.commandLog().end());
    }
    SimProgrammer sim;
    Session session;
    testing::RecordingStatusBar bar;
    testing::RecordingMessages messages;
    bool connected = false;
};

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

struct UpdateFixture : ::testing::Test {
    testing::ScratchFolder folder;
    VirtualClock clock;
    SimProgrammer sim{clock};
    Session session{sim.volumes(), clock, folder.path()};
    testing::RecordingMessages messages;
    testing::RecordingStatusBar status;
    testing::RecordingProgress progress;
    testing::RecordingTrace trace;
    ScriptedFileDialog files;
    RecordingUpdateDialog dialog;
    std::vector<bool> timerDuringWaits;

    void SetUp() override {
        session.Views.messages = &messages;
        messages.answer = true;  // the question before every update
        session.Views.statusBar = &status;
        session.Views.progress = &progress;
        session.Views.fileDialog = &files;
        session.Texts.DevLanguage.DevConStaOnline = "设备已连接";
        session.Texts.DevLanguage.DevConVersion = "设备版本:";
        session.Device.Link.SetTrace(&trace);
        clock.SetEventHook([this] { timerDuringWaits.push_back(session.Device.PollEnabled); });
    }
    void Connect() { ASSERT_EQ(ConnectProgrammer(session.Device), ConnectResult::Connected); }
    std::string WritePackage(const FirmwarePackageBuilder& builder, const std::string& name = "update.tqmv") {
        const std::string path = folder.File(name);
        EXPECT_TRUE(builder.WriteTo(path));
        return path;
    }
    // Commands the programmer received after the connection.
    std::vector<uint8_t> CommandsAfterConnect() const {
        const auto& log = sim.commandLog();
        return std::vector<uint8_t>(log.begin() + std::min<size_t>(4, log.size()), log.end());
    }
    bool TimerWasOffDuringWaits() const {
        return std::find(timerDuringWaits.begin(), timerDuringWaits.end(), false) != timerDuringWaits.end();
    }
};

TEST_F(UpdateFixture, AThousandByteImageGoesOutAsFourPaddedBlocksAndIsChecked) {
    Connect();
    const std::vector<uint8_t> image = SampleImage(1000);
    files.answer = WritePackage(FirmwarePackage(image));

    EXPECT_EQ(ChooseAndUpdateFirmware(session.Operation, {*session.Views.statusBar, dialog}, *session.Views.fileDialog), FirmwareUpdateResult::Updated);

    const auto blocks = SentFrames(trace, CMD_IAP_DATA);
    ASSERT_EQ(blocks.size(), 4u);
    std::vector<uint8_t> sent;
    for (size_t i = 0; i < blocks.size(); ++i) {
        ASSERT_EQ(blocks[i].size(), 270u);
        const std::vector<uint8_t> head(blocks[i].begin(), blocks[i].begin() + 6);
        EXPECT_EQ(head, (std::vector<uint8_t>{0x02, 0xF1, 0x00, 0x01, 0x01, 0x06}));
        EXPECT_EQ(Be32(&blocks[i][6]), 256 * i);
        EXPECT_EQ(blocks[i][10], 0x01);
        EXPECT_EQ(blocks[i][11], 0x00);
        sent.insert(sent.end(), blocks[i].begin() + 12, blocks[i].begin() + 268);
    }
    std::vector<uint8_t> padded = image;
    padded.resize(1024, 0xFF);  // 232 image bytes and 24 x 0xFF in the last block
    EXPECT_EQ(sent, padded);

    const auto checks = SentFrames(trace, CMD_IAP_VERIFY);
    ASSERT_EQ(checks.size(), 1u);
    ASSERT_EQ(checks[0].size(), 28u);
    EXPECT_EQ(Be32(&checks[0][6]), 1024u);
    ImageDigest digest;
    digest.Update(padded.data(), padded.size());
    const auto md5 = digest.Final();
    EXPECT_TRUE(std::equal(md5.begin(), md5.end(), checks[0].begin() + 10));

    EXPECT_EQ(CommandsAfterConnect(), (std::vector<uint8_t>{0xF0, 0xF1, 0xF1, 0xF1, 0xF1, 0xF3, 0xF2, 0x10}));
    const std::vector<std::string> expected = {kDownloading,       "270/1000=>27%",  "540/1000=>54%",
                                               "810/1000=>81%",    "1000/1000=>100%", "IAP下载成功",
                                               // 0xF0, four blocks of 10.1 ms, 0xF3 and 0xF2: 70.4 ms
                                               "系统烧写完成，共耗时0.07s"};
    EXPECT_EQ(status.history0, expected);
    EXPECT_EQ(status.panels[2], "设备已连接    设备版本:" + sim.firmwareAfterUpdate);
    EXPECT_EQ(session.Device.DevInf.FwVersion, sim.firmwareAfterUpdate);
    EXPECT_EQ(progress.maximum, 100u);
    EXPECT_EQ(progress.positions, std::vector<uint32_t>{0});
    EXPECT_EQ(dialog.maximum, 1000u);
    EXPECT_EQ(dialog.positions.back(), 1000u);
    EXPECT_TRUE(TimerWasOffDuringWaits());
    EXPECT_TRUE(session.Device.PollEnabled);
}

TEST_F(UpdateFixture, AFiveHundredTwelveByteImageIsExactlyTwoBlocks) {
    Connect();
    files.answer = WritePackage(FirmwarePackage(SampleImage(512)));
    EXPECT_EQ(ChooseAndUpdateFirmware(session.Operation, {*session.Views.statusBar, dialog}, *session.Views.fileDialog), FirmwareUpdateResult::Updated);
    const auto blocks = SentFrames(trace, CMD_IAP_DATA);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(Be32(&blocks[1][6]), 256u);
    EXPECT_EQ(Be32(&SentFrames(trace, CMD_IAP_VERIFY).at(0)[6]), 512u);
    EXPECT_EQ(sim.receivedImage(), SampleImage(512));
    EXPECT_EQ(status.history0[1], "270/512=>52%");
    EXPECT_EQ(status.history0[2], "512/512=>100%");
}

TEST_F(UpdateFixture, PackagesForAnotherProgrammerAreRefusedBeforeAnythingIsSent) {
    struct Case {
        const char* name;
        FirmwarePackageBuilder package;
        std::vector<uint8_t> commands;  // sent after the connection
    };
    FirmwarePackageBuilder noRecord;
    noRecord.Add("iap.bin", SampleImage(300));
    FirmwarePackageBuilder noImage;
    noImage.Add("ver.bin", testing::VersionRecord());
    FirmwarePackageBuilder imageBeyondFile = FirmwarePackage(SampleImage(300));
    imageBeyondFile.entries[1].length = 400;
    const Case cases[] = {
        {"another model", FirmwarePackage(SampleImage(300), "TQM7300A"), {}},
        {"another format version", FirmwarePackage(SampleImage(300), "TQM7300B", "002"), {}},
        {"no version record", noRecord, {}},
        // The image is looked up after the boot command, as the menu item always did.
        {"no image", noImage, {0xF0}},
        {"image data beyond the end of the file", imageBeyondFile, {0xF0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench bench(clock, folder.path(), files);
        ASSERT_TRUE(bench.connected);
        files.answer = WritePackage(c.package);
        EXPECT_EQ(ChooseAndUpdateFirmware(bench.session.Operation, {*bench.session.Views.statusBar, dialog}, *bench.session.Views.fileDialog), FirmwareUpdateResult::PackageError);
        EXPECT_EQ(bench.bar.panels[0], kFormatError);
        EXPECT_EQ(bench.CommandsAfterConnect(), c.commands);
        EXPECT_TRUE(bench.session.Device.PollEnabled);
        EXPECT_EQ(bench.session.Device.DevInf.FwVersion, bench.sim.identity.firmware);
    }
}

TEST_F(UpdateFixture, FormatErrorAndPromptsFollowTheLanguage) {
    struct Case {
        int language;
        const char* title;
        const char* formatError;
    };
    const Case cases[] = {
        {0, "请选择您的升级文件", "TQMV升级文件格式异常，请确认！"},
        {1, "請選擇系統升級包", "TQMV升級文件格式異常，請確認！"},
        {2, "Please Select the Update File", "The TQMV update file is malformed. Please check it!"},
        {7, "Please Select the Update File", "The TQMV update file is malformed. Please check it!"},
    };
    Connect();
    files.answer = WritePackage(FirmwarePackage(SampleImage(10), "M500"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        session.Texts.Language = c.language;
        files.calls.clear();
        EXPECT_EQ(ChooseAndUpdateFirmware(session.Operation, {*session.Views.statusBar, dialog}, *session.Views.fileDialog), FirmwareUpdateResult::PackageError);
        EXPECT_EQ(status.panels[0], c.formatError);
        ASSERT_EQ(files.calls.size(), 1u);
        EXPECT_EQ(files.calls[0].title, c.title);
        ASSERT_EQ(files.calls[0].filters.size(), 1u);
        EXPECT_EQ(files.calls[0].filters[0].description, "TQMV File");
        EXPECT_EQ(files.calls[0].filters[0].pattern, "*.tqmv");
        EXPECT_EQ(files.calls[0].folder, (folder.path() / "iap").string());
        EXPECT_EQ(files.calls[0].name, "");
    }
}

TEST_F(UpdateFixture, AnUnansweredBootCommandShowsTheFailureAndTheUpdateGoesOn) {
    Connect();
    sim.faults.silentCommands = {CMD_ENTER_BOOT};
    files.answer = WritePackage(FirmwarePackage(SampleImage(1000)));
    // The missing answer drops the link, so the download that follows cannot
    // send a block and fails instead of reporting success.
    EXPECT_EQ(ChooseAndUpdateFirmware(session.Operation, {*session.Views.statusBar, dialog}, *session.Views.fileDialog), FirmwareUpdateResult::DownloadFailed);
    const std::vector<std::string> expected = {"下载失败", kDownloading, "IAP校验错误"};
    EXPECT_EQ(status.history0, expected);
    EXPECT_EQ(CommandsAfterConnect(), std::vector<uint8_t>{0xF0});
    EXPECT_TRUE(session.Device.PollEnabled);
}

TEST_F(UpdateFixture, ACancelledChoiceOrAMissingProgrammerSendsNothing) {
    Connect();
    files.answer = "";
    EXPECT_EQ(ChooseAndUpdateFirmware(session.Operation, {*session.Views.statusBar, dialog}, *session.Views.fileDialog), FirmwareUpdateResult::Cancelled);
    EXPECT_TRUE(CommandsAfterConnect().empty());
    EXPECT_TRUE(status.history0.empty());
    EXPECT_TRUE(progress.positions.empty());
    EXPECT_TRUE(session.Device.PollEnabled);
    EXPECT_FALSE(TimerWasOffDuringWaits());

    session.Device.Link.DeviceReset();
    files.calls.clear();
    EXPECT_EQ(ChooseAndUpdateFirmware(session.Operation, {*session.Views.statusBar, dialog}, *session.Views.fileDialog), FirmwareUpdateResult::NotConnected);
    EXPECT_TRUE(files.calls.empty());
    EXPECT_EQ(messages.warnings, std::vector<std::string>{"没有设备连接！\r请检查确认！"});
}

TEST_F(UpdateFixture, BothWaysAskFirstAndANoSendsNothing) {
    Connect();
    session.Texts.Language = 2;
    messages.answer = false;
    files.answer = WritePackage(FirmwarePackage(SampleImage(300)));
    EXPECT_EQ(ChooseAndUpdateFirmware(session.Operation, {*session.Views.statusBar, dialog}, *session.Views.fileDialog),
              FirmwareUpdateResult::Declined);
    ASSERT_EQ(messages.questions.size(), 1u);
    for (const std::string& fact : {std::string("update.tqmv"), session.Device.DevInf.Model, std::string("Version in the package: 001"),
                                    std::string("Do not unplug the programmer")})
        EXPECT_NE(messages.questions[0].find(fact), std::string::npos) << fact;
    EXPECT_EQ(status.panels[0], "Firmware update cancelled: nothing on the programmer was changed.");

    std::filesystem::create_directories(folder.path() / "iap");
    ASSERT_TRUE(FirmwarePackage(SampleImage(300)).WriteTo((folder.path() / "iap" / "TQM7-000205.iap").string()));
    EXPECT_EQ(UpdateFirmwareFromFolder(session.Operation, {*session.Views.statusBar, dialog}, false, *session.Views.fileDialog),
              FirmwareUpdateResult::Declined);
    ASSERT_EQ(messages.questions.size(), 2u);
    EXPECT_NE(messages.questions[1].find("TQM7-000205.iap"), std::string::npos);
    EXPECT_NE(messages.questions[1].find("Version in the package: 000205"), std::string::npos);
    EXPECT_TRUE(dialog.Has("Firmware update cancelled: nothing on the programmer was changed."));
    EXPECT_TRUE(CommandsAfterConnect().empty());
    EXPECT_TRUE(session.Device.PollEnabled);
}

TEST_F(UpdateFixture, APackageThatCannotBeReadIsNamedAndNothingIsSent) {
    Connect();
    files.answer = folder.File("gone.tqmv");
    EXPECT_EQ(ChooseAndUpdateFirmware(session.Operation, {*session.Views.statusBar, dialog}, *session.Views.fileDialog), FirmwareUpdateResult::PackageUnreadable);
    EXPECT_EQ(status.panels[0], "无法读取升级文件：" + files.answer);
    EXPECT_TRUE(CommandsAfterConnect().empty());
    EXPECT_TRUE(session.Device.PollEnabled);

    // The image vanished after the lookup: the download sends no block.
    const std::string path = WritePackage(FirmwarePackage(SampleImage(100)));
    EXPECT_EQ(DownloadImage(session.Operation, {*session.Views.statusBar, dialog}, 2048, 5000, path), 0xFF);
    EXPECT_EQ(status.panels[0], "无法读取升级文件：" + path);
    EXPECT_TRUE(CommandsAfterConnect().empty());
}

TEST_F(UpdateFixture, ALostBlockOrCheckNeverEndsInTheSuccessText) {
    struct Case {
        const char* name;
        std::function<void(SimProgrammer&)> fault;
        std::vector<uint8_t> commands;
    };
    const Case cases[] = {
        // 0xF0 and two blocks are answered, then the drive is gone.
        {"drive pulled during the blocks", [](SimProgrammer& p) { p.faults.removeAfterTransfers = 6; },
         {0xF0, 0xF1, 0xF1}},
        {"block never answered", [](SimProgrammer& p) { p.faults.silentCommands = {CMD_IAP_DATA}; }, {0xF0, 0xF1}},
        {"check never answered", [](SimProgrammer& p) { p.faults.silentCommands = {CMD_IAP_VERIFY}; },
         {0xF0, 0xF1, 0xF1, 0xF1, 0xF1, 0xF3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench bench(clock, folder.path(), files);
        ASSERT_TRUE(bench.connected);
        c.fault(bench.sim);
        files.answer = WritePackage(FirmwarePackage(SampleImage(1000)));
        EXPECT_EQ(ChooseAndUpdateFirmware(bench.session.Operation, {*bench.session.Views.statusBar, dialog}, *bench.session.Views.fileDialog), FirmwareUpdateResult::DownloadFailed);
        const auto& shown = bench.bar.history0;
        EXPECT_EQ(shown.back(), "IAP校验错误");
        EXPECT_TRUE(std::none_of(shown.begin(), shown.end(),
                                 [](const std::string& t) { return t.rfind("系统烧写完成", 0) == 0 || t == "IAP下载成功"; }));
        EXPECT_EQ(bench.CommandsAfterConnect(), c.commands);
        EXPECT_EQ(bench.sim.identity.firmware, "V1.02");
        EXPECT_TRUE(bench.session.Device.PollEnabled);
    }
}

// A programmer that answers the check with a non-zero status: scripted, since
// the simulated one accepts every image that arrives intact.
TEST(UpdateRejected, ARejectedImageIsAFailureAndTheVersionIsStillRead) {
    testing::ScratchFolder folder;
    testing::FakeVolumes volumes;
    VirtualClock clock;
    volumes.volumes = {testing::ProgrammerVolume()};
    Session session(volumes, clock, folder.path());
    testing::RecordingStatusBar status;
    testing::RecordingMessages messages;
    messages.answer = true;
    ScriptedFileDialog files;
    NullUpdateDialogView dialog;
    session.Views.messages = &messages;
    session.Views.statusBar = &status;
    session.Views.fileDialog = &files;
    ASSERT_TRUE(session.Device.Link.FindDeviceDrive());
    session.Device.Link.Uart.Connected = 1;
    files.answer = folder.File("p.tqmv");
    ASSERT_TRUE(FirmwarePackage(SampleImage(600)).WriteTo(files.answer));
    // The answers' data is not examined; one byte each.
    volumes.QueueAnswer({0});                                // 0xF0
    for (int i = 0; i < 3; ++i) volumes.QueueAnswer({0});    // 0xF1
    volumes.QueueAnswer({0}, 1);                             // 0xF3: rejected
    volumes.QueueAnswer({'V', '1', '.', '0', '2'});       // 0x10
    EXPECT_EQ(ChooseAndUpdateFirmware(session.Operation, {*session.Views.statusBar, dialog}, *session.Views.fileDialog), FirmwareUpdateResult::DownloadFailed);
    EXPECT_EQ(status.panels[0], "IAP校验错误");
    EXPECT_EQ(session.Device.DevInf.FwVersion, "V1.02");
    // 0xF2 is not sent after a rejected image.
    ASSERT_EQ(volumes.drive.writes.size(), 6u);
    EXPECT_EQ(volumes.drive.writes.back()[1], CMD_GET_FW_VERSION);
    EXPECT_EQ(volumes.drive.writes[volumes.drive.writes.size() - 2][1], CMD_IAP_VERIFY);
}

// The update dialog: the programmer re-enumerates on every restart.
struct DialogFixture : UpdateFixture {
    void SetUp() override {
        UpdateFixture::SetUp();
        sim.reenumeration = SimReenumeration{100, 3000};
        std::filesystem::create_directories(folder.path() / "iap");
    }
    std::string WriteImageFile(const std::string& name, const std::vector<uint8_t>& image) {
        const std::string path = (folder.path() / "iap" / name).string();
        EXPECT_TRUE(FirmwarePackage(image).WriteTo(path));
        return path;
    }
};

TEST_F(DialogFixture, TheNewestImageForTheModelIsChosenAndInstalled) {
    Connect();
    WriteImageFile("TQM7-000100.iap", SampleImage(300));
    WriteImageFile("TQM7-000205.iap", SampleImage(700));
    WriteImageFile("TQM7-000205b.iap", SampleImage(100));  // same version, later name: the first one wins
    WriteImageFile("TQM7-000000.iap", SampleImage(100));   // version 0 never wins
    WriteImageFile("TQM7-12ab56.iap", SampleImage(100));   // not a version number
    WriteImageFile("M500-999999.iap", SampleImage(100));   // another platform
    WriteImageFile("TQM7-999999.bin", SampleImage(100));   // not an image file

    EXPECT_EQ(UpdateFirmwareFromFolder(session.Operation, {*session.Views.statusBar, dialog}, false, *session.Views.fileDialog), FirmwareUpdateResult::Updated);

    EXPECT_EQ(sim.receivedImage(), [] {
        auto image = SampleImage(700);
        image.resize(768, 0xFF);
        return image;
    }());
    const std::vector<std::string> listing(dialog.lines.begin(), dialog.lines.begin() + 7);
    const std::vector<std::string> expectedListing = {
        "IAP File List:",   "TQM7-000000.iap",  "TQM7-000100.iap", "TQM7-000205.iap",
        "TQM7-000205b.iap", "TQM7-12ab56.iap",  "文件名中的版本号无效，跳过：TQM7-12ab56.iap"};
    EXPECT_EQ(listing, expectedListing);
    EXPECT_EQ(dialog.lines[7], "File：TQM7-000205.iap,更新准备中，请稍等...");
    // 0xF0 at 0; gone from 100 ms to 3.1 s; looked for every 500 ms, then 2 s
    // and every 200 ms until it is back.
    EXPECT_EQ(dialog.lines[8], "Boot程序启动中，请稍等...");
    const auto firstAfterBoot = std::find(dialog.lines.begin(), dialog.lines.end(), "已进入Boot模式！");
    ASSERT_NE(firstAfterBoot, dialog.lines.end());
    const std::vector<std::string> tail(firstAfterBoot, dialog.lines.end());
    ASSERT_EQ(tail.size(), 6u);
    EXPECT_EQ(tail[1], "File：TQM7-000205.iap,系统包下载中，请稍等...");
    EXPECT_EQ(tail[2].rfind("系统烧写完成，共耗时", 0), 0u);
    EXPECT_EQ(tail[3], "等待系统重启中，请稍等.");
    EXPECT_EQ(tail[4], "等待系统重连中，请稍等.");
    EXPECT_EQ(tail[5], "更新完成，即将关闭更新页面，进入主界面.");
    EXPECT_EQ(dialog.clears, 1);
    EXPECT_TRUE(dialog.closed);
    EXPECT_EQ(session.Device.DevInf.FwVersion, sim.firmwareAfterUpdate);
    EXPECT_EQ(status.panels[2], "设备已连接    设备版本:" + sim.firmwareAfterUpdate);
    EXPECT_TRUE(TimerWasOffDuringWaits());
    EXPECT_TRUE(session.Device.PollEnabled);
    // 0xF2 once to end the update, once more after the reconnection.
    EXPECT_EQ(CommandsAfterConnect(),
              (std::vector<uint8_t>{0xF0, 0x10, 0xF1, 0xF1, 0xF1, 0xF3, 0xF2, 0x10, 0xF2}));
}

TEST_F(DialogFixture, WithoutAnImageForTheModelNothingIsSent) {
    Connect();
    WriteImageFile("M500-000100.iap", SampleImage(100));
    EXPECT_EQ(UpdateFirmwareFromFolder(session.Operation, {*session.Views.statusBar, dialog}, false, *session.Views.fileDialog), FirmwareUpdateResult::PackageError);
    EXPECT_EQ(dialog.lines, (std::vector<std::string>{"IAP File List:", "IAP文件夹下，没有找到升级文件包，请确认！"}));
    EXPECT_TRUE(CommandsAfterConnect().empty());

    // An image file without an image entry is refused before the boot command.
    FirmwarePackageBuilder noImage;
    noImage.Add("ver.bin", testing::VersionRecord());
    ASSERT_TRUE(noImage.WriteTo((folder.path() / "iap" / "TQM7-000001.iap").string()));
    EXPECT_EQ(UpdateFirmwareFromFolder(session.Operation, {*session.Views.statusBar, dialog}, false, *session.Views.fileDialog), FirmwareUpdateResult::PackageError);
    EXPECT_EQ(dialog.lines.back(), "IAP文件格式异常，请确认！");
    EXPECT_TRUE(CommandsAfterConnect().empty());
    EXPECT_TRUE(session.Device.PollEnabled);
}

TEST_F(DialogFixture, InBootModeThePackageIsChosenByHand) {
    Connect();
    session.Device.DevInf.FwVersion = "BOOT V0.9";
    files.answer = "";
    EXPECT_EQ(UpdateFirmwareFromFolder(session.Operation, {*session.Views.statusBar, dialog}, false, *session.Views.fileDialog), FirmwareUpdateResult::Cancelled);
    ASSERT_EQ(files.calls.size(), 1u);
    EXPECT_EQ(files.calls[0].title, "请手动选择您要升级的固件包,务必选择正确的升级包，否则可能出现不可逆的损坏.");
    EXPECT_EQ(files.calls[0].filters[0].description, "Iap File");
    EXPECT_EQ(files.calls[0].filters[0].pattern, "*.iap");
    EXPECT_EQ(files.calls[0].folder, (folder.path() / "iap").string());
    EXPECT_EQ(files.calls[0].name, "0");
    EXPECT_TRUE(CommandsAfterConnect().empty());
}

TEST_F(DialogFixture, AlreadyInBootModeTheUpdateStartsAtTheDownload) {
    Connect();
    // Put the programmer into its boot loader and let it come back.
    EXPECT_EQ(EnterBoot(session.Device.Link), CommandResult::Ok);
    clock.Wait10us(400000);
    Connect();
    ASSERT_TRUE(sim.bootMode());
    const std::vector<uint8_t> commandsBefore = sim.commandLog();
    timerDuringWaits.clear();
    files.answer = WriteImageFile("anything.iap", SampleImage(256));

    EXPECT_EQ(UpdateFirmwareFromFolder(session.Operation, {*session.Views.statusBar, dialog}, true, *session.Views.fileDialog), FirmwareUpdateResult::Updated);
    const std::vector<uint8_t> sent(sim.commandLog().begin() + commandsBefore.size(), sim.commandLog().end());
    EXPECT_EQ(sent, (std::vector<uint8_t>{0xF1, 0xF3, 0xF2, 0x10, 0xF2}));
    EXPECT_EQ(dialog.lines[0], "File：anything.iap,更新准备中，请稍等...");
    EXPECT_FALSE(dialog.Has("已进入Boot模式！"));
    EXPECT_FALSE(TimerWasOffDuringWaits());  // the check box leaves the poll running
    EXPECT_EQ(session.Device.DevInf.FwVersion, sim.firmwareAfterUpdate);
}

TEST_F(DialogFixture, EveryWaitForTheProgrammerEnds) {
    struct Case {
        const char* name;
        std::optional<SimReenumeration> reenumeration;
        std::vector<uint8_t> commands;
    };
    const Case cases[] = {
        {"never leaves for its boot loader", std::nullopt, {0xF0}},
        {"never comes back from it", SimReenumeration{100, 3600 * 1000}, {0xF0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench bench(clock, folder.path(), files, c.reenumeration);
        ASSERT_TRUE(bench.connected);
        RecordingUpdateDialog log;
        files.answer = WriteImageFile("x.iap", SampleImage(100));
        bench.session.Device.DevInf.FwVersion = "BOOT";  // choose by hand
        const uint64_t start = clock.NowMicros();
        EXPECT_EQ(UpdateFirmwareFromFolder(bench.session.Operation, {*bench.session.Views.statusBar, log}, false, *bench.session.Views.fileDialog), FirmwareUpdateResult::Timeout);
        EXPECT_LT(clock.NowMicros() - start, 60u * 1000 * 1000);
        EXPECT_EQ(log.lines.back(), kRetry);
        EXPECT_EQ(bench.CommandsAfterConnect(), c.commands);
        EXPECT_TRUE(bench.session.Device.PollEnabled);
    }
}

TEST_F(DialogFixture, AFailedDownloadIsReportedAsAFailure) {
    Connect();
    sim.faults.silentCommands = {CMD_IAP_VERIFY};
    session.Device.DevInf.FwVersion = "BOOT";
    files.answer = WriteImageFile("x.iap", SampleImage(300));
    EXPECT_EQ(UpdateFirmwareFromFolder(session.Operation, {*session.Views.statusBar, dialog}, false, *session.Views.fileDialog), FirmwareUpdateResult::DownloadFailed);
    EXPECT_EQ(dialog.lines[dialog.lines.size() - 2], "IAP校验错误");
    EXPECT_EQ(dialog.lines.back(), kRetry);
    EXPECT_FALSE(dialog.HasPrefix("系统烧写完成"));
    EXPECT_FALSE(dialog.HasPrefix("更新完成"));
    EXPECT_FALSE(dialog.closed);
    EXPECT_TRUE(session.Device.PollEnabled);
}

}  // namespace
}  // namespace tq
