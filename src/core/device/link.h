// The device link: finds the programmer's 4608-byte drive and moves whole
// 512-byte sectors to and from offset 0 of its exchange file, unbuffered.
// Any failed transfer drops the link; the presence poll brings it back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/clock.h"
#include "core/platform/volumes.h"
#include "core/base/views.h"  // TraceView

namespace tq {

inline constexpr uint32_t kSectorSize = 512;
inline constexpr uint32_t kAreaSize = 4096;  // send area, receive area, largest block
inline constexpr uint64_t kDeviceVolumeBytes = 4608;
inline constexpr const char* kExchangeFileName = "Write.Temp";

// Rounds a transfer length up to whole sectors (0 stays 0).
constexpr uint32_t RoundToSectors(uint32_t length) {
    return static_cast<uint32_t>((static_cast<uint64_t>(length) + kSectorSize - 1) / kSectorSize * kSectorSize);
}

// Sector-aligned bytes that unbuffered I/O can use directly.
class AlignedBytes {
public:
    explicit AlignedBytes(size_t size = 0) { Resize(size); }
    void Resize(size_t size);  // contents are not kept
    uint8_t* data() { return data_.get(); }
    const uint8_t* data() const { return data_.get(); }
    size_t size() const { return size_; }

private:
    struct Free {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t, Free> data_;
    size_t size_ = 0;
};

// Link state. A handle that failed to open stays "invalid" until the next
// transfer through it fails and resets the link.
struct Uart_Struct {
    std::string ReadPath;
    std::string WritePath;
    uint8_t Connected = 0;
    std::unique_ptr<ExchangeFile> ReadHandle;
    std::unique_ptr<ExchangeFile> WriteHandle;
    bool ReadHandleInvalid = false;
    bool WriteHandleInvalid = false;
    // This session's hold on the programmer at ReadPath; no other process
    // or session sends to it meanwhile.
    std::unique_ptr<DeviceClaim> Claim;
};

// What the link reports to the layer above, which decides what a person sees.
class LinkObserver {
public:
    virtual ~LinkObserver() = default;
    // The exchange file on the programmer's drive could not be opened.
    virtual void ExchangeFileNotOpened(const std::string& path, const std::string& error) = 0;
    // A transfer found the programmer claimed by another process or session.
    virtual void DeviceInUse(const std::string& path, const std::string& holder) {
        (void)path;
        (void)holder;
    }
};

class DeviceLink {
public:
    DeviceLink(Volumes& volumes, Clock& clock);

    Uart_Struct Uart;
    int32_t ReceivedCount = 0;

    // The 8192-byte FrameBuffer: send area then receive area, 4096-aligned.
    uint8_t* SendArea() { return frameBuffer_.data(); }
    uint8_t* ReceiveArea() { return frameBuffer_.data() + kAreaSize; }

    // Skips volume discovery: a volume root or a file on the volume
    // (the 4608-byte rule still applies). Empty = discover.
    void SetExplicitDevice(std::string path) { explicitDevice_ = std::move(path); }
    // Volume roots that discovery examines after the removable volumes,
    // whatever the system says about them (a drive that reports itself as
    // fixed, a user-space drive); the 4608-byte rule applies to them too.
    void SetExtraDevices(std::vector<std::string> roots) { extraDevices_ = std::move(roots); }
    void SetObserver(LinkObserver* observer) { observer_ = observer; }
    void SetTrace(TraceView* trace) { trace_ = trace; }
    TraceView* trace() { return trace_; }
    Clock& clock() { return clock_; }
    Volumes& volumes() { return volumes_; }

    bool FindDeviceDrive();
    // Every programmer drive discovery accepts, in its order: the volume
    // root and the exchange file on it.
    struct DeviceDrive {
        std::string root;
        std::string exchangeFile;
    };
    std::vector<DeviceDrive> DeviceDrives();
    // Claims the programmer FindDeviceDrive found for this session until
    // DeviceReset. False when another process or session has it;
    // ClaimHolder() then names it.
    bool ClaimDevice();
    const std::string& ClaimHolder() const { return claimHolder_; }
    uint32_t DeviceWrite(const uint8_t* data, uint32_t length);
    uint32_t DeviceRead(uint8_t* buffer, uint32_t length);
    void DeviceReset();
    // Sends the sealed frame in the send area, waits 10 ms, reads 512 bytes.
    void DeviceExchange(uint16_t frameLength);
    // Sends the sealed frame in the send area without waiting or reading
    // (headers of the read and write streams).
    uint32_t SendFrameOnly(uint16_t frameLength);

    void Wait10us(uint32_t n) { clock_.Wait10us(n); }
    void Wait1us(uint32_t n) { clock_.Wait1us(n); }

private:
    // Offers each accepted drive in discovery order until `take` returns true.
    bool VisitDeviceDrives(const std::function<bool(const DeviceDrive&)>& take);
    // The transfers themselves; the public ones add a trace line for bulk blocks.
    uint32_t WriteSectors(const uint8_t* data, uint32_t length);
    uint32_t ReadSectors(uint8_t* buffer, uint32_t length);
    ExchangeFile* OpenHandle(bool forWrite);
    void TraceBytes(char direction, const uint8_t* bytes, size_t count);
    void TraceBlock(char direction, uint32_t length);

    Volumes& volumes_;
    Clock& clock_;
    LinkObserver* observer_ = nullptr;
    TraceView* trace_ = nullptr;
    std::string explicitDevice_;
    std::vector<std::string> extraDevices_;
    std::string claimHolder_;
    AlignedBytes frameBuffer_{2 * kAreaSize};
    AlignedBytes staging_{kAreaSize};
    bool fallbackNoticeShown_ = false;
};

}  // namespace tq
