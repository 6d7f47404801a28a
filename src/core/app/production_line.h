// A line of programmers driven at once: every programmer discovery finds
// gets a session of its own, and "start all" runs the auto sequence with
// one image on every idle one, each on its own thread. One that fails or
// is pulled stops no other. Every run is a row of the production log.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/app/program_folders.h"
#include "core/operations/auto_sequence.h"
#include "core/operations/chip_backup.h"
#include "core/production/production_ledger.h"
#include "core/production/serial_stamp.h"

namespace tq {

class Clock;
class Session;
class Volumes;

// A programmer drive found now: `key` tells it from the others (its volume
// root), `device` is what a session is pointed at (empty: discovery on
// `volumes`, which then lists this programmer alone).
struct FoundProgrammer {
    std::string key;
    std::string device;
    Volumes* volumes = nullptr;
};

// Where the programmers come from: the system's drives, or simulated ones.
class ProgrammerDiscovery {
public:
    virtual ~ProgrammerDiscovery() = default;
    virtual std::vector<FoundProgrammer> Find() = 0;
    // The clock every session of the line runs on (no event hook: the
    // sessions run on threads of their own).
    virtual Clock& clock() = 0;
};

// The drives of this machine as `devices` lists them (removable volumes,
// then `extraRoots`, as TQPROG_DEVICES gives them).
std::unique_ptr<ProgrammerDiscovery> MakeSystemDiscovery(std::vector<std::string> extraRoots);

enum class StationState { Idle, Running, Passed, Failed, Gone };
// "idle", "running" ... in a language.
std::string StationStateText(int32_t language, StationState state);

// One programmer as a panel or a line of output shows it: a copy.
struct StationSnapshot {
    std::string key;
    bool answered = false;  // identified itself
    std::string model, serial, firmware;
    std::string chip;    // the chip the last run selected
    std::string chipId;  // as the socket answered on the last run
    StationState state = StationState::Idle;
    uint32_t progressMaximum = 0, progressPosition = 0;
    std::string reason;  // why the last run failed, or why it cannot run
    std::optional<uint64_t> serialNumber;
    uint32_t passed = 0, failed = 0;  // runs of this line
};

// What "start all" runs: the buffer of one chip and the auto steps.
struct LineJob {
    std::string chip;
    std::vector<uint8_t> image;  // the buffer: the chip's capacity
    uint32_t dataLength = 0;
    uint32_t startAddress = 0;
    AutoSteps steps{false, true, true, true, false};
    // Nobody can be asked at a line: a range holding data refuses the write
    // unless the guard says to erase first or write over.
    OverwriteGuard guard{false, {}, true, NotBlankRule::Refuse};
    std::optional<SerialStamp> serial;
    std::string job = "default";
};

// The job of a session: its chip, its buffer and its auto steps, guarded as
// its settings say, except that nobody is asked at a line.
LineJob LineJobOf(const Session& session);

struct LineSetup {
    ProgramFolders folders;
    std::optional<int32_t> language;
    int32_t defaultLanguage = 0;
    ProductionLedger* ledger = nullptr;  // null: no log (and no serial numbers)
};

class ProductionLine {
public:
    ProductionLine(ProgrammerDiscovery& discovery, LineSetup setup);
    ~ProductionLine();  // stops every run and waits for it
    ProductionLine(const ProductionLine&) = delete;
    ProductionLine& operator=(const ProductionLine&) = delete;

    // One poll step: programmers that appeared join (identified), gone ones
    // leave; one pulled during a failed run stays, gone, until the next
    // start. True when the set or a programmer's identity changed.
    bool Refresh();
    // Starts the job on every programmer that is not running; how many started.
    size_t StartAll(const LineJob& job);
    // Asks every run to stop; each says so when it has.
    void StopAll();
    bool Running() const;
    // Returns once no run is left.
    void Wait();
    std::vector<StationSnapshot> Snapshot() const;

private:
    struct Station;
    void Run(Station& station, const LineJob& job);
    bool Join(Station& station);

    ProgrammerDiscovery& discovery_;
    LineSetup setup_;
    std::mutex structureMutex_;  // Refresh and StartAll, which add and remove stations
    mutable std::mutex mutex_;   // the list of stations
    std::mutex ledgerMutex_;     // one statement at a time on the ledger
    std::vector<std::unique_ptr<Station>> stations_;
};

}  // namespace tq
