#include "sim/sim_programmer.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "core/base/atomic_write.h"
#include "core/base/chip_type.h"
#include "core/device/command_code.h"
#include "core/device/commands.h"
#include "core/device/frame.h"

namespace tq {

namespace {
constexpr uint8_t kEraseDone = 0x55;

uint32_t Be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

// NOR flash programming only clears bits; EEPROMs overwrite.
bool ProgramsLikeFlash(uint8_t typeCode) { return typeCode == CodeOf(ChipType::SpiFlash); }
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
    : clock_(clock), volumes_(std::make_unique<SimVolumes>(*this)), storage_(kStorageBytes, 0xFF) {}

SimProgrammer::~SimProgrammer() = default;

Volumes& SimProgrammer::volumes() { return *volumes_; }

void SimProgrammer::InsertChip(const SimChip& chip) {
    chip_ = chip;
    chipMemory_.assign(chip.capacity, 0xFF);
}

void SimProgrammer::RemoveChip() {
    chip_.reset();
    chipMemory_.clear();
}

bool SimProgrammer::Present() {
    if (!attached || removedForGood_) return false;
    const uint64_t now = clock_.NowMicros();
    for (const auto& [from, to] : faults.absentWindows)
        if (now >= from && now < to) return false;
    if (restartWindow_ && now >= restartWindow_->first && now < restartWindow_->second) return false;
    return true;
}

void SimProgrammer::Restart() {
    if (!reenumeration) return;
    const uint64_t from = clock_.NowMicros() + static_cast<uint64_t>(reenumeration->leaveAfterMs) * 1000;
    restartWindow_ = {from, from + static_cast<uint64_t>(reenumeration->absentMs) * 1000};
}

// Counts one transfer; false once the drive has been pulled.
bool SimProgrammer::CountTransfer() {
    if (!Present()) return false;
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
    if (!CountTransfer()) return false;
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
    return true;
}

bool SimProgrammer::HostRead(uint8_t* data, size_t length) {
    if (!CountTransfer()) return false;
    if (stream_ == Stream::Read) {
        const uint32_t count = std::min<uint32_t>(streamBlock_, streamRemaining_);
        std::memset(data, 0xFF, length);
        const uint32_t index = streamBlockIndex_++;
        if (faults.notDeliveredBlocks.count(index)) {
            const size_t at = std::min<size_t>(faults.markerSector * 512, length - 4);
            std::memcpy(data + at, kNotDeliveredMarker, sizeof kNotDeliveredMarker);
            return true;  // the block does not count; the host asks again
        }
        const std::vector<uint8_t>* source = Target(streamChannel_);
        for (uint32_t i = 0; i < count && i < length; ++i) {
            const uint64_t address = static_cast<uint64_t>(streamAddress_) + i;
            data[i] = source && address < source->size() ? (*source)[address] : 0xFF;
        }
        streamAddress_ += count;
        streamRemaining_ -= count;
        if (streamRemaining_ == 0) stream_ = Stream::None;
        return true;
    }
    if (!answerReady_) return false;  // nothing answered: the host sees a failed read
    std::memset(data, 0, length);
    std::memcpy(data, answer_.data(), std::min(length, answer_.size()));
    for (size_t at : faults.corruptAnswerBytes)
        if (at < length) data[at] ^= 0xFF;
    return true;
}

std::vector<uint8_t>* SimProgrammer::Target(uint8_t channel) {
    if (channel == 1) return &storage_;
    return chip_ ? &chipMemory_ : nullptr;
}

void SimProgrammer::AcceptWriteBlock(const uint8_t* data, size_t length) {
    const uint32_t count = std::min<uint32_t>({streamBlock_, streamRemaining_, static_cast<uint32_t>(length)});
    std::vector<uint8_t>* target = Target(streamChannel_);
    const bool flash = streamChannel_ == 0 && ProgramsLikeFlash(streamType_);
    for (uint32_t i = 0; target && i < count; ++i) {
        const uint64_t address = static_cast<uint64_t>(streamAddress_) + i;
        if (address >= target->size()) break;
        uint8_t& cell = (*target)[address];
        cell = flash ? static_cast<uint8_t>(cell & data[i]) : data[i];
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
    if (p.bytes[2] == 0) StartErase();
    const uint8_t state = EraseFinished() ? kEraseDone : 0x00;
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
    const std::vector<uint8_t>* source = Target(p.bytes[0]);
    const uint32_t start = Be32(p.bytes + 2);
    const uint32_t count = Be32(p.bytes + 6);
    bool blank = source != nullptr;
    for (uint64_t a = start; blank && a < static_cast<uint64_t>(start) + count; ++a)
        blank = a < source->size() && (*source)[a] == 0xFF;
    Answer(blank ? 0 : 1, nullptr, 0);
}

void SimProgrammer::OnChipPresence(Payload) {
    const std::array<uint8_t, 2> sockets =
        faults.socketStates.value_or(std::array<uint8_t, 2>{static_cast<uint8_t>(chip_ ? 0 : 1), 1});
    Answer(0, sockets.data(), 2);
}

void SimProgrammer::OnSelectChip(Payload p) {
    const uint8_t* b = p.bytes;
    if (p.length >= 10) selection_ = SimSelection{b[0], b[1], b[2], b[3], Be16(b + 4), Be32(b + 6)};
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
    uint8_t digest[16] = {};
    unsigned int digestLength = 0;
    const bool accepted = count <= image_.size() &&
                          EVP_Digest(image_.data(), count, digest, &digestLength, EVP_md5(), nullptr) == 1 &&
                          std::memcmp(digest, p.bytes + 4, 16) == 0;
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
    return load(folder / "storage.bin", storage_);
}

bool SimProgrammer::SaveState(const std::filesystem::path& folder, std::string& error) const {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    auto save = [&](const std::filesystem::path& file, const std::vector<uint8_t>& bytes) -> bool {
        error = WriteFileAtomically(file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        return error.empty();
    };
    if (chip_ && !save(folder / ("chip-" + chip_->name + ".bin"), chipMemory_)) return false;
    return save(folder / "storage.bin", storage_);
}

}  // namespace tq
