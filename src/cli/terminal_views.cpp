#include "cli/terminal_views.h"

#include <cctype>
#include <cstdio>
#include <istream>
#include <ostream>
#include <string>

#include "core/base/transfer_estimate.h"
#include "core/texts/text_catalogue.h"

namespace tq {

TerminalViews::TerminalViews(std::ostream& err, bool interactive, int32_t language)
    : err_(err), interactive_(interactive), language_(language) {}

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

void TerminalViews::ShowMessage(const std::string& text) { PrintLine(OneLine(text)); }

void TerminalViews::ShowWarning(const std::string& text) {
    EndBar();
    err_ << OneLine(text) << '\n';
}

void TerminalViews::ShowError(const std::string& text) {
    EndBar();
    err_ << Text(language_, TextId::CliErrorLine, {OneLine(text)}) << '\n';
}

bool TerminalViews::AskYesNo(const std::string& text) {
    EndBar();
    if (answers_ == Answers::Yes) {
        err_ << Text(language_, TextId::CliAnsweredYes, {OneLine(text)}) << '\n';
        return true;
    }
    if (answers_ == Answers::AskTerminal && in_) {
        err_ << Text(language_, TextId::CliAskYesNo, {OneLine(text)}) << std::flush;
        std::string answer;
        std::getline(*in_, answer);
        for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return answer == "y" || answer == "yes";
    }
    err_ << Text(language_, TextId::CliAnsweredNo, {OneLine(text)}) << '\n';
    return false;
}

void TerminalViews::SetPanelText(int panel, const std::string& text) {
    if (panel < 0 || panel > 2) return;
    panels_[panel] = text;
    if (panel == 0 && !text.empty()) PrintLine(OneLine(text));
}

// Some commands put the same text into a message box and the status line;
// the terminal shows it once.
void TerminalViews::PrintLine(const std::string& line) {
    EndBar();
    if (line == lastLine_) return;
    err_ << line << '\n';
    lastLine_ = line;
}

void TerminalViews::SetMaximum(uint32_t maximum) {
    maximum_ = maximum;
    position_ = 0;
    estimate_.Start(clock_ ? clock_->NowMicros() : 0);
    drawnPercent_ = -1;
}

std::string TerminalViews::BarLine(uint32_t position, uint32_t maximum, double rate, std::optional<double> secondsLeft,
                                   int32_t language) {
    constexpr int kWidth = 30;
    const double fraction = maximum == 0 || position >= maximum ? 1.0 : static_cast<double>(position) / maximum;
    const auto filled = static_cast<size_t>(fraction * kWidth);
    const int percent = static_cast<int>(fraction * 100);
    std::string line = "[" + std::string(filled, '#') + std::string(kWidth - filled, ' ') + "] ";
    char number[16];
    std::snprintf(number, sizeof number, "%3d%%", percent);
    line += number;
    if (rate <= 0) return line;
    if (maximum >= 1024) line += "  " + FormatByteRate(rate);
    if (secondsLeft) line += "  " + Text(language, TextId::CliTimeLeft, {FormatMinutesSeconds(*secondsLeft)});
    return line;
}

void TerminalViews::SetPosition(uint32_t position) {
    position_ = position;
    if (!interactive_ || maximum_ == 0) return;
    const uint64_t now = clock_ ? clock_->NowMicros() : 0;
    estimate_.Update(now, position_, maximum_);
    const int percent = position_ >= maximum_ ? 100 : static_cast<int>(uint64_t{position_} * 100 / maximum_);
    // Redraw when the percentage moves or every quarter second, not per block.
    if (percent == drawnPercent_ && now - drawnMicros_ < 250000) return;
    drawnPercent_ = percent;
    drawnMicros_ = now;
    // The smoothed rate, taken from half a second on: a burst at the start is no pace.
    const std::string line = BarLine(position_, maximum_, estimate_.Rate(), estimate_.SecondsLeft(), language_);
    err_ << '\r' << line << "\x1b[K" << std::flush;  // clear what a longer line left behind
    barShown_ = true;
}

void TerminalViews::SetState(ProgressState) {}

void TerminalViews::Trace(const std::string& line) {
    EndBar();
    err_ << line << '\n';
}

void TerminalViews::EndBar() {
    if (!barShown_) return;
    err_ << '\n';
    barShown_ = false;
}

}  // namespace tq
