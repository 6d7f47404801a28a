// The desktop program's command line: the same global options as the
// command-line front-end (--simulator, --device, --program-dir, --lang,
// --trace, --sim-chip, --sim-state, --sim-erase-ms, --sim-flaky), the
// production view's --production and --sim-programmers, and a data file to open.
#pragma once

#include <QStringList>
#include <optional>

#include "core/app/session_assembly.h"

namespace tq::gui {

struct GuiOptions {
    FrontEndOptions frontEnd;
    bool trace = false;
    QString file;  // opened at start as the open command opens it; empty: none
    bool production = false;  // --production: the production view opens at start
    int simProgrammers = 1;   // --sim-programmers N: the production view's simulated programmers
};

// Parses the arguments; nullopt with `error` set (or help shown) when the
// program should end with `exitCode`. --lang takes a language code of the
// installed language files too: install them first.
std::optional<GuiOptions> ParseCommandLine(const QStringList& arguments, QString& error, int& exitCode);

}  // namespace tq::gui
