#include "gui/command_line.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace tq::gui {

std::optional<GuiOptions> ParseCommandLine(const QStringList& arguments, QString& error, int& exitCode) {
    QCommandLineParser parser;
    parser.setApplicationDescription("tqprog: the TQM7300B serial memory programmer");
    parser.addHelpOption();
    parser.addVersionOption();  // answered in main() before any display is needed
    const QCommandLineOption simulator("simulator", "Use the built-in simulated programmer.");
    const QCommandLineOption device("device", "Volume root (or exchange file) of the programmer.", "PATH");
    const QCommandLineOption programDir("program-dir", "Folder holding login.dat, dev.ini and the language files.",
                                        "DIR");
    const QCommandLineOption lang("lang", "Language: 0 Simplified Chinese, 1 Traditional Chinese, 2 English.", "N");
    const QCommandLineOption trace("trace", "Print every frame sent and every answer received on stderr.");
    const QCommandLineOption simChip("sim-chip", "Chip in the simulated socket, or none.", "NAME");
    const QCommandLineOption simState("sim-state", "Folder keeping the simulated memories between runs.", "DIR");
    const QCommandLineOption simErase("sim-erase-ms", "How long the simulated chip takes to erase, in ms.", "MS");
    parser.addOptions({simulator, device, programDir, lang, trace, simChip, simState, simErase});
    parser.addPositionalArgument("file", "A binary, Intel HEX or CAP file to open.", "[file]");
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        exitCode = 2;
        return std::nullopt;
    }
    if (parser.isSet("help")) {
        error = parser.helpText();
        exitCode = 0;
        return std::nullopt;
    }
    GuiOptions options;
    FrontEndOptions& o = options.frontEnd;
    o.simulator = parser.isSet(simulator);
    o.device = parser.value(device).toStdString();
    o.programDir = parser.value(programDir).toStdString();
    options.trace = parser.isSet(trace);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        error = "one data file at most";
        exitCode = 2;
        return std::nullopt;
    }
    if (!files.isEmpty()) options.file = QFileInfo(files.front()).absoluteFilePath();
    if (parser.isSet(lang)) {
        bool ok = false;
        const int n = parser.value(lang).toInt(&ok);
        if (!ok || n < 0 || n > 2) {
            error = "--lang: 0, 1 or 2";
            exitCode = 2;
            return std::nullopt;
        }
        o.language = n;
    }
    if (!o.simulator && (parser.isSet(simChip) || parser.isSet(simState) || parser.isSet(simErase))) {
        error = "--sim-chip, --sim-state and --sim-erase-ms need --simulator";
        exitCode = 2;
        return std::nullopt;
    }
    o.sim.socketChip = parser.value(simChip).toStdString();
    o.sim.stateFolder = parser.value(simState).toStdString();
    if (parser.isSet(simErase)) {
        bool ok = false;
        o.sim.eraseMs = parser.value(simErase).toInt(&ok);
        if (!ok || o.sim.eraseMs < 0) {
            error = "--sim-erase-ms: a number of milliseconds";
            exitCode = 2;
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace tq::gui
