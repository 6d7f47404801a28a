// Replacing a file so that a crash or a full disk never leaves half of it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tq {

// Writes bytes to a temporary file beside path, flushes it to the disk and
// renames it over path. Returns an empty text on success, else what failed;
// path is then untouched and the temporary file removed.
std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace tq
