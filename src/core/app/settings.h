// The settings file dev.ini in the settings folder: read once at start-up
// into the session's records, written once when the main window closes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tq {

class Session;
struct Dev_Inf_Struct;

inline constexpr const char* kSettingsFileName = "dev.ini";
inline constexpr const char* kDefaultModel = "TQM7300B";

// The [DebugOption] values: read and kept, used by nothing, never written.
struct DebugOptions {
    int32_t comDebugDly = 5000;
    int32_t intMsgDleTim = 1000;
};

// Reads every key (missing file, section or key: its default; a missing
// Language: `defaultLanguage`) and resets the auto-run counters.
void LoadSettings(Session& session, int32_t defaultLanguage = 0);

// Writes every remembered value in one atomic replacement of dev.ini.
// FilePath is first recomputed from the current file name. A failure is
// shown as an error message and returns false; dev.ini is then untouched.
bool SaveSettings(Session& session);

// Start-up's check of the remembered programmer model: a model of fewer than
// 3 or more than 8 (GBK) bytes becomes "TQM7300B".
void CheckDefaultModel(Dev_Inf_Struct& dev);

// The folder part of a file path: everything up to and including the last
// path separator; empty when there is none.
std::string FolderOf(std::string_view file);

}  // namespace tq
