#include "core/app/chip_detect.h"

#include <cstdio>

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

void ShowDetectError(Session& session) {
    const std::string text =
        Triplet(session.Texts.Language,
                 "探测芯片型号出错！\r自动识别功能仅适用于部分厂商的25系列芯片！\r对于探测出错的芯片，请手动选择正确的型号！",
                 "探測芯片型號出錯！\r自動識別功能僅適用於部分廠商的25系列芯片！\r對於探測出錯的芯片，請手動選擇正確的型號！",
                 "Detect chip error!\rPlease select the chip yourself!");
    ShowStatus(session.Operation, text);
    session.Views.messages->ShowMessage(text);
}

// The detection of both buttons; `fromFrame` selects the frame's variant.
DetectResult Detect(Session& session, bool fromFrame) {
    DetectResult result;
    OperationScope scope(session.Operation);
    if (!scope.claimed()) {
        result.outcome = OperationOutcome::Busy;
        return result;
    }
    if (!RequireConnected(session.Operation)) {
        result.outcome = OperationOutcome::NotConnected;
        return result;
    }

    uint32_t id = 0;
    uint8_t errorByte = 0, unused = 0;
    const CommandResult read = ReadChipId(session.Device.Link, id, errorByte, unused);
    if (read != CommandResult::Ok || (!fromFrame && errorByte != 0)) {
        // These chips answer no ID; their parameters go to the programmer again.
        if (FamilyOf(session.Chip.PrjInfo).reselectsAfterFailedDetect) ApplyChipName(session);
        if (!fromFrame) ShowDetectError(session);
        return result;
    }
    result.id = ChipIdKey(id);

    if (const ChipFamily* family = FamilyAnsweringOnly(static_cast<uint8_t>(id >> 24))) {
        // The chip tells its family only.
        if (!fromFrame) {
            ShowDetectError(session);
            return result;
        }
        if (!FindListItem(session, ChipList::Type, std::string(family->name))) {
            result.status = DetectStatus::NotInLists;
            return result;
        }
        ApplyChipType(session);
        result.status = DetectStatus::Selected;
        result.outcome = OperationOutcome::Succeeded;
        return result;
    }

    result.candidates = session.Chip.database().IdQuery(result.id);
    if (result.candidates.empty()) {
        result.status = DetectStatus::UnknownId;
        if (!fromFrame) {
            const std::string line = StatusLine(session.clock(), session.Texts.DevLanguage.LogChipDetectUnknown + result.id);
            session.Views.messages->ShowMessage(line);
            ShowStatus(session.Operation, line);
        }
        return result;
    }

    const ChipRow& first = result.candidates.front();
    session.Views.chipFrame->SetDetectEnabled(fromFrame ? DetectButton::Frame : DetectButton::Main,
                                              FamilyNamed(first.ChipType).detects);
    result.status = DetectStatus::NotInLists;
    if (!FindListItem(session, ChipList::Type, first.ChipType)) return result;
    if (result.candidates.size() >= 2) {
        session.Views.chipFrame->OpenChipSearch(result.candidates);
        result.status = DetectStatus::Candidates;
        return result;
    }
    if (!PutChipInFrame(session, first.ChipType, first.ManufName, first.ChipName)) return result;
    if (!fromFrame) {
        const Dev_Language_Struct& texts = session.Texts.DevLanguage;
        const std::string size = FormatSize(session.Chip.PrjInfo.Capacity);
        ShowStatus(session.Operation, StatusLine(session.clock(), texts.LogChipDetect + first.ChipName + " " +
                                                    texts.LogChipDetectCapcity + size));
    }
    result.status = DetectStatus::Selected;
    result.outcome = OperationOutcome::Succeeded;
    return result;
}

}  // namespace

std::string ChipIdKey(uint32_t id) { return HexText(id & 0xFFFFFF, 6); }

DetectResult DetectChip(Session& session) { return Detect(session, false); }

DetectResult DetectChipFromFrame(Session& session) { return Detect(session, true); }

}  // namespace tq
