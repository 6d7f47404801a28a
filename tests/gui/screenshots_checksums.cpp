// The Checksums dialog after summing the whole buffer of the usual bench.
#include <QAction>
#include <QPushButton>

#include "gui/checksum_dialog.h"
#include "gui_rig.h"
#include "screenshot_set.h"

namespace tq::testing {
namespace {

bool ChecksumShots(const QDir& dir) {
    bool ok = true;
    for (int language = 0; language < 3; ++language) {
        GuiRig rig;
        if (!StartForShots(rig, language)) return false;
        const std::string digits = "123456789";
        std::copy(digits.begin(), digits.end(), rig.session->Buffer.RamFile.Data.begin());
        rig.Trigger("MenuBufferChecksums");
        auto* dialog = rig.window->findChild<gui::ChecksumDialog*>("ChecksumDialog");
        if (!dialog) return false;
        dialog->computeButton()->click();
        rig.WaitIdle();
        ok &= SaveShot(*dialog, dir, QString("Checksums-") + kLanguageCodes[language]);
    }
    return ok;
}

TQ_SCREENSHOTS(ChecksumShots);

}  // namespace
}  // namespace tq::testing
