// A session on the simulated programmer with the virtual clock, recording
// views, a trace of every frame and the default texts: what the operation
// tests run on.
#pragma once

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/device/commands.h"
#include "core/device/presence.h"
#include "core/app/session.h"
#include "sim/sim_programmer.h"
#include "support/default_language_texts.h"
#include "support/recording_views.h"
#include "support/scratch_folder.h"

namespace tq::testing {

class CountingHexView final : public HexView {
public:
    int redraws = 0;
    void Redraw() override { ++redraws; }
};

class OperationRig {
public:
    VirtualClock clock;
    SimProgrammer sim{clock};
    ScratchFolder folder;  // the program folder
    Session session{sim.volumes(), clock, folder.path()};
    RecordingMessages messages;
    RecordingStatusBar status;
    RecordingProgress progress;
    CountingHexView hexView;
    RecordingTrace trace;

    OperationRig() {
        session.Views.messages = &messages;
        session.Views.statusBar = &status;
        session.Views.progress = &progress;
        session.Views.hexView = &hexView;
        session.Device.Link.SetTrace(&trace);
        FillDefaultLanguageTexts(session.Texts.DevLanguage);
    }

    // Connects and, as a person choosing the chip would, sends the chosen
    // chip's parameters: the programmer drives no chip it was not told of.
    bool Connect() {
        if (ConnectProgrammer(session.Device) != ConnectResult::Connected) return false;
        if (session.Chip.PrjInfo.ChipTypeCode != 0) SelectChosenChip();
        return true;
    }
    void SelectChosenChip() {
        const Prj_Info_Struct& prj = session.Chip.PrjInfo;
        SelectChip(session.Device.Link, ChipSelection{static_cast<uint8_t>(prj.ChipTypeCode), prj.VoltageCode,
                                                      prj.ChipPara, prj.ChipPara1, prj.PageSize, prj.Capacity});
    }

    // Puts a chip in the socket and selects it, with a buffer of its size
    // holding 0xFF and nothing loaded.
    void UseChip(uint8_t typeCode, uint32_t capacity, uint16_t pageSize = 0, uint32_t eraseTimeMs = 0) {
        sim.InsertChip(SimChip{"CHIP", typeCode, capacity, 0, true, eraseTimeMs});
        Prj_Info_Struct& prj = session.Chip.PrjInfo;
        prj.ChipName = "CHIP";
        prj.ChipTypeCode = typeCode;
        prj.Capacity = capacity;
        prj.BlockSize = 256;
        prj.PageSize = pageSize;
        session.Buffer.RamFile.Data.assign(capacity, 0xFF);
        session.Buffer.RamFile.DataLen = 0;
    }

    // Loads bytes into the buffer as a file open would.
    void LoadBuffer(const std::vector<uint8_t>& bytes) {
        Ram_File_Info_Struct& buffer = session.Buffer.RamFile;
        std::copy(bytes.begin(), bytes.begin() + std::min(bytes.size(), buffer.Data.size()), buffer.Data.begin());
        buffer.DataLen = static_cast<uint32_t>(std::min(bytes.size(), buffer.Data.size()));
    }

    // Forgets what was sent so far (connecting sends identity frames).
    void ClearRecords() {
        trace.lines.clear();
        status.history0.clear();
        indicatorMark_ = sim.indicatorLog().size();
    }
    // Indicator codes sent since the last ClearRecords.
    std::vector<uint16_t> Indicators() const {
        const auto& log = sim.indicatorLog();
        return std::vector<uint16_t>(log.begin() + static_cast<long>(indicatorMark_), log.end());
    }

    // Frames of one command code as sent ("> 02 code ..." trace lines).
    std::vector<std::vector<uint8_t>> Frames(uint8_t code) const {
        std::vector<std::vector<uint8_t>> frames;
        for (const std::string& line : trace.lines) {
            if (line.size() < 2 || line[0] != '>' || line[2] == '[') continue;
            std::istringstream in(line.substr(1));
            std::vector<uint8_t> bytes;
            unsigned value;
            while (in >> std::hex >> value) bytes.push_back(static_cast<uint8_t>(value));
            if (bytes.size() > 1 && bytes[1] == code) frames.push_back(bytes);
        }
        return frames;
    }
    // Lengths of the raw blocks moved in one direction ('>' written, '<' read).
    std::vector<uint32_t> Blocks(char direction) const {
        std::vector<uint32_t> sizes;
        const std::string prefix = std::string(1, direction) + " [block of ";
        for (const std::string& line : trace.lines)
            if (line.rfind(prefix, 0) == 0) sizes.push_back(static_cast<uint32_t>(std::stoul(line.substr(prefix.size()))));
        return sizes;
    }

private:
    size_t indicatorMark_ = 0;
};

// Big-endian fields of a stream header (0x34 / 0x35) or blank-check frame.
inline uint32_t FrameBe32(const std::vector<uint8_t>& frame, size_t at) {
    return static_cast<uint32_t>(frame[at]) << 24 | static_cast<uint32_t>(frame[at + 1]) << 16 |
           static_cast<uint32_t>(frame[at + 2]) << 8 | frame[at + 3];
}
inline uint16_t FrameBe16(const std::vector<uint8_t>& frame, size_t at) {
    return static_cast<uint16_t>(frame[at] << 8 | frame[at + 1]);
}

}  // namespace tq::testing
