// The start-up steps that bring the session up before any window shows:
// open the chip database, load the settings, load the texts, read the
// database version, check the remembered model and list its chip types.
// The front-ends act on the result (message, captions, type list).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "core/app/language_menu.h"
#include "core/chipdb/chip_database.h"
#include "core/app/chip_selection.h"

namespace tq {

class Session;

struct StartupOptions {
    // Replaces the Language setting for this run (the CLI's --lang).
    std::optional<int32_t> language;
    // The language when dev.ini sets none (the front-ends: the system locale's).
    int32_t defaultLanguage = 0;
};

enum class StartupOutcome {
    Completed,
    DatabaseMissing,  // login.dat is missing: show the message and end the program
    DatabaseFailed,   // a statement failed: show the error; the steps after it did not run
};

struct StartupResult {
    StartupOutcome outcome = StartupOutcome::Completed;
    std::string message;           // the missing-file message or the engine's error text
    std::string openDialogFolder;  // initial folder of the open-file dialog (FilePath)
    LanguageApplied language;      // captions to apply
    TypeList chipTypes;            // DefaultModel's types; a rejected platform code is warned about
    // How the last chip came back. The front-end shows the not-connected
    // state (labelCh1 "ERROR", bar in error) unless the lists stopped the
    // restore (TypeNotListed, ManufacturerNotListed, NameNotListed).
    ChipRestore chipRestore = ChipRestore::NoRow;
};

StartupResult RunStartup(Session& session, const StartupOptions& options = {});

// The missing-database message in a language; in Simplified Chinese the
// program's own text.
std::string MissingDatabaseText(int32_t language, const std::filesystem::path& folder);

}  // namespace tq
