#include "cli/chip_command.h"

#include <cctype>
#include <ostream>

#include "cli/cli_context.h"
#include "core/texts/language.h"
#include "core/buffer/chip_buffer.h"
#include "core/app/chip_selection.h"
#include "core/app/presence_poll.h"

namespace tq {

bool ConnectForCommand(CliContext& context) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    // One step of the presence poll, as the desktop program's timer runs it.
    switch (TimerForMassProduct(session)) {
        case PollResult::Identified:
        case PollResult::Online: return true;
        case PollResult::NoProgrammer:
        case PollResult::WentOffline:
        case PollResult::Deferred:
        case PollResult::TimerOff:
            context.Fail(Triplet(language, "没有找到编程器（没有容量为 4608 字节且带 Write.Temp 的可移动卷）",
                                 "沒有找到燒錄器（沒有容量為 4608 位元組且帶 Write.Temp 的卸除式磁碟區）",
                                 "no programmer found (no removable 4608-byte volume holding Write.Temp)"),
                         kExitNoProgrammer);
            return false;
        case PollResult::InUse:
            context.Fail(DeviceInUseText(language, session.Device.Link.ClaimHolder()), kExitInUse);
            return false;
        case PollResult::NoAnswer:
            context.Fail(Triplet(language, "编程器没有应答（固件版本查询无回应）", "燒錄器沒有應答（韌體版本查詢無回應）",
                                 "the programmer does not answer (no reply to the firmware version query)"),
                         kExitNoProgrammer);
            return false;
    }
    return false;
}

bool SelectGivenChip(CliContext& context) {
    Session& session = context.session();
    const int32_t language = session.Texts.Language;
    const std::string& name = context.options.chip;
    if (name.empty()) {
        context.Fail(Triplet(language, "没有选择芯片：请用 -c 芯片名称 指定", "沒有選擇晶片：請用 -c 晶片名稱 指定",
                             "no chip selected: name one with -c NAME"),
                     kExitUnknownChip);
        return false;
    }
    if (!SelectChipByName(session, name)) {
        context.Fail(Triplet(language, "芯片数据库中没有该芯片：", "晶片資料庫中沒有該晶片：",
                             "the chip database has no chip named ") +
                         name,
                     kExitUnknownChip);
        return false;
    }
    // Selecting the chip the settings remembered keeps its buffer; a run
    // whose start-up could not restore that chip has none yet.
    if (session.Buffer.RamFile.Data.size() != session.Chip.PrjInfo.Capacity) NewChipBuffer(session, session.Chip.PrjInfo.Capacity);
    return true;
}

std::string OutcomeMessage(int32_t language, ChipCommand command, OperationOutcome outcome) {
    switch (outcome) {
        case OperationOutcome::Succeeded: return {};
        case OperationOutcome::Busy:
            return Triplet(language, "另一个操作正在进行", "另一個操作正在進行", "another operation is running");
        case OperationOutcome::NotConnected:
            return Triplet(language, "编程器没有连接", "燒錄器沒有鏈接", "the programmer is not connected");
        case OperationOutcome::NoChipSelected:
            return Triplet(language, "没有选择芯片：请用 -c 芯片名称 指定", "沒有選擇晶片：請用 -c 晶片名稱 指定",
                           "no chip selected: name one with -c NAME");
        case OperationOutcome::EmptySocket:
            return Triplet(language, "插座中没有芯片", "插座中沒有晶片", "no chip in the socket");
        case OperationOutcome::NothingSelected:
            return Triplet(language, "自动烧录没有选择任何步骤（设置的 Erase/Write/Verify 与 --no-* 选项）",
                           "自動燒錄沒有選擇任何步驟（設定的 Erase/Write/Verify 與 --no-* 選項）",
                           "the auto run has no step selected (Erase/Write/Verify settings and --no-* options)");
        case OperationOutcome::NoData:
            return Triplet(language, "没有可写入的数据", "沒有可寫入的資料", "there is no data to write");
        case OperationOutcome::DoesNotFit:
            return Triplet(language, "数据超出芯片末尾", "資料超出晶片末尾", "the data reaches past the end of the chip");
        case OperationOutcome::Declined:
        case OperationOutcome::Failed: break;
    }
    switch (command) {
        case ChipCommand::Erase:
            return Triplet(language, "擦除失败：芯片没有按时报告擦除结束，或编程器没有接收数据",
                           "擦除失敗：晶片沒有按時報告擦除結束，或燒錄器沒有接收資料",
                           "the erase failed: the chip did not report its end in time, or the programmer took no data");
        case ChipCommand::BlankCheck:
            return Triplet(language, "芯片不是空的", "晶片不是空白的", "the chip is not blank");
        case ChipCommand::Write:
            return Triplet(language, "写入失败：编程器没有接收全部数据", "寫入失敗：燒錄器沒有接收全部資料",
                           "the write failed: the programmer did not take all the data");
        case ChipCommand::Read:
            return Triplet(language, "读取失败：文件没有改动", "讀取失敗：檔案沒有改動",
                           "the read failed: the file was left as it was");
        case ChipCommand::Verify:
            return Triplet(language, "校验失败：芯片内容与文件不同", "校驗失敗：晶片內容與檔案不同",
                           "the verify failed: the chip differs from the file");
        case ChipCommand::Auto:
            return Triplet(language, "自动烧录失败", "自動燒錄失敗", "the auto run failed");
        case ChipCommand::SelfCheck:
            return Triplet(language, "自检失败", "自檢失敗", "the self-check failed");
        case ChipCommand::Detect:
            return Triplet(language, "芯片检测失败", "晶片檢測失敗", "the chip detection failed");
    }
    return {};
}

int OutcomeStatus(OperationOutcome outcome) {
    switch (outcome) {
        case OperationOutcome::Succeeded: return 0;
        case OperationOutcome::NotConnected: return kExitNoProgrammer;
        case OperationOutcome::EmptySocket: return kExitEmptySocket;
        case OperationOutcome::NoChipSelected: return kExitUnknownChip;
        case OperationOutcome::Busy:
        case OperationOutcome::NothingSelected:
        case OperationOutcome::NoData:
        case OperationOutcome::DoesNotFit:
        case OperationOutcome::Declined:
        case OperationOutcome::Failed: break;
    }
    return kExitFailed;
}

void ReportOutcome(CliContext& context, ChipCommand command, OperationOutcome outcome) {
    if (outcome == OperationOutcome::Succeeded) return;
    context.Fail(OutcomeMessage(context.session().Texts.Language, command, outcome), OutcomeStatus(outcome));
}

}  // namespace tq
