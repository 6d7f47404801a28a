// Chip detection: the programmer reads the ID of the chip in its socket, the
// chip database finds the chips with that ID, and a single match becomes the
// selected chip through the chip selection frame. Several matches open the
// chip search listing them and select nothing.
#pragma once

#include <string>
#include <vector>

#include "core/app/chip_selection.h"
#include "core/chipdb/chip_row.h"
#include "core/operations/operation_display.h"

namespace tq {


enum class DetectStatus {
    Selected,    // one chip has the ID (or, from the frame, a 24-series chip): it is selected now
    Candidates,  // several chips share the ID: the search lists them, the selection is unchanged
    UnknownId,   // no chip has the ID
    NotInLists,  // the frame's lists lack the chip's type, maker or name: nothing selected
    Failed,      // no answer, a wrong answer length, the error byte, or a 24-series family byte
};

struct DetectResult {
    OperationOutcome outcome = OperationOutcome::Failed;  // Succeeded only for Selected
    DetectStatus status = DetectStatus::Failed;
    std::string id;                   // the lookup key (6 hex digits) once an ID was read
    std::vector<ChipRow> candidates;  // every chip with that ID
};

// The lookup key of an ID: its low 24 bits as 6 upper-case hex digits.
std::string ChipIdKey(uint32_t id);

// The main window's detect command (tool button sbDetect, menu MenuChipDetect):
// reports in status panel 0 and message boxes.
DetectResult DetectChip(const ChipFrameContext& frame);
// The frame's detect button: shows nothing, ignores the error byte, and takes
// a 24-series family byte as the first 24 EEPROM of the first maker.
DetectResult DetectChipFromFrame(const ChipFrameContext& frame);

}  // namespace tq
