// The screenshot tool's pictures come in sets, one file each: a set registers
// itself with TQ_SCREENSHOTS and saves its windows through SaveShot, so a new
// dialog adds its pictures without touching the others.
#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "gui_rig.h"

namespace tq::testing {

inline const char* const kLanguageCodes[3] = {"cn", "tc", "en"};
inline const char* const kLanguageItems[3] = {"Menu_Settings_Lang_CN", "Menu_Settings_Lang_TC",
                                              "Menu_Settings_Lang_EN"};

// How most pictures begin: the rig's usual bench, the window in `language`
// (0 cn, 1 tc, 2 en) and shown.
inline bool StartForShots(GuiRig& rig, int language) {
    if (!rig.StartWithGD25Q64Selected()) return false;
    rig.Trigger(kLanguageItems[language]);
    rig.window->show();
    // A language with a face of its own changes the program's font: the layout settles in rounds.
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 100) QCoreApplication::processEvents();
    return true;
}

// Saves `widget` as DIR/<name>.png; false (and a line on stderr) when it cannot.
bool SaveShot(QWidget& widget, const QDir& dir, const QString& name);

using ScreenshotSet = std::function<bool(const QDir& dir)>;
std::vector<ScreenshotSet>& ScreenshotSets();
// Sets taken by a second run at scale factor 2 on a 1280 x 800 screen (the
// factor must be chosen before the application starts).
std::vector<ScreenshotSet>& ScaledScreenshotSets();

struct ScreenshotSetRegistration {
    explicit ScreenshotSetRegistration(ScreenshotSet set, bool scaled = false) {
        (scaled ? ScaledScreenshotSets() : ScreenshotSets()).push_back(std::move(set));
    }
};

}  // namespace tq::testing

#define TQ_SCREENSHOT_CONCAT2(a, b) a##b
#define TQ_SCREENSHOT_CONCAT(a, b) TQ_SCREENSHOT_CONCAT2(a, b)
#define TQ_SCREENSHOTS(function) \
    static const ::tq::testing::ScreenshotSetRegistration TQ_SCREENSHOT_CONCAT(screenshotSet_, __LINE__){function}
#define TQ_SCALED_SCREENSHOTS(function) \
    static const ::tq::testing::ScreenshotSetRegistration TQ_SCREENSHOT_CONCAT(screenshotSet_, __LINE__){function, true}
