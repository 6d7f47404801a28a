// tqprog-screenshots DIR: pictures of the main window in the three languages,
// idle and in the middle of a write, and of the About box, for review by eye.
// Files: <objectName>-<cn|tc|en>[-<state>].png.
#include <QApplication>
#include <QDir>
#include <QToolButton>
#include <iostream>

#include "core/buffer/file_open_save.h"
#include "core/app/chip_selection.h"
#include "gui/about_dialog.h"
#include "gui/gui_font.h"
#include "gui_rig.h"

namespace {

bool Save(QWidget& widget, const QDir& dir, const QString& name) {
    const QString file = dir.filePath(name + ".png");
    if (widget.grab().save(file)) {
        std::cout << file.toStdString() << '\n';
        return true;
    }
    std::cerr << "tqprog-screenshots: cannot write " << file.toStdString() << '\n';
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: tqprog-screenshots DIR\n";
        return 2;
    }
    QApplication::setFont(tq::gui::ProgramFont());
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path())) return 1;
    bool ok = true;
    const char* codes[3] = {"cn", "tc", "en"};
    const char* items[3] = {"Menu_Settings_Lang_CN", "Menu_Settings_Lang_TC", "Menu_Settings_Lang_EN"};
    for (int language = 0; language < 3; ++language) {
        tq::testing::GuiRig rig;
        if (!rig.Start("GD25Q64")) return 1;
        rig.Trigger(items[language]);
        rig.Poll();
        tq::SelectChipByName(*rig.session, "GD25Q64");
        rig.WaitIdle();
        rig.window->show();
        ok &= Save(*rig.window, dir, QString("TfrmMain-%1").arg(codes[language]));

        rig.folder.WriteBytes("image.bin", std::string(1024 * 1024, '\x42'));
        std::string error;
        tq::LoadDataFile(rig.session->Buffer, (rig.folder.path() / "image.bin").string(), error);
        rig.volumes.HoldWrite(60);  // partway through the image
        rig.window->findChild<QToolButton*>("sbWrite")->click();
        while (!rig.volumes.Holding()) QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        ok &= Save(*rig.window, dir, QString("TfrmMain-%1-writing").arg(codes[language]));
        rig.volumes.Release();
        rig.WaitIdle();

        tq::gui::AboutDialog about(rig.window.get(), rig.session->Texts.ProgramFolder, language,
                                   QString::fromStdString(rig.session->Device.DevInf.DbVersion));
        about.show();
        QCoreApplication::processEvents();
        ok &= Save(about, dir, QString("TfrmAbout-%1").arg(codes[language]));
    }
    return ok ? 0 : 1;
}
