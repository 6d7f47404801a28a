// tqprog-screenshots DIR: pictures of the windows in the three languages, for
// review by eye. Files: <objectName>-<cn|tc|en>[-<state>].png. Each
// screenshots_*.cpp adds its set. The scaled sets are taken by a second run of
// this program ("DIR --scale2") that it starts itself.
#include <QApplication>
#include <QProcess>
#include <QTemporaryFile>
#include <cstring>
#include <iostream>

#include "gui/gui_font.h"
#include "laptop_screen.h"
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

std::vector<ScreenshotSet>& ScaledScreenshotSets() {
    static std::vector<ScreenshotSet> sets;
    return sets;
}

namespace {

// Runs this program again at scale factor 2 on `platform`.
bool RunScaled(const QString& program, const QString& dir, const QString& platform) {
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", platform);
    environment.insert("QT_SCALE_FACTOR", "2");
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::ForwardedChannels);
    run.start(program, {dir, "--scale2"});
    return run.waitForFinished(300000) && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
}

}  // namespace

}  // namespace tq::testing

int main(int argc, char** argv) {
    // The minimum-size pictures show the window's own minimum, which a
    // smaller screen would cap: the set is taken on a laptop-sized screen.
    QTemporaryFile screen;
    const QString laptop = tq::testing::UseLaptopScreen(screen);
    const bool scaled = argc == 3 && std::strcmp(argv[2], "--scale2") == 0;
    QApplication app(argc, argv);
    if (argc != 2 && !scaled) {
        std::cerr << "usage: tqprog-screenshots DIR\n";
        return 2;
    }
    QApplication::setFont(tq::gui::ProgramFont());
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path())) return 1;
    bool ok = true;
    for (const tq::testing::ScreenshotSet& set :
         scaled ? tq::testing::ScaledScreenshotSets() : tq::testing::ScreenshotSets())
        ok &= set(dir);
    if (!scaled) ok &= tq::testing::RunScaled(QCoreApplication::applicationFilePath(), dir.absolutePath(), laptop);
    return ok ? 0 : 1;
}
