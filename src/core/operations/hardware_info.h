// The two menu commands about the connected programmer itself: its identity
// as the presence poll read it, and the self-check run.
#pragma once

#include <optional>
#include <string>

#include "core/operations/operation_display.h"

namespace tq {

struct OperationContext;

struct LabelledText {
    std::string label;
    std::string text;
};

// What the hardware information dialog shows.
struct HardInfoTexts {
    std::string title;
    LabelledText deviceName;       // lbeHardInfoDevName: Model
    LabelledText serialNumber;     // lbeHardInfoSN: SerialNo
    LabelledText firmwareVersion;  // lbeHardInfoFirmVer: FwVersion
    LabelledText hardwareVersion;  // lbeHardware: HwVersion
};

// The identity texts with their labels from the [HardInfo] section of the
// current language file, read afresh each time; empty (after the
// not-connected warning) when no programmer is connected.
std::optional<HardInfoTexts> ReadHardwareInfo(OperationContext& operation);

// About 3 s of progress, then the success text; nothing is sent.
OperationOutcome RunSelfCheck(OperationContext& operation);

}  // namespace tq
