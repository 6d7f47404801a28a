// How an operation's end looks: a write stopped partway and a verify that
// found a flash written over old data.
#include <QToolButton>
#include <algorithm>

#include "core/buffer/file_open_save.h"
#include "gui_rig.h"
#include "screenshot_set.h"

namespace tq::testing {
namespace {

bool LoadImage(GuiRig& rig, const std::string& bytes) {
    rig.folder.WriteBytes("image.bin", bytes);
    std::string error;
    return LoadDataFile(rig.session->Buffer, (rig.folder.path() / "image.bin").string(), error);
}

void Click(GuiRig& rig, const char* button) {
    rig.window->findChild<QToolButton*>(button)->click();
    rig.WaitIdle();
}

bool OperationShots(const QDir& dir) {
    bool ok = true;
    for (int language = 0; language < 3; ++language) {
        const QString code = kLanguageCodes[language];
        {
            GuiRig rig;
            if (!StartForShots(rig, language) || !LoadImage(rig, std::string(1024 * 1024, '\x42'))) return false;
            rig.volumes.HoldWrite(60);  // partway through the image
            rig.window->findChild<QToolButton*>("sbWrite")->click();
            if (!rig.WaitForHeldWrite()) return false;
            rig.window->findChild<QToolButton*>("sbStop")->click();
            rig.volumes.Release();
            rig.WaitIdle();
            ok &= SaveShot(*rig.window, dir, "TfrmMain-" + code + "-write-stopped");
        }
        {
            GuiRig rig;
            if (!StartForShots(rig, language) || !LoadImage(rig, std::string(4096, '\xF5'))) return false;
            std::fill(rig.sim.chipMemory().begin() + 0x30, rig.sim.chipMemory().begin() + 0x40, 0x0F);
            Click(rig, "sbWrite");
            Click(rig, "sbVerify");
            ok &= SaveShot(*rig.window, dir, "TfrmMain-" + code + "-verify-failed");
        }
    }
    return ok;
}

TQ_SCREENSHOTS(OperationShots);

}  // namespace
}  // namespace tq::testing
