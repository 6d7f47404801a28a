// The claim on Windows: an exclusive byte-range lock far past the end of the
// exchange file, taken through a handle of its own. Windows locks are
// mandatory for the bytes they cover, so the lock stays clear of the sectors
// the transfers use; it ends with the handle, however the process ends.
// Windows does not tell who holds a range lock, so `holder` stays empty.
#include <windows.h>

#include "core/platform/exchange_claim.h"

namespace tq {

namespace {

constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;  // offset 2^62: no exchange file reaches it

class RangeLockClaim final : public DeviceClaim {
public:
    explicit RangeLockClaim(HANDLE handle) : handle_(handle) {}
    ~RangeLockClaim() override { CloseHandle(handle_); }  // closing releases the lock

private:
    HANDLE handle_;
};

std::wstring Wide(const std::string& utf8) {
    const int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(count > 0 ? count : 0), L'\0');
    if (count > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), count);
    return wide;
}

}  // namespace

std::unique_ptr<DeviceClaim> ClaimExchangeFileOnDisk(const std::string& path, std::string& holder) {
    (void)holder;
    const HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::make_unique<DeviceClaim>();
    OVERLAPPED where{};
    where.OffsetHigh = kLockOffsetHigh;
    if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where))
        return std::make_unique<RangeLockClaim>(handle);
    const DWORD failure = GetLastError();
    if (failure != ERROR_LOCK_VIOLATION && failure != ERROR_IO_PENDING)
        return std::make_unique<RangeLockClaim>(handle);  // a filesystem without locks
    CloseHandle(handle);
    return nullptr;
}

}  // namespace tq
