// tqmonkey: the seeded monkey on the main window (see monkey.h).
//   tqmonkey [--seed N] [--seconds S] [--actions N] [--progress S]
//            [--watchdog-ms MS] [--lying-programmer] [--verbose]
#include <QApplication>
#include <cstring>
#include <iostream>
#include <string>

#include "gui/gui_font.h"
#include "reliability/monkey.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    tq::testing::MonkeyOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        try {
            if (arg == "--seed" && hasValue) options.seed = std::stoull(argv[++i]);
            else if (arg == "--seconds" && hasValue) options.seconds = std::stod(argv[++i]);
            else if (arg == "--actions" && hasValue) options.actions = std::stoull(argv[++i]);
            else if (arg == "--progress" && hasValue) options.progressSeconds = std::stoi(argv[++i]);
            else if (arg == "--watchdog-ms" && hasValue) options.watchdogMs = std::stoi(argv[++i]);
            else if (arg == "--lying-programmer") options.lyingProgrammer = true;
            else if (arg == "--verbose") options.verbose = true;
            else throw std::invalid_argument(arg);
        } catch (const std::exception&) {
            std::cerr << "usage: tqmonkey [--seed N] [--seconds S] [--actions N] [--progress S] [--watchdog-ms MS]"
                         " [--lying-programmer] [--verbose]\n";
            return 2;
        }
    }
    // The offscreen platform's notes on what it cannot do are not findings.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        if (!message.startsWith("This plugin does not support")) std::cerr << message.toStdString() << '\n';
    });
    QApplication app(argc, argv);
    QApplication::setFont(tq::gui::ProgramFont());
    return tq::testing::RunMonkey(options);
}
