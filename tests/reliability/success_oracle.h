// Holds the session to what it says: every status line that reports a
// write, verify, erase, read or auto run as succeeded is checked, at the
// moment it is said, against the simulated chip. It sits between the
// session and its status bar, so it runs on the thread the operation runs
// on, while nothing else touches the simulator.
#pragma once

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/app/session.h"
#include "core/app/status_log.h"
#include "core/base/chip_family.h"
#include "core/operations/write.h"
#include "core/texts/text_catalogue.h"
#include "sim/sim_programmer.h"

namespace tq::testing {

class SuccessOracle final : public StatusBarView {
public:
    SuccessOracle(Session& session, SimProgrammer& sim, StatusBarView& next)
        : session_(session), sim_(sim), next_(next) {}

    void SetPanelText(int panel, const std::string& text) override {
        if (panel == 0) Judge(text);
        next_.SetPanelText(panel, text);
    }

    // The first false success, empty while there is none.
    std::string Failure() const {
        const std::lock_guard lock(mutex_);
        return failure_;
    }
    // Successes checked, and those said of a chip the programmer was not
    // driving (another chip selected than the one in the socket): those
    // cannot be held against the chip.
    struct Tally {
        uint64_t writes = 0, verifies = 0, erases = 0, reads = 0, autos = 0, unjudged = 0;
        uint64_t Checked() const { return writes + verifies + erases + reads + autos; }
    };
    Tally tally() const {
        const std::lock_guard lock(mutex_);
        return tally_;
    }

private:
    enum class Claim { None, Written, Verified, Erased, Read, AutoRun };

    static bool Says(const std::string& line, const std::string& text) {
        const std::string fixed = text.substr(0, text.find('%'));
        return !fixed.empty() && line.find(fixed) != std::string::npos;
    }

    Claim ClaimOf(const std::string& line) const {
        if (KindOfStatusLine(session_.Texts, line) != StatusKind::Success) return Claim::None;
        const Dev_Language_Struct& texts = session_.Texts.DevLanguage;
        if (Says(line, Text(session_.Texts.Language, TextId::AutoRunTitle)) && Says(line, texts.LogStaSuccess))
            return Claim::AutoRun;
        if (Says(line, texts.LogChipWriteSuccess)) return Claim::Written;
        if (Says(line, texts.LogChipVerifySuccess)) return Claim::Verified;
        if (Says(line, texts.LogChipEraseSuccess)) return Claim::Erased;
        if (Says(line, texts.LogChipReadSuccess)) return Claim::Read;
        return Claim::None;
    }

    void Judge(const std::string& line) {
        Claim claim = ClaimOf(line);
        if (claim == Claim::None) return;
        const Prj_Info_Struct& prj = session_.Chip.PrjInfo;
        const bool autoRun = claim == Claim::AutoRun;
        if (autoRun) {
            if (!prj.Write && !prj.Verify && !prj.Erase) return;
            claim = prj.Verify ? Claim::Verified : prj.Write ? Claim::Written : Claim::Erased;
        }
        // The chip as it is, or as it left the socket: a chip keeps its data.
        const SimChip* chip = sim_.chip() ? sim_.chip() : sim_.takenOutChip() ? &*sim_.takenOutChip() : nullptr;
        const std::vector<uint8_t>* memory = sim_.chip() ? &sim_.chipMemory() : &sim_.takenOutMemory();
        const bool storage = prj.ChannelSelector == 1;
        if (storage) memory = &sim_.storage();
        const auto& selected = sim_.selection();
        const bool driven = storage || (chip && selected && selected->chipType == chip->typeCode &&
                                        selected->capacity == chip->capacity && prj.ChipTypeCode == chip->typeCode);
        std::string wrong;
        if (!driven) {
            const std::lock_guard lock(mutex_);
            ++tally_.unjudged;
            return;
        }
        const std::vector<uint8_t>& data = session_.Buffer.RamFile.Data;
        switch (claim) {
        case Claim::Written:
        case Claim::Verified: {
            const uint32_t length = WriteLength(session_.Operation);
            // Flash programming only clears bits: a write over data the
            // person chose not to erase has done its part when every bit it
            // had to clear is clear. A verify needs every byte.
            const bool partOnly = claim == Claim::Written && FamilyOfCode(prj.ChipTypeCode).simProgramsLikeFlash;
            if (uint64_t{prj.RamStartAddr} + length > memory->size()) {
                wrong = "the chip is smaller than the data";
                break;
            }
            for (uint32_t i = 0; i < length; ++i) {
                const uint8_t held = (*memory)[prj.RamStartAddr + i];
                if (partOnly ? (held & ~data[i]) != 0 : held != data[i]) {
                    wrong = "address " + std::to_string(prj.RamStartAddr + i) + " holds " + std::to_string(held) +
                            ", the buffer " + std::to_string(data[i]);
                    break;
                }
            }
            break;
        }
        case Claim::Erased: {
            const auto at = std::find_if(memory->begin(), memory->end(), [](uint8_t b) { return b != 0xFF; });
            if (at != memory->end()) wrong = "address " + std::to_string(at - memory->begin()) + " is not erased";
            break;
        }
        case Claim::Read: {
            if (data.size() != memory->size()) {
                wrong = "the buffer holds " + std::to_string(data.size()) + " bytes, the chip " +
                        std::to_string(memory->size());
                break;
            }
            // A bad contact's bytes read as they will: the read cannot know.
            const std::set<uint32_t>& flaky = sim_.faults.flakyAddresses;
            for (size_t i = 0; i < data.size(); ++i)
                if (data[i] != (*memory)[i] && !flaky.count(static_cast<uint32_t>(i))) {
                    wrong = "address " + std::to_string(i) + " differs from the buffer";
                    break;
                }
            break;
        }
        case Claim::AutoRun:
        case Claim::None: break;
        }
        const std::lock_guard lock(mutex_);
        if (autoRun) {
            ++tally_.autos;
        } else {
            switch (claim) {
            case Claim::Written: ++tally_.writes; break;
            case Claim::Verified: ++tally_.verifies; break;
            case Claim::Erased: ++tally_.erases; break;
            case Claim::Read: ++tally_.reads; break;
            default: break;
            }
        }
        if (!wrong.empty() && failure_.empty())
            failure_ = "\"" + line + "\" but " + wrong + " (chip " + (chip ? chip->name : "none") + ")";
    }

    Session& session_;
    SimProgrammer& sim_;
    StatusBarView& next_;
    mutable std::mutex mutex_;
    std::string failure_;
    Tally tally_;
};

}  // namespace tq::testing
