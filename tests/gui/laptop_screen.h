// The offscreen platform on a 1280 x 800 screen, the common laptop's: the
// window's own minimum fits there in every language, where the platform's
// default 800 x 600 screen would cap it.
#pragma once

#include <QString>
#include <QTemporaryFile>

namespace tq::testing {

// The platform to ask for; `file` holds the screen's description while it lives.
inline QString LaptopScreen(QTemporaryFile& file) {
    if (!file.open()) return "offscreen";
    file.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1280, "height": 800,
                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.flush();
    return "offscreen:configfile=" + file.fileName();
}

// Puts the laptop screen in place of a plain "offscreen" (or none) before the application starts.
inline QString UseLaptopScreen(QTemporaryFile& file) {
    const QString laptop = LaptopScreen(file);
    const QString asked = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (asked.isEmpty() || asked == "offscreen") qputenv("QT_QPA_PLATFORM", laptop.toUtf8());
    return laptop;
}

}  // namespace tq::testing
