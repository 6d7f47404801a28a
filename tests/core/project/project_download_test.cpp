#include "core/project/project_download.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "core/base/number_text.h"
#include "core/buffer/image_formats.h"
#include "core/project/project_crc.h"
#include "core/project/project_editor.h"
#include "core/project/project_file.h"
#include "support/project_fixture.h"
#include "support/expect.h"

namespace tq {
namespace {

using Strings = std::vector<std::string>;
using Numbers = std::vector<uint32_t>;

struct ProjectDownload : ::testing::Test {
    testing::ProjectSession s;
};

TEST_F(ProjectDownload, AnEmptyDataFileSendsOnlyTheHeadersAndSucceeds) {
    EXPECT_EQ(StoreDataFile(s.session.Operation, s.views, {}), kStepOk);
    EXPECT_EQ(CheckDataFile(s.session.Operation, s.views, {}), kStepOk);
    EXPECT_EQ(s.Blocks(), Strings{});
    EXPECT_EQ(s.sbPrj.panel0, (Strings{"板载存储擦除&写入", "数据文件校验"}));
    EXPECT_EQ(s.sbPrj.panel1, (Strings{"擦除&写入完成", "校验成功"}));
    EXPECT_EQ(s.bar.positions, Numbers{0});
    EXPECT_EQ(s.sim.commandLog(), (std::vector<uint8_t>{0x10, 0x11, 0x12, 0x13, 0x35, 0x34}));
}

TEST_F(ProjectDownload, A5000ByteFileGoesInBlocksOf2048AndComesBackIn4096And904) {
    const std::vector<uint8_t> bytes = testing::PatternBytes(5000);
    ASSERT_EQ(StoreDataFile(s.session.Operation, s.views, bytes), kStepOk);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), s.sim.storage().begin()));
    // The padding of the last block is not stored: the header announced 5000 bytes.
    EXPECT_EQ(s.sim.storage()[5000], 0xFF);
    EXPECT_EQ(s.sbPrj.panel1, (Strings{"50%", "70%", "80%", "擦除&写入完成"}));
    EXPECT_EQ(s.bar.positions, (Numbers{0, 50, 70, 80}));

    ASSERT_EQ(CheckDataFile(s.session.Operation, s.views, bytes), kStepOk);
    EXPECT_EQ(s.sbPrj.panel1, (Strings{"50%", "70%", "80%", "擦除&写入完成", "96%", "100%", "校验成功"}));
    EXPECT_EQ(s.bar.positions, (Numbers{0, 50, 70, 80, 96, 100}));
    // The last read block of 904 bytes travels as two whole sectors.
    EXPECT_EQ(s.Blocks(), (Strings{"> 2048", "> 2048", "> 2048", "< 4096", "< 1024"}));
}

TEST_F(ProjectDownload, TheLastStoredBlockCarriesTheFileTailPaddedWith0xFF) {
    // The programmer sees the padded block; the simulator keeps the whole
    // 2048 bytes when the header announces them.
    const std::vector<uint8_t> bytes = testing::PatternBytes(2048 + 904);
    ASSERT_EQ(StoreDataFile(s.session.Operation, s.views, bytes), kStepOk);
    const uint8_t* sent = s.session.Device.Link.SendArea();
    EXPECT_TRUE(std::equal(bytes.begin() + 2048, bytes.end(), sent));
    EXPECT_TRUE(std::all_of(sent + 904, sent + 2048, [](uint8_t b) { return b == 0xFF; }));
}

TEST_F(ProjectDownload, ADifferenceInTheStorageFailsTheCheckAtItsBlock) {
    const std::vector<uint8_t> bytes = testing::PatternBytes(9000);
    ASSERT_EQ(StoreDataFile(s.session.Operation, s.views, bytes), kStepOk);
    s.sim.storage()[5000] ^= 0x01;
    s.sbPrj.panel1.clear();
    EXPECT_EQ(CheckDataFile(s.session.Operation, s.views, bytes), kStepFailed);
    EXPECT_EQ(s.sbPrj.panel1, Strings{"89%"});  // the first block matched; panel 1 keeps its percentage
}

TEST_F(ProjectDownload, ADroppedLinkDuringTheDataFileIsAFailure) {
    s.sim.faults.removeAfterTransfers = 2;  // the header and the first block
    EXPECT_EQ(StoreDataFile(s.session.Operation, s.views, testing::PatternBytes(5000)), kStepFailed);
    EXPECT_EQ(s.sbPrj.panel1, Strings{"50%"});
    EXPECT_EQ(s.session.Device.Link.Uart.Connected, 0);
}

TEST_F(ProjectDownload, AReadBackThatDoesNotArriveIsAFailureEvenWhenStaleBytesWouldMatch) {
    // The file's last 100 bytes repeat its first 100, so the receive area
    // still holding the first block would compare equal.
    std::vector<uint8_t> bytes = testing::PatternBytes(4096);
    bytes.insert(bytes.end(), bytes.begin(), bytes.begin() + 100);
    ASSERT_EQ(StoreDataFile(s.session.Operation, s.views, bytes), kStepOk);
    s.sim.faults.removeAfterTransfers = 2;  // the read header and the first block
    EXPECT_EQ(CheckDataFile(s.session.Operation, s.views, bytes), kStepFailed);
    EXPECT_EQ(s.sbPrj.panel1.back(), "99%");
}

