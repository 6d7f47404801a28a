// What the engine shows a person, as small interfaces each front-end
// implements: the GUI with widgets, the CLI with terminal lines, tests with
// recorders. The core never talks to a person any other way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tq {

// The answer to "the buffer holds unsaved edits": save them first, lose
// them, or keep everything as it is and do nothing.
enum class SaveChoice { Save, Discard, Cancel };

// The answer to "the range to be written is not blank": erase the chip
// first, write over the data anyway, or write nothing.
enum class NotBlankChoice { EraseFirst, WriteAnyway, Cancel };

// Modal message boxes.
class MessageView {
public:
    virtual ~MessageView() = default;
    virtual void ShowMessage(const std::string& text) = 0;  // plain box with OK
    virtual void ShowWarning(const std::string& text) = 0;  // warning box with OK
    virtual void ShowError(const std::string& text) = 0;    // the application's error box
    virtual bool AskYesNo(const std::string& text) = 0;     // confirmation; true = yes
    // Save / Discard / Cancel. A view that can only ask yes or no offers
    // discarding: yes discards, no cancels.
    virtual SaveChoice AskSaveDiscardCancel(const std::string& text) {
        return AskYesNo(text) ? SaveChoice::Discard : SaveChoice::Cancel;
    }
    // Erase first / Write anyway / Cancel. A view that can only ask yes or
    // no offers the safe way: yes erases first, no cancels.
    virtual NotBlankChoice AskNotBlank(const std::string& text) {
        return AskYesNo(text) ? NotBlankChoice::EraseFirst : NotBlankChoice::Cancel;
    }
};

// The main window's status bar: panel 0 status lines, 1 checksum, 2 connection.
class StatusBarView {
public:
    virtual ~StatusBarView() = default;
    virtual void SetPanelText(int panel, const std::string& text) = 0;
};

// Stopped: the person ended the operation before its end (neither passed nor failed).
enum class ProgressState { Normal, Error, Stopped };
enum class LabelColour { WindowText, Red };
struct BarColour {
    uint8_t r, g, b;
    bool operator==(const BarColour&) const = default;
};
inline constexpr BarColour kBarGreen{0, 128, 0};
inline constexpr BarColour kBarRed{255, 0, 0};

// The progress bar pbDLChip1 and the label labelCh1 beside it.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void SetMaximum(uint32_t maximum) = 0;
    virtual void SetPosition(uint32_t position) = 0;
    virtual void SetState(ProgressState state) = 0;
    virtual void SetBarColour(BarColour colour) = 0;
    virtual void SetLabelText(const std::string& text) = 0;
    virtual void SetLabelColour(LabelColour colour) = 0;
};

// Every frame sent and every answer received, for --trace.
class TraceView {
public:
    virtual ~TraceView() = default;
    virtual void Trace(const std::string& line) = 0;
};

// The hex view of the buffer: asked to redraw after the buffer changed.
class HexView {
public:
    virtual ~HexView() = default;
    virtual void Redraw() = 0;
    // The scroll bar sbDownFile beside the view (minimum 0, steps of 16),
    // set when a new image arrives in the buffer.
    virtual void SetScrollBar(uint32_t maximum, uint32_t position) {
        (void)maximum;
        (void)position;
    }
    // Whether the buffer differs from the last file opened, read or saved.
    virtual void SetModified(bool modified) { (void)modified; }
};

// Common open and save dialogs. An empty result means the person cancelled.
struct FileFilter {
    std::string description;  // "Bin File"
    std::string pattern;      // "*.bin"
};
class FileDialogView {
public:
    virtual ~FileDialogView() = default;
    virtual std::string ChooseOpenFile(const std::string& title, const std::vector<FileFilter>& filters,
                                       const std::string& initialFolder, const std::string& initialName) = 0;
    virtual std::string ChooseSaveFile(const std::string& title, const std::vector<FileFilter>& filters,
                                       const std::string& initialFolder, const std::string& initialName) = 0;
    // The filter the person chose last (its pattern, "*.hex"), offered first
    // the next time a dialog lists it; the settings keep it between runs.
    virtual void SetRememberedFilter(const std::string& pattern) { (void)pattern; }
    virtual std::string RememberedFilter() { return {}; }
};

// Views that show nothing: the default until a front-end plugs its own in.
class NullMessageView final : public MessageView {
public:
    void ShowMessage(const std::string&) override {}
    void ShowWarning(const std::string&) override {}
    void ShowError(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
};
class NullStatusBarView final : public StatusBarView {
public:
    void SetPanelText(int, const std::string&) override {}
};
class NullHexView final : public HexView {
public:
    void Redraw() override {}
};
class NullFileDialogView final : public FileDialogView {
public:
    std::string ChooseOpenFile(const std::string&, const std::vector<FileFilter>&, const std::string&,
                               const std::string&) override {
        return {};
    }
    std::string ChooseSaveFile(const std::string&, const std::vector<FileFilter>&, const std::string&,
                               const std::string&) override {
        return {};
    }
};
class NullProgressView final : public ProgressView {
public:
    void SetMaximum(uint32_t) override {}
    void SetPosition(uint32_t) override {}
    void SetState(ProgressState) override {}
    void SetBarColour(BarColour) override {}
    void SetLabelText(const std::string&) override {}
    void SetLabelColour(LabelColour) override {}
};

// The views a session reports through, one pointer each; the session starts
// them on views that show nothing and a front-end points them at its own.
struct ViewSet {
    MessageView* messages = nullptr;
    StatusBarView* statusBar = nullptr;
    ProgressView* progress = nullptr;
    HexView* hexView = nullptr;
    FileDialogView* fileDialog = nullptr;
};

}  // namespace tq
