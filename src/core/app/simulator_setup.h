// The simulated programmer of a front-end's run: which chip sits in its
// socket (--sim-chip, else the chip named with -c, else none), how long that
// chip's erase takes, and the memories kept between runs (--sim-state).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_chip.h"

namespace tq {

class ChipDatabase;
class SimProgrammer;
struct ChipRow;

// What a front-end says about its simulated programmer.
struct SimulatorOptions {
    std::string chip;         // -c/--chip: the chip the person selects
    std::string socketChip;   // --sim-chip NAME|none; empty: `chip`
    std::string stateFolder;  // --sim-state DIR; empty: nothing kept
    int eraseMs = -1;         // --sim-erase-ms MS; -1: the chip's EraseTime
    std::vector<uint32_t> flakyAddresses;  // --sim-flaky ADDR[,ADDR...]: chip addresses that read unreliably
};

// "1F00,0x2000": the addresses of --sim-flaky, each as the hex number parser
// takes it. None when a part is not such a number; `refused` then holds it.
std::optional<std::vector<uint32_t>> ParseAddressList(std::string_view text, std::string& refused);

// The chip as the simulator models it, from its database row: the type
// code, the capacity, the ID detection reads (a row's six hex digits, or the
// 0x24 family byte for a 24 EEPROM; none otherwise) and the erase time.
// The name doubles as a file name, so characters a path cannot hold become "_".
SimChip SimChipFromRow(const ChipRow& row);

// Puts the chip the options name into the socket (with --sim-erase-ms as its
// erase time when given) and loads the kept memories. False with `error`
// for a --sim-chip name the database lacks or a state that cannot be read.
// A -c name the database lacks leaves the socket empty: the chip selection
// reports that name.
bool SetUpSimulator(SimProgrammer& simulator, ChipDatabase& database, const SimulatorOptions& options,
                    std::string& error);

}  // namespace tq
