#include "core/device/link.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "core/base/number_text.h"

namespace tq {

// Aligned operator new rather than aligned_alloc, which Windows lacks.
void AlignedBytes::Free::operator()(uint8_t* p) const { ::operator delete(p, std::align_val_t{kAreaSize}); }

void AlignedBytes::Resize(size_t size) {
    const size_t rounded = std::max<size_t>(kAreaSize, (size + kAreaSize - 1) / kAreaSize * kAreaSize);
    auto* p = static_cast<uint8_t*>(::operator new(rounded, std::align_val_t{kAreaSize}));
    std::memset(p, 0, rounded);
    data_.reset(p);
    size_ = size;
}

DeviceLink::DeviceLink(Volumes& volumes, Clock& clock) : volumes_(volumes), clock_(clock) {}

namespace {
const char kExchangeFileSuffix[] = "Write.Temp";

bool EndsWithExchangeFileName(const std::string& path) {
    const size_t n = sizeof(kExchangeFileSuffix) - 1;
    return path.size() >= n && path.compare(path.size() - n, n, kExchangeFileSuffix) == 0;
}

// The folder part of a path written with either separator.
std::string ParentOf(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    if (cut == std::string::npos) return ".";
    return path.substr(0, cut == 0 ? 1 : cut);
}
}  // namespace

bool DeviceLink::VisitDeviceDrives(const std::function<bool(const DeviceDrive&)>& take) {
    const auto isProgrammerDrive = [](const VolumeInfo& volume) {
        return volume.readable && volume.totalBytes == kDeviceVolumeBytes;
    };
    if (!explicitDevice_.empty()) {
        const bool namesFile = EndsWithExchangeFileName(explicitDevice_);
        const std::string root = namesFile ? ParentOf(explicitDevice_) : explicitDevice_;
        if (!isProgrammerDrive(volumes_.Describe(root))) return false;
        return take({root, namesFile ? explicitDevice_ : volumes_.PathInRoot(root, kExchangeFileName)});
    }
    std::vector<std::string> offered;  // a root named twice is one drive
    const auto offer = [&](const std::string& root) {
        if (std::find(offered.begin(), offered.end(), root) != offered.end()) return false;
        offered.push_back(root);
        return take({root, volumes_.PathInRoot(root, kExchangeFileName)});
    };
    for (const VolumeInfo& volume : volumes_.List())
        if (volume.removable && isProgrammerDrive(volume) && offer(volume.root)) return true;
    for (const std::string& root : extraDevices_)
        if (isProgrammerDrive(volumes_.Describe(root)) && offer(root)) return true;
    return false;
}

bool DeviceLink::FindDeviceDrive() {
    return VisitDeviceDrives([this](const DeviceDrive& drive) {
        Uart.ReadPath = drive.exchangeFile;
        Uart.WritePath = Uart.ReadPath;
        return true;
    });
}

std::vector<DeviceLink::DeviceDrive> DeviceLink::DeviceDrives() {
    std::vector<DeviceDrive> drives;
    VisitDeviceDrives([&drives](const DeviceDrive& drive) {
        drives.push_back(drive);
        return false;
    });
    return drives;
}

bool DeviceLink::ClaimDevice() {
    if (Uart.Claim) return true;
    claimHolder_.clear();
    Uart.Claim = volumes_.ClaimExchangeFile(Uart.ReadPath, claimHolder_);
    return Uart.Claim != nullptr;
}

ExchangeFile* DeviceLink::OpenHandle(bool forWrite) {
    std::unique_ptr<ExchangeFile>& handle = forWrite ? Uart.WriteHandle : Uart.ReadHandle;
    bool& invalid = forWrite ? Uart.WriteHandleInvalid : Uart.ReadHandleInvalid;
    if (handle) return handle.get();
    if (invalid) return nullptr;
    // Every path to the drive (the presence poll, a firmware update coming
    // back from boot mode) claims the programmer before its first transfer.
    if (!ClaimDevice()) {
        invalid = true;
        if (trace_) trace_->Trace("! " + Uart.ReadPath + " is in use by process " + claimHolder_);
        if (observer_) observer_->DeviceInUse(Uart.ReadPath, claimHolder_);
        return nullptr;
    }
    std::string error;
    handle = volumes_.OpenExchangeFile(Uart.ReadPath, forWrite, error);
    if (!handle) {
        invalid = true;
        if (trace_) trace_->Trace("! cannot open " + Uart.ReadPath + ": " + error);
        if (observer_) observer_->ExchangeFileNotOpened(Uart.ReadPath, error);
        return nullptr;
    }
    const std::string notice = handle->Notice();
    if (!notice.empty() && trace_ && !fallbackNoticeShown_) {
        trace_->Trace("! " + notice);
        fallbackNoticeShown_ = true;
    }
    return handle.get();
}

uint32_t DeviceLink::DeviceWrite(const uint8_t* data, uint32_t length) {
    TraceBlock('>', length);
    return WriteSectors(data, length);
}

uint32_t DeviceLink::DeviceRead(uint8_t* buffer, uint32_t length) {
    const uint32_t count = ReadSectors(buffer, length);
    TraceBlock('<', count);
    return count;
}

uint32_t DeviceLink::WriteSectors(const uint8_t* data, uint32_t length) {
    if (!Uart.Connected) return 0;
    const bool firstOpen = !Uart.WriteHandle && !Uart.WriteHandleInvalid;
    ExchangeFile* file = OpenHandle(true);
    if (!file) {
        // A handle that failed to open earlier fails this transfer: drop the link.
        if (!firstOpen) DeviceReset();
        return 0;
    }
    // Whole sectors from aligned memory. The send area is used in place; any
    // other data is copied to the staging area and its last sector padded with
    // 0xFF, so nothing is read beyond the caller's bytes.
    const uint32_t given = length;
    auto transfer = [&](uint32_t count) -> bool {
        const uint8_t* source = data;
        const bool inSendArea = data >= frameBuffer_.data() && data + count <= frameBuffer_.data() + kAreaSize;
        if (!inSendArea) {
            if (staging_.size() < count) staging_.Resize(count);
            const uint32_t own = std::min(given, count);
            std::memcpy(staging_.data(), data, own);
            std::memset(staging_.data() + own, 0xFF, count - own);
            source = staging_.data();
        }
        return file->Write(source, count);
    };
    if (firstOpen && file->Size() < static_cast<int64_t>(kAreaSize)) {
        // Extend a short exchange file to one 4096-byte block first; that
        // write's size then also governs the transfer below.
        if (!transfer(kAreaSize)) {
            DeviceReset();
            return 0;
        }
        length = kAreaSize;
    }
    const uint32_t count = RoundToSectors(length);
    if (count == 0) return 0;
    if (!transfer(count)) {
        DeviceReset();
        return 0;
    }
    return count;
}

uint32_t DeviceLink::ReadSectors(uint8_t* buffer, uint32_t length) {
    if (!Uart.Connected) return 0;
    const bool firstOpen = !Uart.ReadHandle && !Uart.ReadHandleInvalid;
    ExchangeFile* file = OpenHandle(false);
    if (!file) {
        if (!firstOpen) DeviceReset();
        return 0;
    }
    const uint32_t count = RoundToSectors(length);
    if (count == 0) return 0;
    uint8_t* target = buffer;
    const bool inReceiveArea = buffer >= frameBuffer_.data() && buffer + count <= frameBuffer_.data() + 2 * kAreaSize &&
                               (buffer - frameBuffer_.data()) % kSectorSize == 0;
    if (!inReceiveArea) {
        if (staging_.size() < count) staging_.Resize(count);
        target = staging_.data();
    }
    if (!file->Read(target, count)) {
        DeviceReset();
        return 0;
    }
    if (!inReceiveArea) std::memcpy(buffer, target, length);
    return count;
}

void DeviceLink::DeviceReset() {
    Uart.Connected = 0;
    Uart.ReadPath.clear();
    Uart.WritePath.clear();
    Uart.ReadHandle.reset();
    Uart.WriteHandle.reset();
    Uart.ReadHandleInvalid = false;
    Uart.WriteHandleInvalid = false;
    Uart.Claim.reset();
}

uint32_t DeviceLink::SendFrameOnly(uint16_t frameLength) {
    TraceBytes('>', SendArea(), frameLength);
    return WriteSectors(SendArea(), frameLength);
}

void DeviceLink::DeviceExchange(uint16_t frameLength) {
    SendFrameOnly(frameLength);
    Wait10us(1000);
    ReceivedCount = static_cast<int32_t>(ReadSectors(ReceiveArea(), kSectorSize));
    if (!trace_) return;
    if (ReceivedCount == 0) {
        trace_->Trace("< (no answer)");
        return;
    }
    const uint8_t* r = ReceiveArea();
    const size_t dataLength = static_cast<size_t>(r[4]) << 8 | r[5];
    TraceBytes('<', r, std::min<size_t>(dataLength + 8, kSectorSize));
}

void DeviceLink::TraceBytes(char direction, const uint8_t* bytes, size_t count) {
    if (!trace_) return;
    std::string line(1, direction);
    for (size_t i = 0; i < count; ++i) line += " " + HexText(bytes[i], 2);
    trace_->Trace(line);
}

void DeviceLink::TraceBlock(char direction, uint32_t length) {
    if (trace_) trace_->Trace(std::string(1, direction) + " [block of " + std::to_string(length) + " bytes]");
}

}  // namespace tq
