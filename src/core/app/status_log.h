// The run's log: every status line the main window shows, time-stamped and
// marked with how the command it reports on ended, so the window can colour
// it and the person can save it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tq {

class Clock;
struct TextContext;

enum class StatusKind { Plain, Success, Failure, Warning };

struct LogLine {
    std::string text;  // "hh:mm:ss " and the status line
    StatusKind kind = StatusKind::Plain;
    bool progress = false;  // "n/m=>..." of a running transfer: the next such line replaces it
};

// What a status line says, judged by the texts of the current language it
// was made from: an error or failure text, a warning (a stop, a chip that is
// not blank, nothing detected), a success text, or none of them.
StatusKind KindOfStatusLine(const TextContext& texts, std::string_view line);

// The log's line for a status line: it keeps the time the line carries and
// is given the clock's time when it carries none.
LogLine MakeLogLine(const TextContext& texts, Clock& clock, const std::string& line);

// Writes the lines as UTF-8 text, one a line, replacing the file whole.
// Empty on success, else what failed.
std::string SaveLogFile(const std::filesystem::path& path, const std::vector<std::string>& lines);

}  // namespace tq
