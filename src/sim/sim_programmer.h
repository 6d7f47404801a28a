// A software model of the programmer and the chip in its socket. It plugs
// into the device link exactly where a real drive would be: a removable
// 4608-byte volume whose exchange file Write.Temp carries command frames,
// answers and raw data blocks.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/device/commands.h"
#include "core/platform/clock.h"
#include "core/platform/volumes.h"
#include "sim/sim_chip.h"

namespace tq {

struct SimIdentity {
    std::string firmware = "V1.02";
    std::string hardware = "TQM7300B-HW2.1";
    std::string serial = "TQ7300B00012345";
    std::string model = "TQM7300B";
};

// Faults a test can inject.
struct SimFaults {
    std::set<uint8_t> silentCommands;       // the answer to these never arrives (the read fails)
    std::optional<uint16_t> answerLength;   // every data answer claims this length instead
    std::set<uint32_t> notDeliveredBlocks;  // read-stream blocks (0-based, per stream) answered with the marker
    uint32_t markerSector = 0;              // which 512-byte sector of such a block carries the marker
    std::set<size_t> corruptAnswerBytes;    // answer offsets flipped (xor 0xFF)
    // The drive vanishes for good once this many more transfers have run.
    std::optional<uint32_t> removeAfterTransfers;
    // One-shot faults at one transfer, by its number (transferCount() once
    // it is counted). That transfer fails at the drive: a write does not
    // arrive, a read returns nothing ...
    std::optional<uint64_t> failTransferAt;
    // ... or its answer is lost: a frame written then is carried out but not
    // answered, a read-stream block read then comes marked as not delivered,
    // an answer read then finds none.
    std::optional<uint64_t> dropAnswerAt;
    // The drive is absent while the clock is in [from, to) microseconds.
    std::vector<std::pair<uint64_t, uint64_t>> absentWindows;
    // What 0x38 reports for sockets 1 and 2 instead of the socket's real state.
    std::optional<std::array<uint8_t, 2>> socketStates;
    // Chip addresses that read unreliably (a weak cell, a bad contact): each
    // read of one flips a random bit of it about half the time, drawn from
    // flakySeed so a test sees the same reads every run.
    std::set<uint32_t> flakyAddresses;
    uint32_t flakySeed = 1;
    // A programmer that lies: written blocks are taken but never stored
    // (to show that a check of the chip after a success catches it).
    bool forgetWrites = false;
};

// Faults drawn at random for long runs: each transfer, with the chance
// perMillion in a million, meets one of them, picked evenly among those on.
struct SimRandomFaults {
    uint32_t perMillion = 0;
    uint32_t seed = 1;
    bool failTransfer = true;  // the transfer fails at the drive
    bool dropAnswer = true;    // the transfer runs but its answer is lost
    bool takeChipOut = true;   // the chip leaves the socket for a while and comes back unchanged
    bool pullDrive = true;     // the drive is absent for a while and comes back
    uint32_t maxAbsentMs = 300;  // how long a chip or the drive stays away, at most
};

// How many faults of each kind were drawn so far.
struct SimFaultCounts {
    uint64_t failedTransfers = 0;
    uint64_t droppedAnswers = 0;
    uint64_t chipsTakenOut = 0;
    uint64_t drivesPulled = 0;
    uint64_t Total() const { return failedTransfers + droppedAnswers + chipsTakenOut + drivesPulled; }
};

// Restarts that re-enumerate: after 0xF0 (into the boot loader) and after
// 0xF2 in boot mode (into the new firmware) the drive goes away leaveAfterMs
// after the command and comes back absentMs later.
struct SimReenumeration {
    uint32_t leaveAfterMs = 100;
    uint32_t absentMs = 3000;
};

class SimProgrammer {
public:
    static constexpr uint32_t kStorageBytes = 16u * 1024 * 1024;

    explicit SimProgrammer(Clock& clock);
    ~SimProgrammer();
    SimProgrammer(const SimProgrammer&) = delete;
    SimProgrammer& operator=(const SimProgrammer&) = delete;

