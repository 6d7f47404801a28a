// tqprog-screenshots DIR: pictures of the windows in the three languages, for
// review by eye. Files: <objectName>-<cn|tc|en>[-<state>].png. Each
// screenshots_*.cpp adds its set.
#include <QApplication>
#include <iostream>

#include "gui/gui_font.h"
#include "screenshot_set.h"

namespace tq::testing {

bool SaveShot(QWidget& widget, const QDir& dir, const QString& name) {
    const QString file = dir.filePath(name + ".png");
    if (widget.grab().save(file)) {
        std::cout << file.toStdString() << '\n';
        return true;
    }
    std::cerr << "tqprog-screenshots: cannot write " << file.toStdString() << '\n';
    return false;
}

std::vector<ScreenshotSet>& ScreenshotSets() {
    static std::vector<ScreenshotSet> sets;
    return sets;
}

}  // namespace tq::testing

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
    for (const tq::testing::ScreenshotSet& set : tq::testing::ScreenshotSets()) ok &= set(dir);
    return ok ? 0 : 1;
}
