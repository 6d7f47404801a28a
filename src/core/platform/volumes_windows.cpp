// Windows volumes: drive letters A to X in order (Y and Z are never looked
// at), removable drives only; the exchange file is opened without buffering.
#include <windows.h>

#include <cstring>
#include <string>

#include "core/platform/exchange_claim.h"
#include "core/platform/system_volumes.h"

namespace tq {

namespace {

class WindowsExchangeFile final : public ExchangeFile {
public:
    explicit WindowsExchangeFile(HANDLE handle) : handle_(handle) {}
    ~WindowsExchangeFile() override { CloseHandle(handle_); }

    int64_t Size() override {
        const DWORD size = GetFileSize(handle_, nullptr);
        return size == INVALID_FILE_SIZE ? -1 : static_cast<int64_t>(size);
    }
    bool Write(const uint8_t* data, size_t length) override {
        DWORD done = 0;
        return SetFilePointer(handle_, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
               WriteFile(handle_, data, static_cast<DWORD>(length), &done, nullptr) && done == length;
    }
    bool Read(uint8_t* data, size_t length) override {
        DWORD done = 0;
        if (SetFilePointer(handle_, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
            !ReadFile(handle_, data, static_cast<DWORD>(length), &done, nullptr))
            return false;
        // Past the end of a short file there is nothing: the rest reads as zero.
        if (done < length) std::memset(data + done, 0, length - done);
        return true;
    }

private:
    HANDLE handle_;
};

uint64_t DriveTotalBytes(const std::string& root) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) return 0;
    return static_cast<uint64_t>(totalClusters) * sectorsPerCluster * bytesPerSector;
}

VolumeInfo DescribeRoot(const std::string& root) {
    VolumeInfo info{root, GetDriveTypeA(root.c_str()) == DRIVE_REMOVABLE, false, 0};
    info.readable = GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0) != 0;
    if (info.readable) info.totalBytes = DriveTotalBytes(root);
    return info;
}

class WindowsVolumes final : public Volumes {
public:
    std::vector<VolumeInfo> List() override {
        std::vector<VolumeInfo> volumes;
        DWORD mask = GetLogicalDrives();
        for (int i = 0; i < 24 && mask != 0; ++i, mask >>= 1) {
            if (!(mask & 1)) continue;
            volumes.push_back(DescribeRoot(std::string(1, static_cast<char>('A' + i)) + ":\\"));
        }
        return volumes;
    }
    VolumeInfo Describe(const std::string& root) override { return DescribeRoot(root); }
    std::string PathInRoot(const std::string& root, const std::string& name) override {
        return !root.empty() && (root.back() == '\\' || root.back() == '/') ? root + name : root + "\\" + name;
    }
    std::unique_ptr<ExchangeFile> OpenExchangeFile(const std::string& path, bool forWrite, std::string& error) override {
        const HANDLE handle = CreateFileA(path.c_str(), forWrite ? GENERIC_WRITE : GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                          FILE_FLAG_NO_BUFFERING | FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            error = "CreateFile failed with error " + std::to_string(GetLastError());
            return nullptr;
        }
        return std::make_unique<WindowsExchangeFile>(handle);
    }
    std::unique_ptr<DeviceClaim> ClaimExchangeFile(const std::string& path, std::string& holder) override {
        return ClaimExchangeFileOnDisk(path, holder);
    }
};

}  // namespace

std::unique_ptr<Volumes> MakeSystemVolumes() { return std::make_unique<WindowsVolumes>(); }

}  // namespace tq