    // The volumes the host sees: the programmer's drive while attached.
    Volumes& volumes();
    std::string VolumeRoot() const { return "sim:"; }

    SimIdentity identity;
    SimFaults faults;
    SimRandomFaults randomFaults;
    const SimFaultCounts& faultCounts() const { return faultCounts_; }
    uint32_t exchangeFileSize = 4096;  // a shorter file makes the host pre-extend it
    // Plugged in (also see the fault windows). Atomic: a front-end may pull
    // the plug from its own thread while an operation runs.
    std::atomic<bool> attached = true;

    // The socket.
    void InsertChip(const SimChip& chip);  // memory starts erased (0xFF)
    void RemoveChip();
    // Takes the chip out from another thread while an operation runs: it
    // leaves the socket before the next transfer.
    void RequestChipRemoval() { removalRequested_ = true; }
    // True while a polled erase started by 0x32 is still running.
    bool Erasing() const;
    const SimChip* chip() const { return chip_ ? &*chip_ : nullptr; }
    std::vector<uint8_t>& chipMemory() { return chipMemory_; }
    // The chip last taken out and what it held then: a chip keeps its data
    // out of the socket. Empty until one has been taken out.
    const std::optional<SimChip>& takenOutChip() const { return takenOut_; }
    const std::vector<uint8_t>& takenOutMemory() const { return takenOutMemory_; }
    // Made on first use: most runs never touch its 16 MiB.
    std::vector<uint8_t>& storage() {
        if (storage_.empty()) storage_.assign(kStorageBytes, 0xFF);
        return storage_;
    }

    // What the host told it.
    const std::vector<uint16_t>& indicatorLog() const { return indicatorLog_; }
    // The chip parameters command 0x39 last delivered.
    const std::optional<ChipSelection>& selection() const { return selection_; }
    std::optional<uint8_t> language() const { return language_; }
    const std::vector<uint8_t>& projectFile() const { return projectFile_; }
    uint32_t projectFileSize() const { return projectFileSize_; }
    // Frames in the order they arrived (command codes), for protocol tests.
    const std::vector<uint8_t>& commandLog() const { return commandLog_; }
    uint64_t transferCount() const { return transfers_; }

    // The drive is gone until the program restarts (a pulled drive, not a
    // moment's absence).
    bool PulledForGood() const { return !attached || removedForGood_; }

    // Boot mode and firmware image.
    bool bootMode() const { return bootMode_; }
    const std::vector<uint8_t>& receivedImage() const { return image_; }
    std::string firmwareAfterUpdate = "V1.03";
    std::optional<SimReenumeration> reenumeration;  // unset: the drive stays through every restart

    // Keeps chip memories and the on-board storage between runs:
    // DIR/chip-NAME.bin and DIR/storage.bin.
    bool LoadState(const std::filesystem::path& folder, std::string& error);
    bool SaveState(const std::filesystem::path& folder, std::string& error) const;

    // The exchange file's side of a transfer (used by the simulated volume).
    bool Present();
    bool HostWrite(const uint8_t* data, size_t length);
    bool HostRead(uint8_t* data, size_t length);

private:
    class SimVolumes;
    enum class Stream { None, Read, Write };

    // A command frame's payload.
    struct Payload {
        const uint8_t* bytes;
        uint16_t length;
    };
    using Handler = void (SimProgrammer::*)(Payload);

    void HandleFrame(const uint8_t* frame, size_t length);
    static Handler HandlerFor(uint8_t code);
    void OnGetFwVersion(Payload);
    void OnGetHwVersion(Payload);
    void OnGetSerial(Payload);
    void OnGetModel(Payload);
    void OnSetLanguage(Payload p);
    void OnSetIndicator(Payload p);
    void OnReadChipId(Payload);
    void OnErase(Payload p);
    void OnRead(Payload p);
    void OnWrite(Payload p);
    void StartStream(Stream kind, Payload p);
    void OnBlankCheck(Payload p);
    void OnChipPresence(Payload);
    void OnSelectChip(Payload p);
    void OnProjectFile(Payload p);
    void OnEnterBoot(Payload);
    void OnIapData(Payload p);
    void OnIapVerify(Payload p);
    void OnIapDone(Payload);

