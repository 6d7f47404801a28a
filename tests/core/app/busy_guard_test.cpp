// One busy state for every long procedure: while one runs, the others and
// every command that would change the buffer, the chip or the language are
// refused by the engine, and nothing reaches the programmer.
#include <gtest/gtest.h>

#include <functional>

#include "core/app/chip_selection.h"
#include "core/app/language_menu.h"
#include "core/buffer/buffer_tools.h"
#include "core/buffer/file_import.h"
#include "core/buffer/file_open_save.h"
#include "core/buffer/hex_cursor.h"
#include "core/buffer/tool_dialog.h"
#include "core/firmware/firmware_update.h"
#include "core/project/project_download.h"
#include "core/project/project_file.h"
#include "support/operation_rig.h"

namespace tq {
namespace {

TEST(BusyGuard, WhileAProcedureRunsTheOthersAndEveryBufferChangeAreRefused) {
    testing::OperationRig rig;
    rig.UseChip(1, 4096);
    rig.LoadBuffer(std::vector<uint8_t>(64, 0x3C));
    ASSERT_TRUE(rig.Connect());
    Session& session = rig.session;
    session.Chip.PrjInfoOffline.DataFileName = rig.folder.Write("data.bin", "12345678").string();
    const std::string image = rig.folder.Write("image.bin", std::string(32, 'x')).string();
    const std::vector<uint8_t> bufferBefore = session.Buffer.RamFile.Data;
    const uint64_t transfers = rig.sim.transferCount();
    session.Busy.Running = true;  // an operation holds the session

    NullStatusBarView panel;
    NullProgressView bar;
    NullMessageView projectMessages;
    ProjectDialogViews projectViews{panel, bar, projectMessages};
    NullUpdateDialogView updateDialog;
    FileEditDialog dialog;
    NullCaptionView caption;
    std::string hexText = "3C 3C";
    std::string error;
    ProjectPlan plan;
    plan.dataFile = session.Chip.PrjInfoOffline.DataFileName;
    EXPECT_EQ(DownloadProject(session.Operation, projectViews, plan), kStepBusy);
    NullFileDialogView files;
    EXPECT_EQ(ChooseAndUpdateFirmware(session.Operation, {panel, updateDialog}, files), FirmwareUpdateResult::Busy);
    EXPECT_EQ(UpdateFirmwareFromFolder(session.Operation, {panel, updateDialog}, true, files), FirmwareUpdateResult::Busy);
    EXPECT_FALSE(LoadDataFile(session.Buffer, image, error));
    EXPECT_FALSE(FillBuffer(session.Buffer, 0, 16, 0x00, nullptr));
    SwapBufferBytePairs(session.Buffer);
    EXPECT_FALSE(ApplyHexKey(session.Buffer, hexText, HexSelection{0, 1}, 'A').byteChanged);
    DropFiles(session.Buffer, dialog, {image});
    EXPECT_TRUE(ChooseLanguage(session.Operation, 2).refused);
    EXPECT_FALSE(SelectChipByName(session, "GD25Q64"));

    EXPECT_EQ(session.Buffer.RamFile.Data, bufferBefore);
    EXPECT_EQ(hexText, "3C 3C");
    EXPECT_FALSE(dialog.Visible);
    EXPECT_EQ(session.Texts.Language, 0);
    EXPECT_EQ(session.Chip.PrjInfo.ChipName, "CHIP");
    EXPECT_EQ(rig.sim.transferCount(), transfers);
    EXPECT_TRUE(session.Busy.Running);  // a refused procedure never releases the holder's claim
}

}  // namespace
}  // namespace tq
