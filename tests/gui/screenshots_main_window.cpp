// The main window idle and in the middle of a write, at its smallest size,
// maximised at 1600 x 1000 and at scale factor 2 on a 1280 x 800 screen, and
// the About box.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QToolButton>

#include "core/app/chip_selection.h"
#include "core/buffer/file_open_save.h"
#include "gui/about_dialog.h"
#include "gui_rig.h"
#include "screenshot_set.h"

namespace tq::testing {
namespace {

// An image with text and every byte value, so the columns show something.
void LoadSampleImage(GuiRig& rig) {
    std::string image;
    for (int i = 0; i < 64 * 1024; ++i) image += static_cast<char>(i < 1024 ? "tqprog: serial memory image. "[i % 29] : i * 7);
    rig.folder.WriteBytes("sample.bin", image);
    rig.window->OpenFile(QString::fromStdString((rig.folder.path() / "sample.bin").string()));
    rig.WaitIdle();
}

// The window at `size`, once the hex view has been told its new width.
bool ShotAtSize(GuiRig& rig, QSize size, const QDir& dir, const QString& name) {
    rig.window->resize(size);
    // Resizing settles in several rounds: the minimum, the layout, the hex view's rows.
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 100) QCoreApplication::processEvents();
    rig.WaitIdle();
    return SaveShot(*rig.window, dir, name);
}

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

        LoadSampleImage(rig);
        ok &= ShotAtSize(rig, QSize(640, 480), dir, "TfrmMain-" + code + "-minimum");  // refuses to go smaller
        ok &= ShotAtSize(rig, QSize(1600, 1000), dir, "TfrmMain-" + code + "-1600x1000");

        gui::AboutDialog about(rig.window.get(), rig.session->Texts.ProgramFolder, language,
                               QString::fromStdString(rig.session->Device.DevInf.DbVersion));
        about.show();
        QCoreApplication::processEvents();
        ok &= SaveShot(about, dir, "TfrmAbout-" + code);
    }
    return ok;
}

TQ_SCREENSHOTS(MainWindowShots);

// The whole screen at scale factor 2 with the window where it was placed.
bool ScaledMainWindowShots(const QDir& dir) {
    bool ok = true;
    for (int language = 0; language < 3; ++language) {
        GuiRig rig;
        if (!StartForShots(rig, language)) return false;
        LoadSampleImage(rig);
        QScreen* screen = rig.window->screen();
        const qreal scale = screen->devicePixelRatio();
        QPixmap desk(screen->geometry().size() * scale);
        desk.setDevicePixelRatio(scale);
        desk.fill(QColor(60, 60, 60));
        QPainter painter(&desk);
        painter.drawPixmap(rig.window->geometry().topLeft() - screen->geometry().topLeft(), rig.window->grab());
        painter.end();
        const QString file = dir.filePath(QString("TfrmMain-") + kLanguageCodes[language] + "-scale2.png");
        ok &= desk.save(file);
        std::printf("%s (window %dx%d at %d,%d on a %dx%d screen at scale %g)\n", file.toLocal8Bit().constData(),
                    rig.window->width(), rig.window->height(), rig.window->x(), rig.window->y(),
                    screen->geometry().width(), screen->geometry().height(), scale);
    }
    return ok;
}

TQ_SCALED_SCREENSHOTS(ScaledMainWindowShots);

}  // namespace
}  // namespace tq::testing
