// Every programmer attached to this machine and who it says it is, so a
// production line can run one process per programmer (each with --device).
#pragma once

#include <string>
#include <vector>

#include "core/device/identity_record.h"

namespace tq {

class DeviceContext;

struct AttachedProgrammer {
    std::string root;          // the volume root: what --device takes
    std::string exchangeFile;  // Write.Temp on it
    bool answered = false;     // false: a 4608-byte drive that did not identify itself
    std::string inUseBy;       // the process that holds it (then nothing was asked)
    Dev_Inf_Struct identity;   // FwVersion, HwVersion, SerialNo, Model when answered
};

// Finds every programmer drive in discovery order and asks each for its
// identity over a link of its own; the given context's link, its identity
// record and its connection stay as they were. The trace (if any) shows
// the frames.
std::vector<AttachedProgrammer> ListAttachedProgrammers(DeviceContext& device);

}  // namespace tq
