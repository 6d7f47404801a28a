// The chip context: the operation records of the selected chip (main window
// and offline project) and the chip database they come from.
#pragma once

#include <memory>

#include "core/chipdb/chip_database.h"
#include "core/chipdb/operation_record.h"

namespace tq {

struct ChipContext {
    Prj_Info_Struct PrjInfo;
    Prj_Info_Struct PrjInfoOffline;
    std::unique_ptr<ChipDatabase> Database;

    // The open database; DatabaseError when start-up has not opened one.
    ChipDatabase& database() {
        if (!Database) throw DatabaseError("the chip database is not open");
        return *Database;
    }
};

}  // namespace tq
