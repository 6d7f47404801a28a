// Every translation found (the fixtures until the build ships some): the main
// window idle and at its smallest size, the buffer fill dialog, the auto
// options and the About box, to look at for cut or overlapping text.
#include <QElapsedTimer>

#include "core/app/language_menu.h"
#include "gui/about_dialog.h"
#include "gui/file_edit_dialog.h"
#include "gui_rig.h"
#include "screenshot_set.h"
#include "support/fixture_languages.h"

namespace tq::testing {
namespace {

bool FurtherLanguageShots(const QDir& dir) {
    const std::shared_ptr<const LanguageSet> languages = ShippedOrFixtureLanguages();
    const ScopedLanguages installed(languages);
    bool ok = true;
    for (const FurtherLanguage& language : languages->languages()) {
        const QString code = QString::fromStdString(language.code);
        GuiRig rig;
        if (!rig.StartWithGD25Q64Selected()) return false;
        rig.Trigger(("Menu_Settings_Lang_" + language.code).c_str());
        rig.window->show();
        rig.WaitIdle();
        ok &= SaveShot(*rig.window, dir, "TfrmMain-" + code);

        rig.window->resize(640, 480);  // the window refuses to go below its minimum
        QElapsedTimer settling;
        settling.start();
        while (settling.elapsed() < 100) QCoreApplication::processEvents();
        rig.WaitIdle();
        ok &= SaveShot(*rig.window, dir, "TfrmMain-" + code + "-minimum");

        rig.Trigger("MenuBufferFill");
        auto* edit = rig.window->findChild<gui::FileEditForm*>("TfrmFileEdit");
        QCoreApplication::processEvents();
        ok &= SaveShot(*edit, dir, "TfrmFileEdit-" + code + "-fill");
        edit->hide();

        rig.Trigger("MenuAutoSel");
        if (auto* autoSel = rig.window->findChild<QWidget*>("TfrmAutoSel")) {
            QCoreApplication::processEvents();
            ok &= SaveShot(*autoSel, dir, "TfrmAutoSel-" + code);
            autoSel->hide();
        } else {
            ok = false;
        }

        gui::AboutDialog about(rig.window.get(), rig.session->Texts.ProgramFolder, rig.session->Texts.Language,
                               QString::fromStdString(rig.session->Device.DevInf.DbVersion));
        about.show();
        QCoreApplication::processEvents();
        ok &= SaveShot(about, dir, "TfrmAbout-" + code);
    }
    return ok;
}

TQ_SCREENSHOTS(FurtherLanguageShots);

}  // namespace
}  // namespace tq::testing
