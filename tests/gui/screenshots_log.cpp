// The main window with the log panel after a write, a blank check, a verify
// failure and a self-check.
#include <QAction>

#include "core/buffer/file_open_save.h"
#include "gui/log_panel.h"
#include "gui_rig.h"
#include "screenshot_set.h"

namespace tq::testing {
namespace {

bool LogShots(const QDir& dir) {
    bool ok = true;
    for (int language = 0; language < 3; ++language) {
        const QString code = kLanguageCodes[language];
        GuiRig rig;
        if (!StartForShots(rig, language)) return false;
        rig.window->resize(900, 640);
        rig.window->action("MenuViewLog")->trigger();  // shown as View > Log shows it
        rig.folder.WriteBytes("image.bin", std::string(64 * 1024, '\x42'));
        std::string error;
        LoadDataFile(rig.session->Buffer, (rig.folder.path() / "image.bin").string(), error);
        rig.Trigger("MenuWrite");
        rig.Trigger("MenuBlankCheck");
        rig.session->Buffer.RamFile.Data[0x10] = 0x43;
        rig.Trigger("MenuVerify");
        rig.Trigger("MenuSelfCheck");
        QCoreApplication::processEvents();
        ok &= SaveShot(*rig.window, dir, "LogPanel-" + code);
    }
    return ok;
}

TQ_SCREENSHOTS(LogShots);

}  // namespace
}  // namespace tq::testing
