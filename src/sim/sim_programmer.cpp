#include "sim/sim_programmer.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "core/base/atomic_write.h"
#include "core/base/chip_family.h"
#include "core/device/command_code.h"
#include "core/device/commands.h"
#include "core/device/frame.h"
#include "core/platform/digest.h"

namespace tq {

namespace {
constexpr uint8_t kEraseDone = 0x55;

uint32_t Be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

// A paged EEPROM stores a page per 5 ms cycle (a chip without a page size a
// byte per cycle); a byte-wise one a byte in about 1 ms.
constexpr uint64_t kWriteCycleMicros = 5000;
constexpr uint64_t kByteMicros = 1000;

uint64_t WriteTimeMicros(uint8_t typeCode, uint16_t pageSize, uint64_t address, uint32_t count) {
    if (count == 0) return 0;
    switch (FamilyOfCode(typeCode).simWriteTime) {
    case SimWriteTime::None: return 0;
    case SimWriteTime::PerByte: return count * kByteMicros;
    case SimWriteTime::PerPage: break;
    }
    const uint64_t page = std::max<uint16_t>(pageSize, 1);
    const uint64_t pages = (address + count - 1) / page - address / page + 1;
    return pages * kWriteCycleMicros;
}
}  // namespace

// The programmer's drive as the host's volume list shows it.
class SimProgrammer::SimVolumes final : public Volumes {
public:
    explicit SimVolumes(SimProgrammer& owner) : owner_(owner) {}

    std::vector<VolumeInfo> List() override {
        if (!owner_.Present()) return {};
        return {VolumeInfo{owner_.VolumeRoot(), true, true, 4608}};
    }
    VolumeInfo Describe(const std::string& root) override {
        if (root != owner_.VolumeRoot() || !owner_.Present()) return VolumeInfo{root, false, false, 0};
        return VolumeInfo{root, true, true, 4608};
    }
    std::string PathInRoot(const std::string& root, const std::string& name) override { return root + "/" + name; }

