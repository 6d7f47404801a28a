#include "sim/sim_programmer.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "core/base/atomic_write.h"
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
bool ProgramsLikeFlash(uint8_t typeCode) { return typeCode == 1; }
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
    answer_.assign(8 + std::max(length, claimed), 0);
    answer_[0] = 0x02;
    answer_[1] = status;
    answer_[2] = 0x00;
    answer_[3] = 0x01;
    answer_[4] = static_cast<uint8_t>(claimed >> 8);
    answer_[5] = static_cast<uint8_t>(claimed);
    if (length) std::memcpy(answer_.data() + 6, data, length);
    const uint16_t crc = Crc16Modbus(answer_.data() + 1, static_cast<uint16_t>(5 + claimed));
    answer_[6 + claimed] = static_cast<uint8_t>(crc >> 8);
    answer_[7 + claimed] = static_cast<uint8_t>(crc);
    if (answer_.size() > 512) answer_.resize(512);
    answerReady_ = true;
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
    if (length < 8 || frame[0] != 0x02) return;
    const uint16_t payloadLength = Be16(frame + 4);
    if (payloadLength + 8u > length) return;
    const uint16_t crc = Crc16Modbus(frame + 1, static_cast<uint16_t>(5 + payloadLength));
    if (frame[6 + payloadLength] != (crc >> 8) || frame[7 + payloadLength] != (crc & 0xFF)) return;

    const uint8_t code = frame[1];
    const uint8_t* p = frame + 6;
    commandLog_.push_back(code);
    if (faults.silentCommands.count(code)) return;

    auto text = [&](const std::string& s) { Answer(0, reinterpret_cast<const uint8_t*>(s.data()), static_cast<uint16_t>(s.size())); };
    switch (code) {
        case 0x10: text(bootMode_ ? "BOOT " + identity.firmware : identity.firmware); break;
        case 0x11: text(identity.hardware); break;
        case 0x12: text(identity.serial); break;
        case 0x13: text(identity.model); break;
        case 0x14:
            if (payloadLength >= 1) language_ = p[0];
            Answer(0, nullptr, 0);
            break;
        case 0x20:
            if (payloadLength >= 2) indicatorLog_.push_back(Be16(p));
            Answer(0, nullptr, 0);
            break;
        case 0x31: {
            uint8_t data[6] = {0, 0, 0, 0, 1, 0};
            if (chip_ && chip_->hasId) {
                data[0] = static_cast<uint8_t>(chip_->chipId >> 24);
                data[1] = static_cast<uint8_t>(chip_->chipId >> 16);
                data[2] = static_cast<uint8_t>(chip_->chipId >> 8);
                data[3] = static_cast<uint8_t>(chip_->chipId);
                data[4] = 0;
            }
            Answer(0, data, 6);
            break;
        }
        case 0x32: {
            if (payloadLength < 3) return;
            if (p[2] == 0) StartErase();
            const uint8_t state = EraseFinished() ? kEraseDone : 0x00;
            Answer(0, &state, 1);
            break;
        }
        case 0x34:
        case 0x35: {
            if (payloadLength < 12) return;
            stream_ = code == 0x34 ? Stream::Read : Stream::Write;
            streamChannel_ = p[0];
            streamType_ = p[1];
            streamAddress_ = Be32(p + 2);
            streamRemaining_ = Be32(p + 6);
            streamBlock_ = std::max<uint16_t>(Be16(p + 10), 1);
            streamBlockIndex_ = 0;
            if (streamRemaining_ == 0) stream_ = Stream::None;
            answerReady_ = false;  // a stream header is not answered
            break;
        }
        case 0x37: {
            if (payloadLength < 10) return;
            const std::vector<uint8_t>* source = Target(p[0]);
            const uint32_t start = Be32(p + 2);
            const uint32_t count = Be32(p + 6);
            bool blank = source != nullptr;
            for (uint64_t a = start; blank && a < static_cast<uint64_t>(start) + count; ++a)
                blank = a < source->size() && (*source)[a] == 0xFF;
            Answer(blank ? 0 : 1, nullptr, 0);
            break;
        }
        case 0x38: {
            const std::array<uint8_t, 2> sockets =
                faults.socketStates.value_or(std::array<uint8_t, 2>{static_cast<uint8_t>(chip_ ? 0 : 1), 1});
            Answer(0, sockets.data(), 2);
            break;
        }
        case 0x39:
            if (payloadLength >= 10) selection_ = SimSelection{p[0], p[1], p[2], p[3], Be16(p + 4), Be32(p + 6)};
            Answer(0, nullptr, 0);
            break;
        case 0x44:
            if (payloadLength >= 4) {
                projectFileSize_ = Be32(p);
                projectFile_.assign(p + 4, p + std::min<size_t>(payloadLength, 4 + 512));
            }
            Answer(0, nullptr, 0);
            break;
        case 0xF0:
            bootMode_ = true;
            image_.clear();
            Answer(0, nullptr, 0);
            Restart();
            break;
        case 0xF1:
            if (payloadLength >= 6) {
                const uint32_t address = Be32(p);
                const uint16_t count = std::min<uint16_t>(Be16(p + 4), static_cast<uint16_t>(payloadLength - 6));
                if (static_cast<uint64_t>(address) + count <= kStorageBytes) {
                    if (image_.size() < address + count) image_.resize(address + count, 0xFF);
                    std::memcpy(image_.data() + address, p + 6, count);
                }
            }
            Answer(0, nullptr, 0);
            break;
        case 0xF3: {
            if (payloadLength < 20) return;
            const uint32_t count = Be32(p);
            uint8_t digest[16] = {};
            unsigned int digestLength = 0;
            bool accepted = count <= image_.size() &&
                            EVP_Digest(image_.data(), count, digest, &digestLength, EVP_md5(), nullptr) == 1 &&
                            std::memcmp(digest, p + 4, 16) == 0;
            imageAccepted_ = accepted;
            Answer(accepted ? 0 : 1, nullptr, 0);
            break;
        }
        case 0xF2:
            if (bootMode_ && imageAccepted_) identity.firmware = firmwareAfterUpdate;
            if (bootMode_) Restart();
            bootMode_ = false;
            imageAccepted_ = false;
            Answer(0, nullptr, 0);
            break;
        default:
            break;  // unknown commands go unanswered
    }
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
