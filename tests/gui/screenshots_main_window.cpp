// The main window idle and in the middle of a write, and the About box.
#include <QToolButton>

#include "core/app/chip_selection.h"
#include "core/buffer/file_open_save.h"
#include "gui/about_dialog.h"
#include "gui_rig.h"
#include "screenshot_set.h"

namespace tq::testing {
namespace {

bool MainWindowShots(const QDir& dir) {
    bool ok = true;
    for (int language = 0; language < 3; ++language) {
        const QString code = kLanguageCodes[language];
        GuiRig rig;
        if (!StartForShots(rig, language)) return false;
        ok &= SaveShot(*rig.window, dir, "TfrmMain-" + code);

        rig.folder.WriteBytes("image.bin", std::string(1024 * 1024, '\x42'));
        std::string error;
        LoadDataFile(rig.session->Buffer, (rig.folder.path() / "image.bin").string(), error);
        rig.volumes.HoldWrite(60);  // partway through the image
        rig.window->findChild<QToolButton*>("sbWrite")->click();
        if (!rig.WaitForHeldWrite()) return false;
        ok &= SaveShot(*rig.window, dir, "TfrmMain-" + code + "-writing");
        rig.volumes.Release();
        rig.WaitIdle();

        gui::AboutDialog about(rig.window.get(), rig.session->Texts.ProgramFolder, language,
                               QString::fromStdString(rig.session->Device.DevInf.DbVersion));
        about.show();
        QCoreApplication::processEvents();
        ok &= SaveShot(about, dir, "TfrmAbout-" + code);
    }
    return ok;
}

TQ_SCREENSHOTS(MainWindowShots);

}  // namespace
}  // namespace tq::testing
