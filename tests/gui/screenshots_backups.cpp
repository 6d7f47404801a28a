// The question before a write over data that is not blank, and the list of
// backups the write left, in the three languages.
#include <QTreeWidget>

#include "gui/backups_dialog.h"
#include "gui_rig.h"
#include "screenshot_set.h"

namespace tq::testing {
namespace {

bool BackupShots(const QDir& dir) {
    bool ok = true;
    for (int language = 0; language < 3; ++language) {
        const QString code = kLanguageCodes[language];
        GuiRig rig;
        if (!StartForShots(rig, language)) return false;
        for (uint32_t at = 0; at < 0x3000; at += 7) rig.sim.chipMemory()[at] = static_cast<uint8_t>(at);
        rig.folder.WriteBytes("image.bin", std::string(4096, '\x11'));
        rig.window->OpenFile(QString::fromStdString((rig.folder.path() / "image.bin").string()));
        rig.WaitIdle();
        // The window's own box, shown and kept; Cancel.
        rig.window->messages().SetNotBlankPresenter([&](const QString& text) {
            const auto box = gui::MakeNotBlankBox(rig.window.get(), rig.window->windowTitle(), text, language);
            box->show();
            ok &= SaveShot(*box, dir, "NotBlankQuestion-" + code);
            return NotBlankChoice::Cancel;
        });
        rig.Trigger("MenuWrite");
        rig.Trigger("MenuBackups");
        gui::BackupsDialog* backups = rig.window->backupsDialog();
        if (!backups) return false;
        ok &= SaveShot(*backups, dir, "BackupsDialog-" + code);
    }
    return ok;
}

TQ_SCREENSHOTS(BackupShots);

}  // namespace
}  // namespace tq::testing