TEST_F(ProjectDownload, AProjectFileTravelsWithItsLengthAndAtMost512BytesPaddedWith0xFF) {
    struct Case {
        size_t size;
        size_t carried;
    };
    for (const Case c : {Case{600, 512}, Case{100, 100}, Case{512, 512}, Case{0, 0}}) {
        SCOPED_TRACE(c.size);
        const std::vector<uint8_t> bytes = testing::PatternBytes(c.size);
        ASSERT_EQ(SendProjectFile(s.session.Operation, s.messages, testing::WriteBinary(s.folder, "temp.gprj", bytes)), kStepOk);
        EXPECT_EQ(s.sim.projectFileSize(), c.size);
        std::vector<uint8_t> expected(bytes.begin(), bytes.begin() + static_cast<long>(c.carried));
        expected.resize(512, 0xFF);
        EXPECT_EQ(s.sim.projectFile(), expected);
    }
}

TEST_F(ProjectDownload, AProjectFileWithoutAnAnswerIs255) {
    s.sim.faults.silentCommands = {0x44};
    EXPECT_EQ(SendProjectFile(s.session.Operation, s.messages, testing::WriteBinary(s.folder, "temp.gprj", {'P'})), kStepFailed);
}

TEST_F(ProjectDownload, AFileThatCannotBeOpenedIsReportedWithItsPathAndNothingIsSent) {
    const std::filesystem::path missing = s.folder / "missing.bin";
    const uint64_t before = s.sim.transferCount();
    std::vector<uint8_t> data;
    EXPECT_EQ(SendProjectFile(s.session.Operation, s.messages, missing), kStepFileError);
    EXPECT_FALSE(ReadDataFile(s.session.Operation, s.messages, missing.string(), data));
    EXPECT_FALSE(ReadDataFile(s.session.Operation, s.messages, s.folder.path().string(), data));
    EXPECT_EQ(s.sim.transferCount(), before);
    ASSERT_EQ(s.messages.errors.size(), 3u);
    EXPECT_EQ(s.messages.errors[0], "无法打开文件：" + missing.string());
    EXPECT_EQ(s.messages.errors[2], "无法打开文件：" + s.folder.path().string());
}

// A session whose project is ready to go: GD25Q64 and a 5000-byte data file.
struct DownloadRig {
    testing::ProjectSession s;
    ProjectPlan plan;
    std::vector<uint8_t> bytes = testing::PatternBytes(5000);

    DownloadRig() {
        plan.chipName = "GD25Q64";
        plan.name = "data.bin";
        plan.dataFile = testing::WriteBinary(s.folder, "data.bin", bytes).string();
    }
    bool Sent(uint8_t code) const {
        const std::vector<uint8_t>& log = s.sim.commandLog();
        return std::find(log.begin(), log.end(), code) != log.end();
    }
};

struct DownloadingAProject : ::testing::Test, DownloadRig {};

TEST_F(DownloadingAProject, StoresProjectAndDataFileAndChecksThemBack) {
    const uint64_t start = s.clock.NowMicros();
    EXPECT_EQ(DownloadProject(s.session.Operation, s.views, plan), kStepOk);
    const std::string project = s.folder.ReadBytes("temp/temp.gprj");
    EXPECT_EQ(s.sim.projectFileSize(), project.size());
    EXPECT_EQ(std::string(s.sim.projectFile().begin(), s.sim.projectFile().begin() + static_cast<long>(project.size())),
              project);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), s.sim.storage().begin()));
    EXPECT_EQ(s.sbPrj.panel0, (Strings{"工程文件下载", "数据文件下载", "板载存储擦除&写入", "数据文件校验"}));
    EXPECT_EQ(s.sbPrj.panel1, (Strings{"下载成功", "下载中，0%", "50%", "70%", "80%", "擦除&写入完成", "96%", "100%",
                                       "校验成功"}));
    EXPECT_EQ(s.bar.maximum, 100u);
    EXPECT_GE(s.clock.NowMicros() - start, 1000000u);  // the programmer gets a second after the project file
    EXPECT_TRUE(s.messages.messages.empty());
    EXPECT_TRUE(s.messages.errors.empty());
}

TEST_F(DownloadingAProject, TheProjectDescribesTheDataFileAsItIsWhenDownloaded) {
    // Chosen at 5000 bytes, then rewritten shorter before the download.
    testing::RecordingLog log;
    ASSERT_TRUE(ChooseDataFile(s.session.Operation, s.messages, log, plan, plan.dataFile));
    const std::vector<uint8_t> now = testing::PatternBytes(3000);
    testing::WriteBinary(s.folder, "data.bin", now);
    EXPECT_EQ(DownloadProject(s.session.Operation, s.views, plan), kStepOk);
    const std::string project = s.folder.ReadBytes("temp/temp.gprj");
    EXPECT_SAYS(project, "\r\nFileLen=00000BB8\r\n");
    EXPECT_EQ(s.session.Chip.PrjInfoOffline.Crc32, ProjectCrc(now.data(), now.size()));
    EXPECT_TRUE(std::equal(now.begin(), now.end(), s.sim.storage().begin()));
}