    void Answer(uint8_t status, const uint8_t* data, uint16_t length);
    void AnswerText(const std::string& text);
    void StartErase();
    bool EraseFinished();
    // True when the chip in the socket is driven with its own algorithm: the
    // last selection (0x39) names its type and size, and so does the command.
    bool DrivesChip(uint8_t commandType) const;
    // Channel 1 the on-board storage; channel 0 the chip, when driven.
    std::vector<uint8_t>* Target(uint8_t channel, uint8_t commandType);
    // The bytes from `address` that lie together in the target, at most count.
    struct Span {
        size_t at = 0;
        size_t length = 0;
    };
    Span SpanAt(const std::vector<uint8_t>& target, uint64_t address, uint64_t count) const;
    bool RangeBlank(uint8_t channel, uint8_t commandType, uint32_t start, uint32_t count);
    void AcceptWriteBlock(const uint8_t* data, size_t length);
    bool CountTransfer();
    bool FaultHere(const std::optional<uint64_t>& at) const { return at && *at == transfers_; }
    void MarkNotDelivered(uint8_t* data, size_t length) const;
    // Flips bits of the flaky addresses among `count` bytes read from chip address `address`.
    void Unsettle(uint8_t* data, uint64_t address, uint64_t count);

    Clock& clock_;
    std::unique_ptr<SimVolumes> volumes_;
    std::optional<SimChip> chip_;
    std::atomic<bool> removalRequested_ = false;
    std::vector<uint8_t> chipMemory_;
    std::vector<uint8_t> storage_;
    std::vector<uint16_t> indicatorLog_;
    std::vector<uint8_t> commandLog_;
    std::optional<ChipSelection> selection_;
    std::optional<uint8_t> language_;
    std::vector<uint8_t> projectFile_;
    uint32_t projectFileSize_ = 0;

    // What a read of the exchange file returns next; empty = no answer.
    std::vector<uint8_t> answer_;
    bool answerReady_ = false;

    // Bulk stream after 0x34 / 0x35.
    Stream stream_ = Stream::None;
    uint8_t streamChannel_ = 0, streamType_ = 0;
    uint32_t streamAddress_ = 0, streamRemaining_ = 0;
    uint16_t streamBlock_ = 0;
    std::mt19937 flakyDraws_;
    std::optional<uint32_t> flakySeedTaken_;
    uint32_t streamBlockIndex_ = 0;

    // End of the EEPROM write cycles of the last block stored (clock, us).
    uint64_t busyUntil_ = 0;

    // Polled erase.
    bool erasing_ = false;
    uint64_t eraseDoneAt_ = 0;

    bool bootMode_ = false;
    bool imageAccepted_ = false;
    std::vector<uint8_t> image_;
    uint64_t transfers_ = 0;
    bool removedForGood_ = false;
    std::optional<SimChip> takenOut_;
    std::vector<uint8_t> takenOutMemory_;
    // Random faults: the draws, what was drawn, and when a chip taken out
    // by one comes back and a drive pulled by one is back (clock, us).
    std::mt19937 faultDraws_;
    std::optional<uint32_t> faultSeedTaken_;
    SimFaultCounts faultCounts_;
    std::optional<uint64_t> chipBackAt_;
    uint64_t pulledUntil_ = 0;
    enum class DrawnFault { None, FailTransfer, DropAnswer };
    // Draws this transfer's random fault; the chip and drive kinds act at once.
    DrawnFault DrawRandomFault();
    std::optional<std::pair<uint64_t, uint64_t>> restartWindow_;  // drive absent in [from, to) us
    void Restart();
};

}  // namespace tq
