#include "core/operations/auto_sequence.h"

#include "core/operations/erase_blank.h"
#include "core/operations/read_verify.h"
#include "core/operations/write.h"
#include "core/session.h"

namespace tq {

OperationOutcome sbAutoClick(Session& session) {
    OperationScope scope(session);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (!RequireConnected(session)) return OperationOutcome::NotConnected;
    if (!ChipSelected(session)) return OperationOutcome::NoChipSelected;

    Prj_Info_Struct& prj = session.PrjInfo;
    Dev_Inf_Struct& device = session.DevInf;
    const int language = device.Language;
    if (!prj.Erase && !prj.Write && !prj.Verify) {
        // No step would run: say so rather than give a verdict about nothing.
        ShowStatus(session, StatusLine(session, Triplet(language, "自动烧录：没有选择任何操作步骤！",
                                                         "自動燒錄：沒有選擇任何操作步驟！",
                                                         "Auto Operation: no step selected!")));
        return OperationOutcome::NothingSelected;
    }

    Indicate(session, 50);
    if (CheckSocket(session) != 0) return OperationOutcome::EmptySocket;

    ProgressView& progress = *session.Views.progress;
    progress.SetLabelColour(LabelColour::WindowText);
    const uint32_t start = session.clock().TickCount();
    const uint8_t channel = prj.ChannelSelector;
    int result = kOpSuccess;

    if (prj.Erase) {
        const uint32_t eraseStart = session.clock().TickCount();
        Indicate(session, 1);
        result = EraseChip(session, channel);
        const uint32_t eraseElapsed = ElapsedSince(session, eraseStart);
        Indicate(session, result == kOpSuccess ? 0 : 3);
        if (result != kOpSuccess) {
            // A failed erase ends the run; it shows why, as the erase command would.
            ShowEraseResult(session, result, eraseElapsed);
            ++device.FailCount;
            return OperationOutcome::Failed;
        }
    }
    if (prj.Write) {
        result = WriteChip(session, channel);
        if (result != kOpSuccess) {
            ++device.FailCount;
            return OperationOutcome::Failed;
        }
    }
    if (prj.Verify) {
        Indicate(session, 1);
        ShowStatus(session, StatusLine(session, session.DevLanguage.LogChipVerifyChip));
        result = VerifyChip(session, channel);
        Indicate(session, result == kOpSuccess ? 0 : 3);
    }

    const Dev_Language_Struct& texts = session.DevLanguage;
    const std::string line =
        StatusLine(session, Triplet(language, "自动烧录", "自動燒錄", "Auto Operation ") +
                                (result == kOpSuccess ? texts.LogStaSuccess : texts.LogStaError) +
                                texts.LogOperatTimeTitle + FormatSeconds(ElapsedSince(session, start)) +
                                texts.LogOperatTime);
    if (result != kOpSuccess) {
        Indicate(session, 200);
        ++device.FailCount;
        ShowProgressFailure(session, "ERROR");
    } else {
        Indicate(session, 100);
        ++device.SuccessCount;
        progress.SetState(ProgressState::Normal);
    }
    ShowStatus(session, line);
    return result == kOpSuccess ? OperationOutcome::Succeeded : OperationOutcome::Failed;
}

AutoSelDialog MenuAutoSelClick(Session& session, const LanguageTextLookup& lookup) {
    auto text = [&](const char* key, const char* fallback) { return lookup("AutoSel", key, fallback); };
    const Prj_Info_Struct& prj = session.PrjInfo;
    AutoSelDialog dialog;
    dialog.title = text("AutoSelTitle", "自动选项");
    dialog.idCheckCaption = text("AutoSelIDCheck", "ID校验");
    dialog.eraseCaption = text("AutoSelErase", "擦除");
    dialog.writeCaption = text("AutoSelWrite", "写入");
    dialog.verifyCaption = text("AutoSelVerify", "校验");
    dialog.idCheck = prj.IdCheck != 0;
    dialog.erase = prj.Erase != 0;
    dialog.write = prj.Write != 0;
    dialog.verify = prj.Verify != 0;
    return dialog;
}

void chkAutoSelIdCheckClick(Session& session, bool checked) { session.PrjInfo.IdCheck = checked ? 1 : 0; }
void chkAutoSelEraseClick(Session& session, bool checked) { session.PrjInfo.Erase = checked ? 1 : 0; }
void chkAutoSelWriteClick(Session& session, bool checked) { session.PrjInfo.Write = checked ? 1 : 0; }
void chkAutoSelVerifyClick(Session& session, bool checked) { session.PrjInfo.Verify = checked ? 1 : 0; }

std::string AutoCounterText(const Dev_Inf_Struct& device) {
    return "Suc:" + std::to_string(device.SuccessCount) + "  Fal:" + std::to_string(device.FailCount);
}

}  // namespace tq
