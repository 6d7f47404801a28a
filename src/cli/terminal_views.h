// The views of the command-line front-end: status lines and messages as
// lines on stderr, the progress pair as a bar there when stderr is a
// terminal. Stdout carries only what a command produces (identity, chip
// lists), so it can be piped.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "core/platform/clock.h"
#include "core/base/transfer_estimate.h"
#include "core/base/views.h"

namespace tq {

class TerminalViews final : public MessageView, public StatusBarView, public ProgressView, public TraceView {
public:
    TerminalViews(std::ostream& err, bool interactive, int32_t language);

    // The language of the words the views add (once start-up has read it).
    void SetLanguage(int32_t language) { language_ = language; }

    // How questions are answered: "no" (the default: nobody can answer in a
    // script), "yes" (the command was told so with --yes), or by the person
    // at the terminal, one line read from `in` ("y" or "yes" is yes).
    enum class Answers { No, Yes, AskTerminal };
    void SetAnswers(Answers answers, std::istream* in = nullptr) {
        answers_ = answers;
        in_ = in;
    }
    Answers answers() const { return answers_; }

    // MessageView: boxes become lines; questions are answered as SetAnswers
    // says. Save / Discard / Cancel takes the interface's default, which turns
    // a "no" into Cancel: nothing is lost.
    void ShowMessage(const std::string& text) override;
    void ShowWarning(const std::string& text) override;
    void ShowError(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;

    // StatusBarView: panel 0 status lines are printed; the others are kept.
    // A line the same as the one printed just before is not printed again.
    void SetPanelText(int panel, const std::string& text) override;
    const std::string& PanelText(int panel) const { return panels_[panel < 0 || panel > 2 ? 0 : panel]; }

    // ProgressView: a bar with percentage, rate and time left on a terminal.
    // A maximum below 1024 counts steps (the polls of an erase, the
    // self-check), not bytes: the bar then shows no transfer rate.
    void SetMaximum(uint32_t maximum) override;
    void SetPosition(uint32_t position) override;
    void SetState(ProgressState state) override;
    void SetBarColour(BarColour) override {}
    void SetLabelText(const std::string& text) override { label_ = text; }
    void SetLabelColour(LabelColour) override {}
    const std::string& LabelText() const { return label_; }

    void Trace(const std::string& line) override;

    void SetClock(Clock* clock) { clock_ = clock; }
    // Ends a bar still on screen with a line break (after an operation).
    void FinishBar() { EndBar(); }

    // The bar line for a position at a rate (units per second, 0 unknown)
    // with the time left when known: "[####      ]  40%  1.2 MiB/s  0:03 left".
    static std::string BarLine(uint32_t position, uint32_t maximum, double rate, std::optional<double> secondsLeft,
                               int32_t language);

private:
    void EndBar();
    void PrintLine(const std::string& line);
    static std::string OneLine(const std::string& text);

    std::ostream& err_;
    bool interactive_;
    int32_t language_;
    Clock* clock_ = nullptr;
    std::string panels_[3];
    std::string label_;
    std::string lastLine_;  // the last status line printed
    uint32_t maximum_ = 0;
    uint32_t position_ = 0;
    // Smoothed like the desktop program's bar, so the time left does not jump with every block.
    TransferEstimate estimate_;
    uint64_t drawnMicros_ = 0;  // when the bar was last drawn
    int drawnPercent_ = -1;
    bool barShown_ = false;
    Answers answers_ = Answers::No;
    std::istream* in_ = nullptr;
};

}  // namespace tq
