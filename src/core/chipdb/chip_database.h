// The chip database (login.dat, SQLite). Filled in by the chip database work.
#pragma once

namespace tq {

class ChipDatabase {
public:
    virtual ~ChipDatabase() = default;
};

}  // namespace tq
