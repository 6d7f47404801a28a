// tqprog: the desktop program. Builds the session as every front-end does,
// shows the main window, and keeps the simulated memories when asked to.
#include <QApplication>
#include <QMessageBox>
#include <cstdlib>
#include <iostream>
#include <string_view>

#include "core/app/language_files.h"
#include "core/app/session.h"
#include "core/app/simulated_line.h"
#include "core/texts/text_catalogue.h"
#include "gui/command_line.h"
#include "gui/first_paint_timer.h"
#include "gui/gui_font.h"
#include "gui/main_window.h"
#include "gui/production_window.h"
#include "gui/stderr_trace.h"

int main(int argc, char** argv) {
    // Answered before the application connects to a display.
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--version" || std::string_view(argv[i]) == "-v") {
            std::cout << "tqprog " << TQPROG_VERSION << '\n' << tq::Text(2, tq::TextId::LicenceNotice) << '\n';
            return 0;
        }
    QElapsedTimer started;
    started.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName("tqprog");
    QApplication::setApplicationVersion(TQPROG_VERSION);
    // The language files first: --help and --lang may name one of them.
    std::vector<std::string> arguments;
    for (const QString& argument : app.arguments()) arguments.push_back(argument.toStdString());
    const std::vector<tq::LanguageFileProblem> languageProblems = tq::InstallLanguageFiles(tq::ChooseProgramFolders(
        tq::FolderEnvironment::FromProcess(tq::OptionBeforeParsing(arguments, "--program-dir"))));
    QString error;
    int exitCode = 0;
    const std::optional<tq::gui::GuiOptions> options = tq::gui::ParseCommandLine(app.arguments(), error, exitCode);
    if (!options) {
        (exitCode == 0 ? std::cout : std::cerr) << error.toStdString() << '\n';
        return exitCode;
    }
    QApplication::setFont(tq::gui::ProgramFont());

    tq::SessionAssembly assembly(options->frontEnd);
    tq::gui::StderrTrace trace;
    if (options->trace) assembly.session().Device.Link.SetTrace(&trace);
    int status = 1;
    {
        tq::gui::MainWindow window(assembly.session(), assembly.simulator());
        if (!window.Start([&](tq::StartupResult& result, std::string& e) { return assembly.Start(result, e); }))
            return 1;
        for (const std::string& note : tq::LanguageFileNotes(languageProblems, assembly.session().Texts.Language, options->trace))
            std::cerr << "tqprog: " << note << '\n';
        // The production view's programmers: the simulated ones, or every drive discovery finds.
        std::unique_ptr<tq::ProgrammerDiscovery> programmers;
        if (options->frontEnd.simulator) {
            auto simulated = std::make_unique<tq::SimulatedLine>(static_cast<size_t>(options->simProgrammers));
            std::string simError;
            if (!simulated->SetUp(assembly.folders().data, options->frontEnd.sim, simError))
                std::cerr << "tqprog: " << simError << '\n';
            programmers = std::move(simulated);
        } else {
            const char* extra = std::getenv("TQPROG_DEVICES");
            programmers = tq::MakeSystemDiscovery(extra ? tq::DeviceListFromText(extra) : std::vector<std::string>{});
        }
        auto* production = new tq::gui::ProductionWindow(window.worker(), window.messages(), std::move(programmers),
                                                         assembly.folders(), window.language(), &window);
        window.SetProductionWindow(production);
        tq::gui::FirstPaintTimer firstPaint(started);
        if (qEnvironmentVariableIsSet("TQPROG_REPORT_STARTUP")) window.installEventFilter(&firstPaint);
        window.show();
        if (!options->file.isEmpty()) window.OpenFile(options->file);
        if (options->production) production->show();
        status = QApplication::exec();
    }
    std::string keepError;
    if (!assembly.KeepSimulatorState(keepError)) {
        std::cerr << "tqprog: " << tq::Text(assembly.session().Texts.Language, tq::TextId::SimStateNotKept, {keepError})
                  << '\n';
        status = status == 0 ? 1 : status;
    }
    return status;
}
