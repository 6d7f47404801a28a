#include "core/app/program_folders.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "core/base/atomic_write.h"
#include "core/chipdb/chip_database.h"

#ifndef TQPROG_SHARE_FROM_BIN
#define TQPROG_SHARE_FROM_BIN "../share/tqprog"
#endif

namespace tq {

namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

fs::path ExecutableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : exe.parent_path();
}

// An XDG base folder: the variable when it holds an absolute path (a relative
// one is ignored, as the XDG base directory rules require), else the default
// under home.
fs::path BaseFolder(const std::string& variable, const std::string& home, const char* fallback) {
    if (!variable.empty() && fs::path(variable).is_absolute()) return variable;
    return fs::path(home) / fallback;
}

bool HoldsWritableDatabase(const fs::path& folder) {
    std::error_code ec;
    return fs::exists(folder / kDatabaseFileName, ec) && ::access(folder.c_str(), W_OK) == 0;
}

std::string DatabaseVersion(const fs::path& file) { return ChipDatabase::Open(file)->VersionQuery(); }

// Copies the shipped database to `target` through a file beside it, so a
// failure never leaves half a database; the copy is the user's to change.
void CopyDatabase(const fs::path& shipped, const fs::path& target, bool keepUserChips) {
    // A name of this process's own: programs started together each build
    // their copy and the last rename wins whole.
    const fs::path fresh = target.string() + ".new-" + std::to_string(::getpid());
    try {
        fs::remove(fresh);
        fs::copy_file(shipped, fresh);
        fs::permissions(fresh, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
        if (keepUserChips) ChipDatabase::Open(fresh)->CopyUserChipsFrom(target);
        // On the disk before the rename: after a power cut the name never
        // points at a copy whose bytes were still in memory.
        const std::string unsynced = SyncFileToDisk(fresh);
        if (!unsynced.empty()) throw fs::filesystem_error(unsynced, fresh, std::make_error_code(std::errc::io_error));
        fs::rename(fresh, target);
        SyncFolderToDisk(target.parent_path());
    } catch (...) {
        std::error_code ec;
        fs::remove(fresh, ec);
        throw;
    }
}

}  // namespace

ProgramFolders PortableFolders(const fs::path& folder) { return {folder, folder, folder, folder / "temp", false}; }

FolderEnvironment FolderEnvironment::FromProcess(const std::string& programDir) {
    FolderEnvironment environment;
    environment.programDir = programDir;
    environment.tqprogHome = Environment("TQPROG_HOME");
    environment.executableFolder = ExecutableFolder();
    environment.xdgConfigHome = Environment("XDG_CONFIG_HOME");
    environment.xdgDataHome = Environment("XDG_DATA_HOME");
    environment.xdgCacheHome = Environment("XDG_CACHE_HOME");
    environment.home = Environment("HOME");
    return environment;
}

ProgramFolders ChooseProgramFolders(const FolderEnvironment& e) {
    if (!e.programDir.empty()) return PortableFolders(e.programDir);
    if (!e.tqprogHome.empty()) return PortableFolders(e.tqprogHome);
    if (HoldsWritableDatabase(e.executableFolder)) return PortableFolders(e.executableFolder);
    ProgramFolders folders;
    folders.installed = true;
    folders.program = (e.executableFolder / TQPROG_SHARE_FROM_BIN).lexically_normal();
    folders.settings = BaseFolder(e.xdgConfigHome, e.home, ".config") / "tqprog";
    folders.data = BaseFolder(e.xdgDataHome, e.home, ".local/share") / "tqprog";
    folders.temp = BaseFolder(e.xdgCacheHome, e.home, ".cache") / "tqprog" / "temp";
    return folders;
}

bool PrepareUserFolders(const ProgramFolders& folders, std::string& error) {
    if (!folders.installed) return true;
    const fs::path shipped = folders.program / kDatabaseFileName;
    const fs::path own = folders.data / kDatabaseFileName;
    try {
        for (const fs::path& folder : {folders.settings, folders.data, folders.temp}) fs::create_directories(folder);
        if (!fs::exists(shipped)) return true;  // start-up reports the missing database
        if (!fs::exists(own))
            CopyDatabase(shipped, own, false);
        else if (DatabaseVersion(shipped) != DatabaseVersion(own))
            CopyDatabase(shipped, own, true);
    } catch (const fs::filesystem_error& failure) {
        error = failure.what();
        return false;
    } catch (const DatabaseError& failure) {
        error = own.string() + ": " + failure.what();
        return false;
    }
    return true;
}

}  // namespace tq
