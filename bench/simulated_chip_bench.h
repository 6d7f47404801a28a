// A connected session on the simulated programmer (virtual clock) with an SPI
// flash of `capacity` bytes in the socket, chosen as a person would choose
// it, and a buffer of the same size holding random bytes.
#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>

#include "core/app/session.h"
#include "core/device/commands.h"
#include "core/device/presence.h"
#include "sim/sim_programmer.h"

namespace tq {

struct SimulatedChipBench {
    VirtualClock clock;
    SimProgrammer sim{clock};
    Session session{sim.volumes(), clock, std::filesystem::temp_directory_path()};

    explicit SimulatedChipBench(uint32_t capacity) {
        sim.InsertChip(SimChip{"BENCH", 1, capacity, 0, true, 0});
        Prj_Info_Struct& prj = session.Chip.PrjInfo;
        prj.ChipTypeCode = 1;
        prj.Capacity = capacity;
        prj.BlockSize = 256;
        std::vector<uint8_t>& buffer = session.Buffer.RamFile.Data;
        buffer.resize(capacity);
        std::mt19937 random(7);
        for (uint8_t& b : buffer) b = static_cast<uint8_t>(random());
        session.Buffer.RamFile.DataLen = capacity;
        if (ConnectProgrammer(session.Device) != ConnectResult::Connected) throw std::runtime_error("no simulated programmer");
        // The programmer drives a chip only once it was told of it.
        SelectChip(session.Device.Link, ChipSelection{static_cast<uint8_t>(prj.ChipTypeCode), prj.VoltageCode,
                                                      prj.ChipPara, prj.ChipPara1, prj.PageSize, prj.Capacity});
    }
};

}  // namespace tq
