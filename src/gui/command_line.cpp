#include "gui/command_line.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include "core/app/language_files.h"
#include "core/app/simulator_setup.h"
#include "core/texts/system_language.h"
#include "core/texts/text_catalogue.h"

namespace tq::gui {

namespace {

std::vector<std::string> Words(const QStringList& arguments) {
    std::vector<std::string> words;
    for (const QString& argument : arguments) words.push_back(argument.toStdString());
    return words;
}

// The help and the refusals speak the language asked for with --lang, else the system's.
int HelpLanguage(const QStringList& arguments) {
    return ParseLanguageChoice(OptionBeforeParsing(Words(arguments), "--lang")).value_or(SystemLanguage());
}

}  // namespace

std::optional<GuiOptions> ParseCommandLine(const QStringList& arguments, QString& error, int& exitCode) {
    const int language = HelpLanguage(arguments);
    const auto say = [language](TextId id) { return QString::fromStdString(Text(language, id)); };
    QCommandLineParser parser;
    parser.setApplicationDescription(say(TextId::GuiUsageDescription));
    parser.addHelpOption();
    parser.addVersionOption();  // answered in main() before any display is needed
    const QCommandLineOption simulator("simulator", say(TextId::GuiOptionSimulator));
    const QCommandLineOption device("device", say(TextId::GuiOptionDevice), "PATH");
    const QCommandLineOption programDir("program-dir", say(TextId::GuiOptionProgramDir), "DIR");
    const QCommandLineOption lang("lang", QString::fromStdString(WithLanguageCodes(language, TextId::GuiOptionLanguage)), "N|CODE");
    const QCommandLineOption trace("trace", say(TextId::GuiOptionTrace));
    const QCommandLineOption simChip("sim-chip", say(TextId::GuiOptionSimChip), "NAME");
    const QCommandLineOption simState("sim-state", say(TextId::GuiOptionSimState), "DIR");
    const QCommandLineOption simErase("sim-erase-ms", say(TextId::GuiOptionSimEraseMs), "MS");
    const QCommandLineOption simFlaky("sim-flaky", say(TextId::GuiOptionSimFlaky), "ADDR[,ADDR...]");
    const QCommandLineOption production("production", say(TextId::GuiOptionProduction));
    const QCommandLineOption simProgrammers("sim-programmers", say(TextId::GuiOptionSimProgrammers), "N");
    parser.addOptions({simulator, device, programDir, lang, trace, simChip, simState, simErase, simFlaky, production,
                       simProgrammers});
    parser.addPositionalArgument("file", say(TextId::GuiArgumentFile), "[file]");
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
        error = say(TextId::GuiOneFileAtMost);
        exitCode = 2;
        return std::nullopt;
    }
    if (!files.isEmpty()) options.file = QFileInfo(files.front()).absoluteFilePath();
    if (parser.isSet(lang)) {
        const std::optional<int32_t> chosen = ParseLanguageChoice(parser.value(lang).toStdString());
        if (!chosen) {
            error = QString::fromStdString(WithLanguageCodes(language, TextId::GuiLanguageValue));
            exitCode = 2;
            return std::nullopt;
        }
        o.language = *chosen;
    }
    options.production = parser.isSet(production);
    if (parser.isSet(simProgrammers)) {
        bool ok = false;
        options.simProgrammers = parser.value(simProgrammers).toInt(&ok);
        if (!ok || options.simProgrammers < 1 || options.simProgrammers > 16) {
            error = say(TextId::GuiSimProgrammersValue);
            exitCode = 2;
            return std::nullopt;
        }
    }
    if (!o.simulator && (parser.isSet(simChip) || parser.isSet(simState) || parser.isSet(simErase) || parser.isSet(simFlaky) ||
                         parser.isSet(simProgrammers))) {
        error = say(TextId::GuiSimOptionsNeedSimulator);
        exitCode = 2;
        return std::nullopt;
    }
    o.sim.socketChip = parser.value(simChip).toStdString();
    o.sim.stateFolder = parser.value(simState).toStdString();
    if (parser.isSet(simErase)) {
        bool ok = false;
        o.sim.eraseMs = parser.value(simErase).toInt(&ok);
        if (!ok || o.sim.eraseMs < 0) {
            error = say(TextId::GuiEraseMsValue);
            exitCode = 2;
            return std::nullopt;
        }
    }
    if (parser.isSet(simFlaky)) {
        std::string refused;
        const auto addresses = ParseAddressList(parser.value(simFlaky).toStdString(), refused);
        if (!addresses) {
            error = QString::fromStdString(Text(language, TextId::HexOptionRefused, {"--sim-flaky", refused}));
            exitCode = 2;
            return std::nullopt;
        }
        o.sim.flakyAddresses = *addresses;
    }
    return options;
}

}  // namespace tq::gui