    std::unique_ptr<ExchangeFile> OpenExchangeFile(const std::string& path, bool, std::string& error) override {
        if (!owner_.Present() || path != owner_.VolumeRoot() + "/Write.Temp") {
            error = "no such file";
            return nullptr;
        }
        class File final : public ExchangeFile {
        public:
            explicit File(SimProgrammer& owner) : owner_(owner) {}
            int64_t Size() override { return owner_.exchangeFileSize; }
            bool Write(const uint8_t* data, size_t length) override {
                if (length >= 4096) owner_.exchangeFileSize = std::max<uint32_t>(owner_.exchangeFileSize, 4096);
                return owner_.HostWrite(data, length);
            }
            bool Read(uint8_t* data, size_t length) override { return owner_.HostRead(data, length); }

        private:
            SimProgrammer& owner_;
        };
        return std::make_unique<File>(owner_);
    }

private:
    SimProgrammer& owner_;
};

SimProgrammer::SimProgrammer(Clock& clock)
    : clock_(clock), volumes_(std::make_unique<SimVolumes>(*this)) {}

SimProgrammer::~SimProgrammer() = default;

Volumes& SimProgrammer::volumes() { return *volumes_; }

void SimProgrammer::InsertChip(const SimChip& chip) {
    removalRequested_ = false;
    chipBackAt_.reset();
    chip_ = chip;
    chipMemory_.assign(chip.capacity, 0xFF);
}

void SimProgrammer::RemoveChip() {
    removalRequested_ = false;
    chipBackAt_.reset();
    erasing_ = false;
    if (chip_) {
        takenOut_ = std::move(chip_);
        takenOutMemory_ = std::move(chipMemory_);
    }
    chip_.reset();
    chipMemory_.clear();
}

SimProgrammer::DrawnFault SimProgrammer::DrawRandomFault() {
    if (randomFaults.perMillion == 0) return DrawnFault::None;
    if (faultSeedTaken_ != randomFaults.seed) {
        faultDraws_.seed(randomFaults.seed);
        faultSeedTaken_ = randomFaults.seed;
    }
    // The engine's raw output, not a distribution: the same with every library.
    if (faultDraws_() % 1000000u >= randomFaults.perMillion) return DrawnFault::None;
    enum Kind { Fail, Drop, ChipOut, Pull };
    std::vector<Kind> kinds;
    if (randomFaults.failTransfer) kinds.push_back(Fail);
    if (randomFaults.dropAnswer) kinds.push_back(Drop);
    if (randomFaults.takeChipOut) kinds.push_back(ChipOut);
    if (randomFaults.pullDrive) kinds.push_back(Pull);
    if (kinds.empty()) return DrawnFault::None;
    const Kind kind = kinds[faultDraws_() % kinds.size()];
    const uint64_t away = (1 + faultDraws_() % std::max<uint32_t>(randomFaults.maxAbsentMs, 1)) * 1000ull;
    // A failed transfer never reached the programmer, which stays in the
    // stream it was in: the host ends it when it connects again. A pulled
    // drive loses its power and forgets the stream and the answer it held.
    switch (kind) {
    case Fail:
        ++faultCounts_.failedTransfers;
        return DrawnFault::FailTransfer;
    case Drop: ++faultCounts_.droppedAnswers; return DrawnFault::DropAnswer;
    case ChipOut:
        ++faultCounts_.chipsTakenOut;
        if (chip_) {
            RemoveChip();
            chipBackAt_ = clock_.NowMicros() + away;
        }
        return DrawnFault::None;
    case Pull:
        // This transfer is the first the pulled drive does not see.
        ++faultCounts_.drivesPulled;
        stream_ = Stream::None;
        answerReady_ = false;
        pulledUntil_ = clock_.NowMicros() + away;
        return DrawnFault::FailTransfer;
    }
    return DrawnFault::None;
}

bool SimProgrammer::Present() {
    if (!attached || removedForGood_) return false;
    const uint64_t now = clock_.NowMicros();
    for (const auto& [from, to] : faults.absentWindows)
        if (now >= from && now < to) return false;
    if (restartWindow_ && now >= restartWindow_->first && now < restartWindow_->second) return false;
    if (now < pulledUntil_) return false;
    return true;
}

void SimProgrammer::Restart() {
    if (!reenumeration) return;
    const uint64_t from = clock_.NowMicros() + static_cast<uint64_t>(reenumeration->leaveAfterMs) * 1000;
    restartWindow_ = {from, from + static_cast<uint64_t>(reenumeration->absentMs) * 1000};
}

// Counts one transfer; false once the drive has been pulled. A transfer
// that arrives while the chip is still storing a block waits for it.
bool SimProgrammer::CountTransfer() {
    if (removalRequested_.exchange(false)) RemoveChip();
    if (chipBackAt_ && clock_.NowMicros() >= *chipBackAt_ && takenOut_) {
        // Back in the socket as it left it.
        chip_ = std::move(takenOut_);
        chipMemory_ = std::move(takenOutMemory_);
        takenOut_.reset();
        takenOutMemory_.clear();
        chipBackAt_.reset();
    }
    if (!Present()) return false;
    const uint64_t now = clock_.NowMicros();
    if (busyUntil_ > now) clock_.WaitMicros(busyUntil_ - now);
    ++transfers_;
    if (faults.removeAfterTransfers) {
        if (*faults.removeAfterTransfers == 0) {
            removedForGood_ = true;
            return false;
        }
        --*faults.removeAfterTransfers;
    }
    return true;
}

bool SimProgrammer::HostWrite(const uint8_t* data, size_t length) {
    if (!CountTransfer() || FaultHere(faults.failTransferAt)) return false;
    const DrawnFault drawn = DrawRandomFault();
    if (drawn == DrawnFault::FailTransfer) return false;
    if (stream_ == Stream::Write) {
        if (length >= sizeof kAbortBlock && std::memcmp(data, kAbortBlock, sizeof kAbortBlock) == 0) {
            stream_ = Stream::None;
            return true;
        }
        AcceptWriteBlock(data, length);
        return true;
    }
    if (stream_ == Stream::Read && length >= sizeof kAbortBlock && std::memcmp(data, kAbortBlock, sizeof kAbortBlock) == 0) {
        stream_ = Stream::None;
        return true;
    }
    // A command frame ends a read stream the host stopped fetching early
    // (a verify that met a difference); its answer must not be stream data.
    stream_ = Stream::None;
    HandleFrame(data, length);
    if (FaultHere(faults.dropAnswerAt) || drawn == DrawnFault::DropAnswer) answerReady_ = false;
    return true;
}

void SimProgrammer::MarkNotDelivered(uint8_t* data, size_t length) const {
    const size_t at = std::min<size_t>(faults.markerSector * 512, length - 4);
    std::memcpy(data + at, kNotDeliveredMarker, sizeof kNotDeliveredMarker);
}

void SimProgrammer::Unsettle(uint8_t* data, uint64_t address, uint64_t count) {
    if (faults.flakyAddresses.empty() || chipMemory_.empty()) return;
    if (flakySeedTaken_ != faults.flakySeed) {
        flakyDraws_.seed(faults.flakySeed);
        flakySeedTaken_ = faults.flakySeed;
    }
    const uint64_t size = chipMemory_.size();
    // The chip's addresses wrap at its size, as its memory does: a block is
    // at most two stretches of it.
    for (uint64_t done = 0; done < count;) {
        const uint64_t from = (address + done) % size;
        const uint64_t length = std::min(count - done, size - from);
        for (auto it = faults.flakyAddresses.lower_bound(static_cast<uint32_t>(from));
             it != faults.flakyAddresses.end() && *it < from + length; ++it) {
            // The engine's raw output, not a distribution: the same with every library.
            const uint32_t draw = flakyDraws_();
            if (draw & 1u) data[done + (*it - from)] ^= static_cast<uint8_t>(1u << ((draw >> 1) & 7u));
        }
        done += length;
    }
}

bool SimProgrammer::HostRead(uint8_t* data, size_t length) {
    if (!CountTransfer() || FaultHere(faults.failTransferAt)) return false;
    const DrawnFault drawn = DrawRandomFault();
    if (drawn == DrawnFault::FailTransfer) return false;
    const bool dropped = FaultHere(faults.dropAnswerAt) || drawn == DrawnFault::DropAnswer;
    if (stream_ == Stream::Read) {
        const uint32_t count = std::min<uint32_t>(streamBlock_, streamRemaining_);
        std::memset(data, 0xFF, length);
        const uint32_t index = streamBlockIndex_++;
        if (dropped || faults.notDeliveredBlocks.count(index)) {
            MarkNotDelivered(data, length);
            return true;  // the block does not count; the host asks again
        }
        const std::vector<uint8_t>* source = Target(streamChannel_, streamType_);
        const uint64_t wanted = std::min<uint64_t>(count, length);
        for (uint64_t done = 0; source && done < wanted;) {
            const Span span = SpanAt(*source, streamAddress_ + done, wanted - done);
            if (span.length == 0) break;
            std::memcpy(data + done, source->data() + span.at, span.length);
            done += span.length;
        }
        if (source == &chipMemory_) Unsettle(data, streamAddress_, wanted);
        streamAddress_ += count;
        streamRemaining_ -= count;
        if (streamRemaining_ == 0) stream_ = Stream::None;
        return true;
    }
    if (!answerReady_ || dropped) return false;  // nothing answered: the host sees a failed read
    std::memset(data, 0, length);
    std::memcpy(data, answer_.data(), std::min(length, answer_.size()));
    for (size_t at : faults.corruptAnswerBytes)
        if (at < length) data[at] ^= 0xFF;
    return true;
}

bool SimProgrammer::DrivesChip(uint8_t commandType) const {
    return chip_ && selection_ && selection_->chipType == chip_->typeCode && selection_->capacity == chip_->capacity &&
           commandType == chip_->typeCode;
}

std::vector<uint8_t>* SimProgrammer::Target(uint8_t channel, uint8_t commandType) {
    if (channel == 1) return &storage();
    return DrivesChip(commandType) ? &chipMemory_ : nullptr;
}

// The chip's address lines stop at its size, so an address past the end
// lands at the start again; the on-board storage has no such wrap.
SimProgrammer::Span SimProgrammer::SpanAt(const std::vector<uint8_t>& target, uint64_t address, uint64_t count) const {
    const uint64_t size = target.size();
    if (&target == &chipMemory_ && size != 0) address %= size;
    if (address >= size) return {};
    return {static_cast<size_t>(address), static_cast<size_t>(std::min(count, size - address))};
}

void SimProgrammer::AcceptWriteBlock(const uint8_t* data, size_t length) {
    const uint32_t count = std::min<uint32_t>({streamBlock_, streamRemaining_, static_cast<uint32_t>(length)});
    std::vector<uint8_t>* target = Target(streamChannel_, streamType_);
    // Flash programming only clears bits; EEPROMs (and DataFlash, with its
    // page erase) overwrite.
    const bool flash = FamilyOfCode(streamType_).simProgramsLikeFlash;
    // A chip busy erasing ignores what it is sent, as a real one does.
    if (target == &chipMemory_ && Erasing()) target = nullptr;
    if (faults.forgetWrites) target = nullptr;
    for (uint64_t done = 0; target && done < count;) {
        const Span span = SpanAt(*target, streamAddress_ + done, count - done);
        if (span.length == 0) break;
        uint8_t* cells = target->data() + span.at;
        if (flash && target == &chipMemory_) {
            for (size_t i = 0; i < span.length; ++i) cells[i] &= data[done + i];
        } else {
            std::memcpy(cells, data + done, span.length);
        }
        done += span.length;
    }
    // The programmer stores the block while the host goes on.
    if (streamChannel_ == 0) {
        const uint16_t pageSize = selection_ ? selection_->pageSize : 0;
        busyUntil_ = clock_.NowMicros() + WriteTimeMicros(streamType_, pageSize, streamAddress_, count);
    }
    streamAddress_ += count;
    streamRemaining_ -= count;
    if (streamRemaining_ == 0) stream_ = Stream::None;
}

void SimProgrammer::Answer(uint8_t status, const uint8_t* data, uint16_t length) {
    const uint16_t claimed = faults.answerLength.value_or(length);
    answer_.assign(kFrameOverhead + std::max(length, claimed), 0);
    uint8_t* payload = PutFrameHeader(answer_.data(), status, claimed);
    if (length) std::memcpy(payload, data, length);
    SealFrame(answer_.data(), claimed);
    if (answer_.size() > 512) answer_.resize(512);
    answerReady_ = true;
}

void SimProgrammer::AnswerText(const std::string& text) {
    Answer(0, reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint16_t>(text.size()));
}

void SimProgrammer::StartErase() {
    erasing_ = true;
    eraseDoneAt_ = clock_.NowMicros() + static_cast<uint64_t>(chip_ ? chip_->eraseTimeMs : 0) * 1000;
    if (chip_) std::fill(chipMemory_.begin(), chipMemory_.end(), 0xFF);
}

bool SimProgrammer::Erasing() const { return erasing_ && clock_.NowMicros() < eraseDoneAt_; }

bool SimProgrammer::EraseFinished() {
    if (!erasing_) return true;
    if (clock_.NowMicros() < eraseDoneAt_) return false;
    erasing_ = false;
    return true;
}

void SimProgrammer::HandleFrame(const uint8_t* frame, size_t length) {
    answerReady_ = false;
    if (length < kFrameOverhead || frame[0] != 0x02) return;
    const uint16_t payloadLength = Be16(frame + 4);
    if (payloadLength + size_t{kFrameOverhead} > length) return;
    const uint16_t crc = Crc16Modbus(frame + 1, static_cast<uint16_t>(kFrameHeaderSize - 1 + payloadLength));
    if (Be16(frame + kFrameHeaderSize + payloadLength) != crc) return;

    const uint8_t code = frame[1];
    commandLog_.push_back(code);
    if (faults.silentCommands.count(code)) return;
    // Unknown commands go unanswered.
    if (const Handler handler = HandlerFor(code)) (this->*handler)(Payload{frame + kFrameHeaderSize, payloadLength});
}

SimProgrammer::Handler SimProgrammer::HandlerFor(uint8_t code) {
    static constexpr std::pair<CommandCode, Handler> kHandlers[] = {
        {CMD_GET_FW_VERSION, &SimProgrammer::OnGetFwVersion},
        {CMD_GET_HW_VERSION, &SimProgrammer::OnGetHwVersion},
        {CMD_GET_SERIAL, &SimProgrammer::OnGetSerial},
        {CMD_GET_MODEL, &SimProgrammer::OnGetModel},
        {CMD_SET_LANGUAGE, &SimProgrammer::OnSetLanguage},
        {CMD_SET_INDICATOR, &SimProgrammer::OnSetIndicator},
        {CMD_READ_CHIP_ID, &SimProgrammer::OnReadChipId},
        {CMD_ERASE, &SimProgrammer::OnErase},
        {CMD_READ, &SimProgrammer::OnRead},
        {CMD_WRITE, &SimProgrammer::OnWrite},
        {CMD_BLANK_CHECK, &SimProgrammer::OnBlankCheck},
        {CMD_CHIP_PRESENCE, &SimProgrammer::OnChipPresence},
        {CMD_SELECT_CHIP, &SimProgrammer::OnSelectChip},
        {CMD_PROJECT_FILE, &SimProgrammer::OnProjectFile},
        {CMD_ENTER_BOOT, &SimProgrammer::OnEnterBoot},
        {CMD_IAP_DATA, &SimProgrammer::OnIapData},
        {CMD_IAP_DONE, &SimProgrammer::OnIapDone},
        {CMD_IAP_VERIFY, &SimProgrammer::OnIapVerify},
    };
    for (const auto& [known, handler] : kHandlers)
        if (known == code) return handler;
    return nullptr;
}

void SimProgrammer::OnGetFwVersion(Payload) { AnswerText(bootMode_ ? "BOOT " + identity.firmware : identity.firmware); }
void SimProgrammer::OnGetHwVersion(Payload) { AnswerText(identity.hardware); }
void SimProgrammer::OnGetSerial(Payload) { AnswerText(identity.serial); }
void SimProgrammer::OnGetModel(Payload) { AnswerText(identity.model); }

void SimProgrammer::OnSetLanguage(Payload p) {
    if (p.length >= 1) language_ = p.bytes[0];
    Answer(0, nullptr, 0);
}

void SimProgrammer::OnSetIndicator(Payload p) {
    if (p.length >= 2) indicatorLog_.push_back(Be16(p.bytes));
    Answer(0, nullptr, 0);
}

// The ID read probes the socket whatever chip is selected: detection is how
// a person finds out that the selection is wrong.
void SimProgrammer::OnReadChipId(Payload) {
    uint8_t data[6] = {0, 0, 0, 0, 1, 0};  // byte 4 set: no ID
    if (chip_ && chip_->hasId) {
        PutBe32(data, chip_->chipId);
        data[4] = 0;
    }
    Answer(0, data, 6);
}

void SimProgrammer::OnErase(Payload p) {
    if (p.length < 3) return;
    // A chip the programmer does not drive never reports the end of an erase
    // (its status reads 0xFF: busy) and keeps its bytes.
    const bool driven = p.bytes[0] == 0 && DrivesChip(p.bytes[1]);
    if (p.bytes[2] == 0 && driven) StartErase();
    const uint8_t state = driven && EraseFinished() ? kEraseDone : 0x00;
    Answer(0, &state, 1);
}

void SimProgrammer::OnRead(Payload p) { StartStream(Stream::Read, p); }
void SimProgrammer::OnWrite(Payload p) { StartStream(Stream::Write, p); }

// A stream header is not answered.
void SimProgrammer::StartStream(Stream kind, Payload p) {
    if (p.length < 12) return;
    stream_ = kind;
    streamChannel_ = p.bytes[0];
    streamType_ = p.bytes[1];
    streamAddress_ = Be32(p.bytes + 2);
    streamRemaining_ = Be32(p.bytes + 6);
    streamBlock_ = std::max<uint16_t>(Be16(p.bytes + 10), 1);
    streamBlockIndex_ = 0;
    if (streamRemaining_ == 0) stream_ = Stream::None;
}

void SimProgrammer::OnBlankCheck(Payload p) {
    if (p.length < 10) return;
    Answer(RangeBlank(p.bytes[0], p.bytes[1], Be32(p.bytes + 2), Be32(p.bytes + 6)) ? 0 : 1, nullptr, 0);
}

bool SimProgrammer::RangeBlank(uint8_t channel, uint8_t commandType, uint32_t start, uint32_t count) {
    // A chip driven with another algorithm reads as 0xFF.
    if (channel == 0 && chip_ && !DrivesChip(commandType)) return true;
    const std::vector<uint8_t>* source = channel == 1 ? &storage() : chip_ ? &chipMemory_ : nullptr;
    if (!source || source->empty()) return false;
    // Past the chip's size the addresses only repeat.
    const uint64_t wanted = source == &chipMemory_ ? std::min<uint64_t>(count, source->size()) : count;
    for (uint64_t done = 0; done < wanted;) {
        const Span span = SpanAt(*source, static_cast<uint64_t>(start) + done, wanted - done);
        const auto from = source->begin() + static_cast<std::ptrdiff_t>(span.at);
        if (span.length == 0 || std::find_if(from, from + static_cast<std::ptrdiff_t>(span.length),
                                             [](uint8_t b) { return b != 0xFF; }) != from + static_cast<std::ptrdiff_t>(span.length))
            return false;
        done += span.length;
    }
    return true;
}

void SimProgrammer::OnChipPresence(Payload) {
    const std::array<uint8_t, 2> sockets =
        faults.socketStates.value_or(std::array<uint8_t, 2>{static_cast<uint8_t>(chip_ ? 0 : 1), 1});
    Answer(0, sockets.data(), 2);
}

void SimProgrammer::OnSelectChip(Payload p) {
    const uint8_t* b = p.bytes;
    if (p.length >= 10) selection_ = ChipSelection{b[0], b[1], b[2], b[3], Be16(b + 4), Be32(b + 6)};
    Answer(0, nullptr, 0);
}

void SimProgrammer::OnProjectFile(Payload p) {
    if (p.length >= 4) {
        projectFileSize_ = Be32(p.bytes);
        projectFile_.assign(p.bytes + 4, p.bytes + std::min<size_t>(p.length, 4 + 512));
    }
    Answer(0, nullptr, 0);
}

void SimProgrammer::OnEnterBoot(Payload) {
    bootMode_ = true;
    image_.clear();
    Answer(0, nullptr, 0);
    Restart();
}

void SimProgrammer::OnIapData(Payload p) {
    if (p.length >= 6) {
        const uint32_t address = Be32(p.bytes);
        const uint16_t count = std::min<uint16_t>(Be16(p.bytes + 4), static_cast<uint16_t>(p.length - 6));
        if (static_cast<uint64_t>(address) + count <= kStorageBytes) {
            if (image_.size() < address + count) image_.resize(address + count, 0xFF);
            std::memcpy(image_.data() + address, p.bytes + 6, count);
        }
    }
    Answer(0, nullptr, 0);
}

void SimProgrammer::OnIapVerify(Payload p) {
    if (p.length < 20) return;
    const uint32_t count = Be32(p.bytes);
    bool accepted = false;
    if (count <= image_.size()) {
        Digest md5(DigestKind::Md5);
        md5.Update(image_.data(), count);
        const std::vector<uint8_t> digest = md5.Finish();
        accepted = md5.ok() && std::memcmp(digest.data(), p.bytes + 4, 16) == 0;
    }
    imageAccepted_ = accepted;
    Answer(accepted ? 0 : 1, nullptr, 0);
}

void SimProgrammer::OnIapDone(Payload) {
    if (bootMode_ && imageAccepted_) identity.firmware = firmwareAfterUpdate;
    if (bootMode_) Restart();
    bootMode_ = false;
    imageAccepted_ = false;
    Answer(0, nullptr, 0);
}

bool SimProgrammer::LoadState(const std::filesystem::path& folder, std::string& error) {
    auto load = [&](const std::filesystem::path& file, std::vector<uint8_t>& into) -> bool {
        std::error_code ec;
        if (!std::filesystem::exists(file, ec)) return true;  // nothing kept yet
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            error = "cannot read " + file.string();
            return false;
        }
        in.read(reinterpret_cast<char*>(into.data()), static_cast<std::streamsize>(into.size()));
        return true;
    };
    if (chip_ && !load(folder / ("chip-" + chip_->name + ".bin"), chipMemory_)) return false;
    // The storage is made only when there is something to load into it.
    std::error_code ec;
    return !std::filesystem::exists(folder / "storage.bin", ec) || load(folder / "storage.bin", storage());
}

bool SimProgrammer::SaveState(const std::filesystem::path& folder, std::string& error) const {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    // Said even when nothing needs keeping: the next run would find nothing.
    if (!std::filesystem::is_directory(folder, ec)) {
        error = "cannot make the folder " + folder.string();
        return false;
    }
    auto save = [&](const std::filesystem::path& file, const std::vector<uint8_t>& bytes) -> bool {
        error = WriteFileAtomically(file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        return error.empty();
    };
    if (chip_ && !save(folder / ("chip-" + chip_->name + ".bin"), chipMemory_)) return false;
    // A chip out of the socket for a moment is kept as it left.
    if (!chip_ && chipBackAt_ && takenOut_ && !save(folder / ("chip-" + takenOut_->name + ".bin"), takenOutMemory_))
        return false;
    // Storage nobody touched is as erased as the file it would leave.
    return storage_.empty() || save(folder / "storage.bin", storage_);
}

}  // namespace tq
