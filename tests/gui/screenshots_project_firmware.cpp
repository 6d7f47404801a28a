// The offline project dialog with a data file chosen and in the middle of a
// download; the question before a firmware update; the firmware update
// dialog before and during an update.
#include <QMessageBox>
#include <QPushButton>

#include "core/app/chip_selection.h"
#include "gui/project_dialog.h"
#include "gui/update_dialog.h"
#include "gui_rig.h"
#include "screenshot_set.h"
#include "support/firmware_package_builder.h"

namespace tq::testing {
namespace {

bool ProjectFirmwareShots(const QDir& dir) {
    bool ok = true;
    for (int language = 0; language < 3; ++language) {
        const QString code = kLanguageCodes[language];
        GuiRig rig;
        if (!StartForShots(rig, language)) return false;

        rig.Trigger("MenuPrjOffline");
        gui::ProjectDialog* project = rig.window->projectDialog();
        if (!project) return false;
        rig.folder.WriteBytes("firmware_v2.bin", std::string(256 * 1024, '\x5A'));
        const QString data = QString::fromStdString((rig.folder.path() / "firmware_v2.bin").string());
        rig.window->messages().SetFilePresenter(
            [data](bool, const QString&, const QString&, const QString&, const QString&) { return data; });
        project->findChild<QPushButton*>("Button2")->click();
        rig.WaitIdle();
        ok &= SaveShot(*project, dir, "TfrmProject-" + code);
        rig.volumes.HoldWrite(60);  // partway through the data file
        project->findChild<QPushButton*>("btnDownLoadPrj")->click();
        ok &= rig.WaitForHeldWrite();
        ok &= SaveShot(*project, dir, "TfrmProject-" + code + "-downloading");
        rig.volumes.Release();
        rig.WaitIdle();
        project->close();
        rig.WaitIdle();

        std::filesystem::create_directories(rig.folder.path() / "iap");
        FirmwarePackage(SampleImage(64 * 1024)).WriteTo((rig.folder.path() / "iap" / "TQM7-000200.iap").string());
        rig.Trigger("MenuFirmUpdateFolder");
        gui::UpdateDialog* update = rig.window->updateDialog();
        if (!update) return false;
        ok &= SaveShot(*update, dir, "TfrmUpdate-" + code);
        // The question before the update, as a box like the window's own; Yes.
        rig.window->messages().SetPresenter([&](gui::MessageKind kind, const QString& text) {
            if (kind != gui::MessageKind::Question) return true;
            QMessageBox box(QMessageBox::Question, rig.window->windowTitle(), text,
                            QMessageBox::Yes | QMessageBox::No, rig.window.get());
            box.show();
            ok &= SaveShot(box, dir, "UpdateConfirmation-" + code);
            return true;
        });
        rig.volumes.HoldWrite(120);  // partway through the image, after the boot loader came up
        update->findChild<QPushButton*>("btnStartIAP")->click();
        ok &= rig.WaitForHeldWrite();
        ok &= SaveShot(*update, dir, "TfrmUpdate-" + code + "-updating");
        rig.volumes.Release();
        rig.WaitIdle();
    }
    return ok;
}

TQ_SCREENSHOTS(ProjectFirmwareShots);

}  // namespace
}  // namespace tq::testing
