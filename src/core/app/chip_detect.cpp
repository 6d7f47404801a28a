#include "core/app/chip_detect.h"

#include <cstdio>

#include "core/texts/text_catalogue.h"
#include "core/app/chip_selection.h"
#include "core/app/session.h"
#include "core/base/number_text.h"
#include "core/chipdb/chip_database.h"
#include "core/device/commands.h"

namespace tq {
namespace {

// The family of a chip that answers with its family byte only.
const ChipFamily* FamilyAnsweringOnly(uint8_t idByte) {
    for (const ChipFamily& family : ChipFamilies())
        if (family.familyIdByte != 0 && family.familyIdByte == idByte) return &family;
    return nullptr;
}

void ShowDetectError(const ChipFrameContext& frame) {
    const std::string text =
        Text(frame.Operation.Texts.Language, TextId::DetectChipError);
    ShowStatus(frame.Operation, text);
    frame.Operation.Views.messages->ShowMessage(text);
}

// The detection of both buttons; `fromFrame` selects the frame's variant.
DetectResult Detect(const ChipFrameContext& frame, bool fromFrame) {
    DetectResult result;
    OperationScope scope(frame.Operation);
    if (!scope.claimed()) {
        result.outcome = OperationOutcome::Busy;
        return result;
    }
    if (!RequireConnected(frame.Operation)) {
        result.outcome = OperationOutcome::NotConnected;
        return result;
    }

    uint32_t id = 0;
    uint8_t errorByte = 0, unused = 0;
    const CommandResult read = ReadChipId(frame.Operation.Device.Link, id, errorByte, unused);
    if (read != CommandResult::Ok || (!fromFrame && errorByte != 0)) {
        // These chips answer no ID; their parameters go to the programmer again.
        if (FamilyOf(frame.Operation.Chip.PrjInfo).reselectsAfterFailedDetect) ApplyChipName(frame);
        if (!fromFrame) ShowDetectError(frame);
        return result;
    }
    result.id = ChipIdKey(id);

    if (const ChipFamily* family = FamilyAnsweringOnly(static_cast<uint8_t>(id >> 24))) {
        // The chip tells its family only.
        if (!fromFrame) {
            ShowDetectError(frame);
            return result;
        }
        if (!FindListItem(frame, ChipList::Type, std::string(family->name))) {
            result.status = DetectStatus::NotInLists;
            return result;
        }
        ApplyChipType(frame);
        result.status = DetectStatus::Selected;
        result.outcome = OperationOutcome::Succeeded;
        return result;
    }

    result.candidates = frame.Operation.Chip.database().IdQuery(result.id);
    if (result.candidates.empty()) {
        result.status = DetectStatus::UnknownId;
        if (!fromFrame) {
            const std::string line = StatusLine(frame.Operation.clock(), frame.Operation.Texts.DevLanguage.LogChipDetectUnknown + result.id);
            frame.Operation.Views.messages->ShowMessage(line);
            ShowStatus(frame.Operation, line);
        }
        return result;
    }

    const ChipRow& first = result.candidates.front();
    frame.View.SetDetectEnabled(fromFrame ? DetectButton::Frame : DetectButton::Main,
                                              FamilyNamed(first.ChipType).detects);
    result.status = DetectStatus::NotInLists;
    if (!FindListItem(frame, ChipList::Type, first.ChipType)) return result;
    if (result.candidates.size() >= 2) {
        frame.View.OpenChipSearch(result.candidates);
        result.status = DetectStatus::Candidates;
        return result;
    }
    if (!PutChipInFrame(frame, first.ChipType, first.ManufName, first.ChipName)) return result;
    if (!fromFrame) {
        const Dev_Language_Struct& texts = frame.Operation.Texts.DevLanguage;
        const std::string size = CapacityText(frame.Operation.Chip.PrjInfo.Capacity);
        ShowStatus(frame.Operation, StatusLine(frame.Operation.clock(), texts.LogChipDetect + first.ChipName + " " +
                                                    texts.LogChipDetectCapcity + size));
    }
    result.status = DetectStatus::Selected;
    result.outcome = OperationOutcome::Succeeded;
    return result;
}

}  // namespace

std::string ChipIdKey(uint32_t id) { return HexText(id & 0xFFFFFF, 6); }

DetectResult DetectChip(const ChipFrameContext& frame) { return Detect(frame, false); }

DetectResult DetectChipFromFrame(const ChipFrameContext& frame) { return Detect(frame, true); }

}  // namespace tq
