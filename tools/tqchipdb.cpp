// Builds the chip database login.dat from the readable chip list:
//   tqchipdb CHIPS.CSV LOGIN.DAT VERSION
// The chip types and the platforms that offer them are fixed in
// core/chipdb/chip_database_builder.h.
#include <exception>
#include <iostream>

#include "core/chipdb/chip_database_builder.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: tqchipdb CHIPS.CSV LOGIN.DAT VERSION\n";
        return 2;
    }
    try {
        const tq::ChipTable table = tq::ReadChipTable(argv[1]);
        tq::BuildChipDatabase(argv[2], table, argv[3]);
        std::cout << "tqchipdb: " << table.rows.size() << " chips written to " << argv[2] << '\n';
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "tqchipdb: " << error.what() << '\n';
        return 1;
    }
}
