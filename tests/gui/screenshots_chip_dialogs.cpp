// The chip search (with results), the user chips (with one chip), the auto
// options and the hardware information, in the three languages.
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "core/app/user_chips.h"
#include "gui_rig.h"
#include "screenshot_set.h"

namespace tq::testing {
namespace {

bool ChipDialogShots(const QDir& dir) {
    bool ok = true;
    for (int language = 0; language < 3; ++language) {
        const QString code = kLanguageCodes[language];
        GuiRig rig;
        if (!rig.Start("GD25Q64")) return false;
        rig.Trigger(kLanguageItems[language]);
        rig.Poll();
        rig.window->show();
        // One user chip in the list; the worker is idle, so the session is free.
        UserChipDialog userChips;
        userChips.Open(UserChipContextOf(*rig.session));
        userChips.chipName = "MY25Q64JV";
        userChips.manufacturer = "ACME";
        userChips.chipId = "AB4017";
        userChips.algorithm = "W25Q64FV";
        userChips.Add(UserChipContextOf(*rig.session));

        const auto shoot = [&](const char* objectName) {
            auto* dialog = rig.window->findChild<QWidget*>(objectName);
            if (!dialog || !dialog->isVisible()) {
                std::fprintf(stderr, "tqprog-screenshots: %s did not open\n", objectName);
                ok = false;
                return;
            }
            QCoreApplication::processEvents();
            ok &= SaveShot(*dialog, dir, QString(objectName) + "-" + code);
            dialog->hide();
        };

        rig.window->findChild<QPushButton*>("sbChipFind")->click();
        if (auto* edit = rig.window->findChild<QLineEdit*>("lbeChipFindContent")) {
            edit->setText("W25Q6");
            QKeyEvent press(QEvent::KeyPress, Qt::Key_4, Qt::NoModifier, "4");
            QCoreApplication::sendEvent(edit, &press);  // a typed key searches
            rig.WaitIdle();
        }
        shoot("TfrmChipFind");
        rig.Trigger("MenuAddChip");
        shoot("TfrmUserImportChip");
        rig.Trigger("MenuAutoSel");
        shoot("TfrmAutoSel");
        rig.Trigger("MenuHardInfo");
        shoot("TfrmHardInfo");
    }
    return ok;
}

TQ_SCREENSHOTS(ChipDialogShots);

}  // namespace
}  // namespace tq::testing
