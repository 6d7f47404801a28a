#include "core/operations/operation_display.h"

#include <algorithm>
#include <cstdio>

#include "core/device/commands.h"
#include "core/session.h"

namespace tq {

OperationScope::OperationScope(Session& session) : session_(session), claimed_(!session.OperationRunning) {
    if (claimed_) session_.OperationRunning = true;
}

OperationScope::~OperationScope() {
    if (!claimed_) return;
    session_.OperationRunning = false;
    session_.PrjInfo.StopRequest = 0;
}

std::string FormatSeconds(uint32_t milliseconds) {
    const uint64_t hundredths = (static_cast<uint64_t>(milliseconds) + 5) / 10;
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%02llu", static_cast<unsigned long long>(hundredths / 100),
                  static_cast<unsigned long long>(hundredths % 100));
    return text;
}

uint32_t ElapsedSince(Session& session, uint32_t startTick) { return session.clock().TickCount() - startTick; }

std::string TimedStatusLine(Session& session, const std::string& text, uint32_t milliseconds) {
    return StatusLine(session, text + FormatSeconds(milliseconds) + session.DevLanguage.LogOperatTime);
}

void ShowStatus(Session& session, const std::string& line) { session.Views.statusBar->SetPanelText(0, line); }

void ShowNotConnected(Session& session) {
    session.Views.messages->ShowWarning(Triplet(session.DevInf.Language, "没有设备连接！\r请检查确认！",
                                                 "燒錄器沒有鏈接！\r請檢查確認！",
                                                 "The programmer has not been connected！\rPlease check it！"));
}

bool RequireConnected(Session& session) {
    if (session.Link.Uart.Connected) return true;
    ShowNotConnected(session);
    return false;
}

int CheckSocket(Session& session) {
    Prj_Info_Struct& prj = session.PrjInfo;
    prj.SocketStatus = {0xFF, 0xFF};
    // Only a well-formed answer replaces the states; anything else leaves 0xFF.
    ChipPresence(session.Link, static_cast<uint8_t>(prj.ChipTypeCode), prj.SocketStatus[0], prj.SocketStatus[1]);
    if (prj.SocketStatus[0] == 0) return 0;
    ShowStatus(session, StatusLine(session, Triplet(session.DevInf.Language, "没有芯片放入，请确认！",
                                                     "沒有放入晶片，請確認！",
                                                     "No chips founded,Please check it！")));
    ShowProgressFailure(session, "ERROR");
    return 255;
}

bool ChipSelected(const Session& session) { return session.PrjInfo.BlockSize >= 16; }

void Indicate(Session& session, uint16_t code) { SetIndicator(session.Link, code); }

void ResetProgressLabel(Session& session) {
    ProgressView& progress = *session.Views.progress;
    progress.SetState(ProgressState::Normal);
    progress.SetLabelColour(LabelColour::WindowText);
    progress.SetLabelText("0%");
}

void ShowProgress(Session& session, uint32_t position, uint32_t maximum) {
    const uint32_t shown = std::min(position, maximum);
    session.Views.progress->SetPosition(shown);
    const uint64_t percent = maximum == 0 ? 100 : static_cast<uint64_t>(shown) * 100 / maximum;
    session.Views.progress->SetLabelText(std::to_string(percent) + "%");
}

void ShowProgressFailure(Session& session, const std::string& label) {
    ProgressView& progress = *session.Views.progress;
    progress.SetState(ProgressState::Error);
    progress.SetLabelColour(LabelColour::Red);
    progress.SetLabelText(label);
}

bool sbStopClick(Session& session) {
    if (!session.OperationRunning) return false;
    session.PrjInfo.StopRequest = 1;
    return true;
}

}  // namespace tq
