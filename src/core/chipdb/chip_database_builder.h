// Building login.dat: the three tables, the factory chips, the chip types
// with the platforms that offer them, and the database version.
//
// Platforms are named by the first four characters of a programmer's model.
// TQM7 (the TQM7300B) handles every type, SWD ARM targets included. M500
// handles the six serial memory types but has no SWD interface, so it does
// not offer SWD ARM.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/chipdb/chip_database.h"
#include "core/chipdb/chip_table.h"

namespace tq {

inline constexpr std::array<std::string_view, 2> kPlatformColumns = {"TQM7", "M500"};

// Whether a platform column holds "Enable" for a type.
bool PlatformEnables(std::string_view platform, std::string_view type);

// Creates the empty tables [ChipName], [ChipType] and [DevInfo].
void CreateChipTables(ChipDatabase& db);
void AddChipRow(ChipDatabase& db, const ChipRow& row);
// The seven type rows in code order, with their platform columns.
void AddChipTypes(ChipDatabase& db);
void AddDbVersion(ChipDatabase& db, std::string_view version);

// Writes a complete database to path: built in a temporary file beside it
// and renamed over it at the end. Throws DatabaseError or
// std::runtime_error on failure; path is then untouched.
void BuildChipDatabase(const std::filesystem::path& path, const ChipTable& table, std::string_view version);

}  // namespace tq
