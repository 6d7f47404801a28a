#include "core/app/simulator_setup.h"

#include <algorithm>
#include <cstdint>

#include "core/base/chip_family.h"
#include "core/base/number_text.h"
#include "core/chipdb/chip_database.h"
#include "core/chipdb/chip_row.h"
#include "sim/sim_programmer.h"

namespace tq {

namespace {

std::string FileSafe(const std::string& name) {
    std::string safe = name;
    for (char& c : safe) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || c == '.';
        if (!plain) c = '_';
    }
    return safe.empty() || safe == "." || safe == ".." ? "_" + safe : safe;
}

uint32_t ToUint32(int64_t value) { return static_cast<uint32_t>(std::clamp<int64_t>(value, 0, UINT32_MAX)); }

}  // namespace

SimChip SimChipFromRow(const ChipRow& row) {
    SimChip chip;
    chip.name = FileSafe(row.ChipName);
    const ChipFamily& family = FamilyNamed(row.ChipType);
    chip.typeCode = CodeOf(family.type);
    chip.capacity = ToUint32(row.Capacity);
    chip.eraseTimeMs = ToUint32(row.EraseTime);
    if (family.familyIdByte != 0) {
        chip.chipId = uint32_t{family.familyIdByte} << 24;  // the chip answers with its family byte only
    } else if (IsWellFormedChipId(row.ChipID)) {
        chip.chipId = static_cast<uint32_t>(std::stoul(row.ChipID, nullptr, 16));
    } else {
        chip.hasId = false;
    }
    return chip;
}

std::optional<std::vector<uint32_t>> ParseAddressList(std::string_view text, std::string& refused) {
    std::vector<uint32_t> addresses;
    for (size_t from = 0; from <= text.size();) {
        const size_t comma = std::min(text.find(',', from), text.size());
        const std::string_view part = text.substr(from, comma - from);
        const std::optional<uint32_t> address = ParseHexNumber(part);
        if (!address) {
            refused = std::string(part);
            return std::nullopt;
        }
        addresses.push_back(*address);
        from = comma + 1;
    }
    return addresses;
}

bool SetUpSimulator(SimProgrammer& simulator, ChipDatabase& database, const SimulatorOptions& options,
                    std::string& error) {
    const bool explicitChip = !options.socketChip.empty();
    const std::string name = explicitChip ? options.socketChip : options.chip;
    if (!name.empty() && name != "none") {
        const std::vector<ChipRow> rows = database.ChipRowQuery(name);
        if (rows.empty() && explicitChip) {
            error = "--sim-chip: the chip database has no chip named " + name;
            return false;
        }
        if (!rows.empty()) {
            SimChip chip = SimChipFromRow(rows.front());
            if (options.eraseMs >= 0) chip.eraseTimeMs = static_cast<uint32_t>(options.eraseMs);
            simulator.InsertChip(chip);
        }
    }
    simulator.faults.flakyAddresses.insert(options.flakyAddresses.begin(), options.flakyAddresses.end());
    if (options.stateFolder.empty()) return true;
    if (!simulator.LoadState(options.stateFolder, error)) {
        error = "--sim-state: " + error;
        return false;
    }
    return true;
}

}  // namespace tq
