// `auto --all`: the auto sequence on every attached programmer at once,
// one line per programmer and a summary; status 0 only when all passed.
#pragma once

#include <string>

#include "cli/backup_options.h"
#include "cli/production_hook.h"

namespace tq {

class CliContext;

struct AutoAllArgs {
    std::string file;
    bool truncate = false;
    bool noErase = false, noWrite = false, noVerify = false;
    SerialOptions serial;
    BackupArgs backup;
};

void RunAutoOnAll(CliContext& context, const AutoAllArgs& args);

}  // namespace tq
