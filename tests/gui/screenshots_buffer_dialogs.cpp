// The buffer's parameter dialog in its four modes and the merge dialog with
// two files, in the three languages.
#include <QPushButton>

#include "gui/file_combin_dialog.h"
#include "gui/file_edit_dialog.h"
#include "gui_rig.h"
#include "screenshot_set.h"

namespace tq::testing {
namespace {

bool BufferDialogShots(const QDir& dir) {
    bool ok = true;
    for (int language = 0; language < 3; ++language) {
        const QString code = kLanguageCodes[language];
        GuiRig rig;
        if (!rig.Start()) return false;
        rig.Trigger(kLanguageItems[language]);
        rig.window->show();
        auto* edit = rig.window->findChild<gui::FileEditForm*>("TfrmFileEdit");

        rig.folder.WriteBytes("image.bin", std::string(64, 'A'));
        rig.window->messages().SetFilePresenter([&](bool, const QString&, const QString&, const QString&,
                                                    const QString&) {
            return QString::fromStdString((rig.folder.path() / "image.bin").string());
        });
        // The import mode as a drop prepares it, then the three tools.
        rig.session->Buffer.OpenDialog.FileName = (rig.folder.path() / "image.bin").string();
        FileEditDialog import = edit->Typed();
        PrepareImportDialog(rig.session->Buffer, import);
        edit->Present(import);
        QCoreApplication::processEvents();
        ok &= SaveShot(*edit, dir, "TfrmFileEdit-" + code + "-import");
        const std::pair<const char*, const char*> tools[] = {
            {"MenuBufferFill", "fill"}, {"MenuBufferGoto", "jump"}, {"MenuBufferFind", "find"}};
        for (const auto& [action, state] : tools) {
            rig.Trigger(action);
            QCoreApplication::processEvents();
            ok &= SaveShot(*edit, dir, "TfrmFileEdit-" + code + "-" + state);
        }
        edit->hide();

        rig.Trigger("Menu_File_MenuMerge");
        auto* merge = rig.window->findChild<gui::FileCombinForm*>("TfrmFileCombin");
        auto* add = merge->findChild<QPushButton*>("btnMergeAddFile");
        for (int file = 0; file < 4; ++file) add->click();  // the full list
        QCoreApplication::processEvents();
        ok &= SaveShot(*merge, dir, "TfrmFileCombin-" + code);
    }
    return ok;
}

TQ_SCREENSHOTS(BufferDialogShots);

}  // namespace
}  // namespace tq::testing
