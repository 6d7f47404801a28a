#include "cli/terminal_views.h"

#include <cstdio>
#include <ostream>

namespace tq {

TerminalViews::TerminalViews(std::ostream& out, std::ostream& err, bool interactive)
    : out_(out), err_(err), interactive_(interactive) {}

// Message boxes use "\r" as a line break; a terminal wants one line.
std::string TerminalViews::OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += c;
        }
    }
    return line;
}

void TerminalViews::ShowMessage(const std::string& text) {
    EndBar();
    out_ << OneLine(text) << '\n';
}

void TerminalViews::ShowWarning(const std::string& text) {
    EndBar();
    err_ << OneLine(text) << '\n';
}

void TerminalViews::ShowError(const std::string& text) {
    EndBar();
    err_ << "error: " << OneLine(text) << '\n';
}

bool TerminalViews::AskYesNo(const std::string& text) {
    EndBar();
    err_ << OneLine(text) << " (answered no)\n";
    return false;
}

void TerminalViews::SetPanelText(int panel, const std::string& text) {
    if (panel < 0 || panel > 2) return;
    panels_[panel] = text;
    if (panel == 0 && !text.empty()) {
        EndBar();
        out_ << text << '\n';
    }
}

void TerminalViews::SetMaximum(uint32_t maximum) {
    maximum_ = maximum;
    position_ = 0;
    startMicros_ = clock_ ? clock_->NowMicros() : 0;
}

void TerminalViews::SetPosition(uint32_t position) {
    position_ = position;
    if (!interactive_ || maximum_ == 0) return;
    const double fraction = position_ >= maximum_ ? 1.0 : static_cast<double>(position_) / maximum_;
    const double seconds = clock_ ? (clock_->NowMicros() - startMicros_) / 1e6 : 0.0;
    const double rate = seconds > 0 ? position_ / seconds : 0.0;
    const double left = rate > 0 ? (maximum_ - position_) / rate : 0.0;
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(fraction * kWidth);
    char line[160];
    std::snprintf(line, sizeof line, "\r[%-*s] %3d%%  %8.1f KiB/s  %5.1f s left", kWidth,
                  std::string(static_cast<size_t>(filled), '#').c_str(), static_cast<int>(fraction * 100),
                  rate / 1024.0, left);
    out_ << line << std::flush;
    barShown_ = true;
}

void TerminalViews::SetState(ProgressState) {}

void TerminalViews::Trace(const std::string& line) {
    EndBar();
    err_ << line << '\n';
}

void TerminalViews::EndBar() {
    if (!barShown_) return;
    out_ << '\n';
    barShown_ = false;
}

}  // namespace tq