TEST_F(DownloadingAProject, AHexOrSRecordDataFileStoresTheImageItDescribesLikeItsBinaryTwin) {
    const std::string crc = HexText(ProjectCrc(bytes.data(), bytes.size()), 8);
    for (const char* name : {"twin.bin", "twin.hex", "twin.s19"}) {
        SCOPED_TRACE(name);
        DownloadRig t;
        const std::filesystem::path path = t.s.folder / name;
        std::string error;
        ASSERT_TRUE(WriteImageFile(path, ImageSpan{0, t.bytes}, Durability::Flushed, error)) << error;
        testing::RecordingLog log;
        ASSERT_TRUE(ChooseDataFile(t.s.session.Operation, t.s.messages, log, t.plan, path.string()));
        EXPECT_EQ(log.lines.at(0).text, "文件名: " + std::string(name) + "    CRC32: 0x" + crc);

        EXPECT_EQ(DownloadProject(t.s.session.Operation, t.s.views, t.plan), kStepOk);
        EXPECT_TRUE(std::equal(t.bytes.begin(), t.bytes.end(), t.s.sim.storage().begin()));
        EXPECT_EQ(t.s.sim.storage()[t.bytes.size()], 0xFF);
        const std::string project = t.s.folder.ReadBytes("temp/temp.gprj");
        EXPECT_SAYS(project, "\r\nFileLen=00001388\r\n");
        EXPECT_SAYS(project, "\r\nCrc32=" + crc + "\r\n");
        EXPECT_EQ(t.s.session.Chip.PrjInfoOffline.DataFileName, path.string());
    }
}

TEST_F(DownloadingAProject, WithoutADataFileOrAChipOrWithABadValueNothingIsSent) {
    struct Case {
        const char* name;
        std::function<void(DownloadRig&)> spoil;
    };
    const Case cases[] = {
        {"no data file", [](DownloadRig& t) { t.plan.dataFile = ""; }},
        {"data file \"0\"", [](DownloadRig& t) { t.plan.dataFile = "0"; }},
        {"no chip", [](DownloadRig& t) { t.plan.chipName = ""; }},
        {"bad serial address", [](DownloadRig& t) { t.plan.serialNumbers = true; t.plan.serialAddress = "zz"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadRig t;
        c.spoil(t);
        EXPECT_NE(DownloadProject(t.s.session.Operation, t.s.views, t.plan), kStepOk);
        EXPECT_FALSE(t.Sent(0x44));
        EXPECT_FALSE(t.Sent(0x35));
        EXPECT_EQ(t.s.messages.messages.size() + t.s.messages.errors.size(), 1u);
    }
}

TEST_F(DownloadingAProject, AMissingDataFileAsksToChooseOneFirst) {
    plan.dataFile = "";
    DownloadProject(s.session.Operation, s.views, plan);
    plan.dataFile = "0";
    DownloadProject(s.session.Operation, s.views, plan);
    EXPECT_EQ(s.messages.messages, (Strings{"请先选择数据文件，然后再下载.", "请先选择数据文件，然后再下载."}));
}

TEST_F(DownloadingAProject, AnUnansweredProjectFileStopsBeforeTheDataFile) {
    s.sim.faults.silentCommands = {0x44};
    EXPECT_EQ(DownloadProject(s.session.Operation, s.views, plan), kStepFailed);
    EXPECT_EQ(s.sbPrj.panel1, Strings{"下载错误"});
    EXPECT_FALSE(Sent(0x35));
}

TEST_F(DownloadingAProject, ALinkDroppedDuringTheDataFileEndsWithTheFailureText) {
    // Project frame (write and read), write header, first block: then the drive goes.
    s.sim.faults.removeAfterTransfers = 4;
    EXPECT_EQ(DownloadProject(s.session.Operation, s.views, plan), kStepFailed);
    EXPECT_EQ(s.sbPrj.panel1, (Strings{"下载成功", "下载中，0%", "50%", "下载错误"}));
    EXPECT_EQ(std::count(s.sbPrj.panel0.begin(), s.sbPrj.panel0.end(), "数据文件校验"), 0);
}

TEST_F(DownloadingAProject, AReadBackThatDiffersAsksToTryAgain) {
    s.sim.faults.notDeliveredBlocks = {1};  // the second read block comes back as the marker
    EXPECT_EQ(DownloadProject(s.session.Operation, s.views, plan), kStepFailed);
    EXPECT_EQ(s.messages.messages, Strings{"校验错误，请重试."});
    EXPECT_EQ(s.sbPrj.panel1.back(), "96%");
}

}  // namespace
}  // namespace tq
