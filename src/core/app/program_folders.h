// Where the program finds its files. Two layouts:
//   portable  everything in one folder: the executable's folder when it
//             holds login.dat and may be written to, or the folder named
//             with --program-dir / TQPROG_HOME;
//   installed the shipped files (login.dat, language files) in the share
//             folder next to bin/, read only, and this user's files in the
//             XDG folders: dev.ini in $XDG_CONFIG_HOME/tqprog, login.dat
//             (copied from the shipped one) in $XDG_DATA_HOME/tqprog, temp/
//             in $XDG_CACHE_HOME/tqprog. On Windows the shipped files lie
//             beside the executable (the installer's folder), dev.ini and
//             login.dat in %APPDATA%\tqprog (they roam with the user),
//             temp\ in %LOCALAPPDATA%\tqprog.
#pragma once

#include <filesystem>
#include <string>

namespace tq {

struct ProgramFolders {
    std::filesystem::path program;   // shipped files (read)
    std::filesystem::path settings;  // dev.ini
    std::filesystem::path data;      // the login.dat in use
    std::filesystem::path temp;      // converted files, the project file
    bool installed = false;
};

// Everything in one folder, temp/ inside it.
ProgramFolders PortableFolders(const std::filesystem::path& folder);

// What the choice depends on; FromProcess reads it from the environment.
struct FolderEnvironment {
    std::string programDir;                  // --program-dir
    std::string tqprogHome;                  // TQPROG_HOME
    std::filesystem::path executableFolder;
    std::string xdgConfigHome, xdgDataHome, xdgCacheHome, home;
    std::string appData, localAppData;  // %APPDATA%, %LOCALAPPDATA%
    bool windowsLayout = false;         // installed by Windows conventions

    static FolderEnvironment FromProcess(const std::string& programDir);
};

ProgramFolders ChooseProgramFolders(const FolderEnvironment& environment);

// Readies an installed layout's per-user folders: creates them, copies the
// shipped login.dat on the first run, and when a database of another version
// has been installed since, replaces the factory chips of the user's copy
// with the new ones, keeping every user chip. False with `error` when the
// user's database cannot be made; a portable layout needs nothing.
bool PrepareUserFolders(const ProgramFolders& folders, std::string& error);

}  // namespace tq
