#include "core/operations/auto_sequence.h"

#include <vector>

#include "core/texts/text_catalogue.h"
#include "core/operations/chip_backup.h"
#include "core/operations/erase_blank.h"
#include "core/operations/read_verify.h"
#include "core/operations/write.h"
#include "core/operations/operation_context.h"

namespace tq {

OperationOutcome RunAutoSequence(OperationContext& operation) {
    OperationScope scope(operation);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (!RequireConnected(operation)) return OperationOutcome::NotConnected;
    if (!ChipSelected(operation)) return OperationOutcome::NoChipSelected;

    Prj_Info_Struct& prj = operation.Chip.PrjInfo;
    Dev_Inf_Struct& device = operation.Device.DevInf;
    const int language = operation.Texts.Language;
    if (!prj.Erase && !prj.Write && !prj.Verify) {
        // No step would run: say so rather than give a verdict about nothing.
        ShowStatus(operation, StatusLine(operation.clock(), Text(language, TextId::AutoRunNoStep)));
        return OperationOutcome::NothingSelected;
    }
    // Nothing is erased for an image that could not be written or verified.
    if (prj.Write || prj.Verify) {
        if (const OperationOutcome image = CheckImageFitsChip(operation); image != OperationOutcome::Succeeded)
            return image;
    }

    if (const OperationOutcome wait = AwaitRunningErase(operation); wait != OperationOutcome::Succeeded) return wait;
    Indicate(operation, IndicatorCode::AutoRunStart);
    if (CheckSocket(operation) != SocketCheck::ChipPresent) return OperationOutcome::EmptySocket;
    if (prj.Erase || prj.Write) {
        std::vector<uint8_t> backup;
        if (const OperationOutcome guard = BackUpBeforeOverwrite(operation, backup); guard != OperationOutcome::Succeeded)
            return guard;
    }

    ProgressView& progress = *operation.Views.progress;
    progress.SetLabelColour(LabelColour::WindowText);
    const uint32_t start = operation.clock().TickCount();
    const uint8_t channel = prj.ChannelSelector;
    int result = kOpSuccess;
    // A stopped step has said how far it got; the run counts as failed.
    const auto stopped = [&] {
        Indicate(operation, IndicatorCode::FinishedWithError);
        ++device.FailCount;
        return OperationOutcome::Stopped;
    };

    if (prj.Erase) {
        const uint32_t eraseStart = operation.clock().TickCount();
        Indicate(operation, IndicatorCode::Working);
        result = EraseOnChannel(operation, channel);
        const uint32_t eraseElapsed = ElapsedSince(operation, eraseStart);
        Indicate(operation, result == kOpSuccess ? IndicatorCode::Passed : IndicatorCode::Failed);
        if (result == kOpStopped) return stopped();
        if (result != kOpSuccess) {
            // A failed erase ends the run; it shows why, as the erase command would.
            ShowEraseResult(operation, result, eraseElapsed);
            ++device.FailCount;
            return OperationOutcome::Failed;
        }
    }
    if (prj.Write) {
        result = WriteOnChannel(operation, channel);
        if (result == kOpStopped) return stopped();
        if (result != kOpSuccess) {
            ++device.FailCount;
            return OperationOutcome::Failed;
        }
    }
    if (prj.Verify) {
        Indicate(operation, IndicatorCode::Working);
        ShowStatus(operation, StatusLine(operation.clock(), operation.Texts.DevLanguage.LogChipVerifyChip));
        result = VerifyOnChannel(operation, channel);
        Indicate(operation, result == kOpSuccess ? IndicatorCode::Passed : IndicatorCode::Failed);
        if (result == kOpStopped) return stopped();
    }

    const Dev_Language_Struct& texts = operation.Texts.DevLanguage;
    const std::string line =
        StatusLine(operation.clock(),
                   Text(language, TextId::AutoRunVerdict,
                        {Text(language, TextId::AutoRunTitle),
                         result == kOpSuccess ? texts.LogStaSuccess : texts.LogStaError, texts.LogOperatTimeTitle,
                         FormatSeconds(ElapsedSince(operation, start)), texts.LogOperatTime}));
    if (result != kOpSuccess) {
        Indicate(operation, IndicatorCode::FinishedWithError);
        ++device.FailCount;
        ShowProgressFailure(operation, "ERROR");
    } else {
        Indicate(operation, IndicatorCode::Finished);
        ++device.SuccessCount;
        progress.SetState(ProgressState::Normal);
    }
    ShowStatus(operation, line);
    return result == kOpSuccess ? OperationOutcome::Succeeded : OperationOutcome::Failed;
}

AutoSelDialog DescribeAutoOptions(const OperationOptions& options, const LanguageTextLookup& lookup) {
    auto text = [&](const char* key, const char* fallback) { return lookup("AutoSel", key, fallback); };
    AutoSelDialog dialog;
    dialog.title = text("AutoSelTitle", "自动选项");
    dialog.idCheckCaption = text("AutoSelIDCheck", "ID校验");
    dialog.eraseCaption = text("AutoSelErase", "擦除");
    dialog.writeCaption = text("AutoSelWrite", "写入");
    dialog.verifyCaption = text("AutoSelVerify", "校验");
    const AutoSteps steps = AutoStepsOf(options);
    dialog.idCheck = steps.idCheck;
    dialog.erase = steps.erase;
    dialog.write = steps.write;
    dialog.verify = steps.verify;
    return dialog;
}

AutoSteps AutoStepsOf(const OperationOptions& options) {
    return {options.IdCheck != 0, options.Erase != 0, options.Write != 0, options.Verify != 0};
}

void SetAutoSteps(OperationOptions& options, const AutoSteps& steps) {
    options.IdCheck = steps.idCheck ? 1 : 0;
    options.Erase = steps.erase ? 1 : 0;
    options.Write = steps.write ? 1 : 0;
    options.Verify = steps.verify ? 1 : 0;
}

std::string AutoCounterText(const Dev_Inf_Struct& device) {
    return "Suc:" + std::to_string(device.SuccessCount) + "  Fal:" + std::to_string(device.FailCount);
}

}  // namespace tq
