#include "core/app/ledger_location.h"

#include "core/app/settings.h"
#include "core/base/profile_file.h"
#include "core/production/production_ledger.h"

namespace tq {

std::string LedgerLocationFor(const ProgramFolders& folders, const std::string& given) {
    if (!given.empty()) return given;
    const std::string set =
        ProfileFile::Load(folders.settings / kSettingsFileName).ReadString("tqprog", kProductionDbKey, "", 1024);
    if (!set.empty()) return set;
    std::error_code ignored;
    std::filesystem::create_directories(folders.data, ignored);
    return (folders.data / kLedgerFileName).string();
}

}  // namespace tq
