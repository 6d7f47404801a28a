// The compare view after Buffer > Compare with Chip: a file in the buffer,
// the chip holding it with a few bytes changed, the view at the first difference.
#include <QCoreApplication>

#include "gui/compare_view.h"
#include "gui_rig.h"
#include "screenshot_set.h"

namespace tq::testing {
namespace {

bool CompareShots(const QDir& dir) {
    bool ok = true;
    for (int language = 0; language < 3; ++language) {
        GuiRig rig;
        if (!StartForShots(rig, language)) return false;
        std::string bytes(64 * 1024, '\0');
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i < 0x100 ? "tqprog compare "[i % 15] : i * 7);
        rig.folder.WriteBytes("firmware.bin", bytes);
        rig.window->OpenFile(QString::fromStdString((rig.folder.path() / "firmware.bin").string()));
        rig.WaitIdle();
        std::vector<uint8_t>& chip = rig.sim.chipMemory();
        std::copy(bytes.begin(), bytes.end(), chip.begin());
        for (size_t offset : {0x23, 0x24, 0x25, 0x61, 0x1F0, 0x8000}) chip[offset] ^= 0x41;
        rig.Trigger("MenuBufferCompareChip");
        auto* view = rig.window->findChild<gui::CompareView*>("CompareView");
        if (!view) return false;
        QCoreApplication::processEvents();
        ok &= SaveShot(*view, dir, QString("CompareView-") + kLanguageCodes[language]);
    }
    return ok;
}

TQ_SCREENSHOTS(CompareShots);

}  // namespace
}  // namespace tq::testing
