// The main window with an image in the hex view, a byte typed over and the
// caret on the next digit, in the three languages.
#include <QKeyEvent>
#include <QMouseEvent>

#include "core/app/chip_selection.h"
#include "gui/hex_view_widget.h"
#include "gui_rig.h"
#include "screenshot_set.h"

namespace tq::testing {
namespace {

bool HexViewShots(const QDir& dir) {
    std::string image;
    for (int i = 0; i < 4096; ++i) image += static_cast<char>(i < 512 ? "tqprog: serial memory image. "[i % 29] : i * 7);
    bool ok = true;
    for (int language = 0; language < 3; ++language) {
        GuiRig rig;
        if (!rig.Start("GD25Q64")) return false;
        rig.Trigger(kLanguageItems[language]);
        rig.Poll();
        SelectChipByName(*rig.session, "GD25Q64");
        rig.folder.WriteBytes("image.bin", image);
        rig.window->OpenFile(QString::fromStdString((rig.folder.path() / "image.bin").string()));
        rig.WaitIdle();
        rig.window->show();
        QCoreApplication::processEvents();
        rig.WaitIdle();
        gui::HexViewWidget& view = rig.window->hexView();
        QWidget* hex = view.findChild<QWidget*>("reDownFile");
        const QPointF point = view.HexCharPoint(2 * 49 + 15);
        QMouseEvent click(QEvent::MouseButtonPress, point, hex->mapToGlobal(point), Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(hex, &click);
        for (const auto& [key, text] : {std::pair{Qt::Key_A, "A"}, std::pair{Qt::Key_5, "5"}}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
            QCoreApplication::sendEvent(&view, &press);
        }
        rig.WaitIdle();
        if (view.page().hexLines.size() != kHexPageRows)
            std::fprintf(stderr, "hex view: %zu rows at the window's first size, not 24\n", view.page().hexLines.size());
        ok &= SaveShot(*rig.window, dir, QString("TfrmMain-") + kLanguageCodes[language] + "-data");
    }
    return ok;
}

TQ_SCREENSHOTS(HexViewShots);

}  // namespace
}  // namespace tq::testing
