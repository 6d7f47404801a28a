// Where the production ledger lives, for every front-end alike.
#pragma once

#include <string>

#include "core/app/program_folders.h"

namespace tq {

// `given` (--production-db) when set, else the ProductionDb setting, else
// the SQLite file in the data folder (the folder made when missing: the log
// may be the first thing an installed program is asked for).
std::string LedgerLocationFor(const ProgramFolders& folders, const std::string& given);

}  // namespace tq
