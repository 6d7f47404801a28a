// Views that remember what a person would have seen, for assertions.
#pragma once

#include <string>
#include <vector>

#include "core/base/views.h"

namespace tq::testing {

class RecordingMessages final : public MessageView {
public:
    std::vector<std::string> messages, warnings, errors, questions;
    bool answer = false;
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void ShowWarning(const std::string& text) override { warnings.push_back(text); }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        return answer;
    }
    NotBlankChoice notBlankAnswer = NotBlankChoice::Cancel;
    NotBlankChoice AskNotBlank(const std::string& text) override {
        questions.push_back(text);
        return notBlankAnswer;
    }
};

class RecordingStatusBar final : public StatusBarView {
public:
    std::string panels[3];
    std::vector<std::string> history0;  // every text panel 0 showed
    void SetPanelText(int panel, const std::string& text) override {
        if (panel < 0 || panel > 2) return;
        panels[panel] = text;
        if (panel == 0) history0.push_back(text);
    }
};

class RecordingProgress final : public ProgressView {
public:
    uint32_t maximum = 0, position = 0;
    std::vector<uint32_t> positions;
    ProgressState state = ProgressState::Normal;
    BarColour colour{0, 0, 0};
    std::string label;
    std::vector<std::string> labels;
    LabelColour labelColour = LabelColour::WindowText;
    void SetMaximum(uint32_t m) override { maximum = m; }
    void SetPosition(uint32_t p) override {
        position = p;
        positions.push_back(p);
    }
    void SetState(ProgressState s) override { state = s; }
    void SetBarColour(BarColour c) override { colour = c; }
    void SetLabelText(const std::string& t) override {
        label = t;
        labels.push_back(t);
    }
    void SetLabelColour(LabelColour c) override { labelColour = c; }
};

class RecordingTrace final : public TraceView {
public:
    std::vector<std::string> lines;
    void Trace(const std::string& line) override { lines.push_back(line); }
};

}  // namespace tq::testing
