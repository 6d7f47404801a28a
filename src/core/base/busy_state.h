// Whether a long procedure (a chip operation, a project download, a firmware
// update) holds the session, and the person's stop request for it. Waits
// process events, so without this a click could start one procedure inside
// another. The desktop program runs procedures on a worker thread and raises
// the stop request from the window's thread, so both are atomic; this record
// is owned by the session and never copied.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/base/transfer_estimate.h"

namespace tq {

struct BusyState {
    std::atomic<bool> Running{false};
    // 0 none, 1 requested by the user, 2 seen by a running polled erase.
    std::atomic<uint8_t> StopRequest{0};
    // The running transfer's time left and speed (the worker thread only).
    TransferEstimate Transfer;
};

}  // namespace tq
