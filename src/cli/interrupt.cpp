#include "cli/interrupt.h"

#ifdef _WIN32
#define NOMINMAX
#include <windows.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>

#include "cli/exit_status.h"
#include "core/base/busy_state.h"

namespace tq {

namespace {

// A signal handler reaches only what static storage holds; it may touch
// lock-free atomics and call write() and _exit().
std::atomic<BusyState*> watched{nullptr};
std::atomic<bool> stopRequested{false};
char noticeText[256];
size_t noticeLength = 0;

void OnInterrupt(int) {
    BusyState* busy = watched.load();
    if (!busy || !busy->Running.load() || stopRequested.load()) _exit(kExitStopped);
    stopRequested.store(true);
    busy->StopRequest.store(1);
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, noticeText, noticeLength);
}

#ifdef _WIN32
// Windows calls this on a thread of its own for Ctrl-C and Ctrl-Break.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    OnInterrupt(SIGINT);
    return TRUE;
}
#endif

}  // namespace

void WatchInterrupts(BusyState& busy, const std::string& notice) {
    noticeLength = std::min(notice.size(), sizeof noticeText);
    std::memcpy(noticeText, notice.data(), noticeLength);
    watched.store(&busy);
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
#endif
}

bool StopWasRequested() { return stopRequested.load(); }

}  // namespace tq
