// A session for buffer tests: a fresh program folder, recording views for the
// status bar, messages, hex view, file dialogs and caption, and a chip helper.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/buffer/caption_view.h"
#include "core/buffer/chip_buffer.h"
#include "core/platform/clock.h"
#include "core/app/chip_selection.h"
#include "core/app/session.h"
#include "support/fake_volumes.h"
#include "support/recording_views.h"
#include "support/scratch_folder.h"

namespace tq::testing {

class RecordingHexView final : public HexView {
public:
    int redraws = 0;
    int scrollSets = 0;
    uint32_t scrollMaximum = 0, scrollPosition = 0;
    void Redraw() override { ++redraws; }
    void SetScrollBar(uint32_t maximum, uint32_t position) override {
        ++scrollSets;
        scrollMaximum = maximum;
        scrollPosition = position;
    }
};

struct FileDialogCall {
    std::string title;
    std::vector<FileFilter> filters;
    std::string initialFolder, initialName;
};

// Answers each dialog with the next queued path; "" (also when the queue is empty) cancels.
class RecordingFileDialog final : public FileDialogView {
public:
    std::deque<std::string> answers;
    std::vector<FileDialogCall> opens, saves;
    std::string ChooseOpenFile(const std::string& title, const std::vector<FileFilter>& filters,
                               const std::string& folder, const std::string& name) override {
        opens.push_back({title, filters, folder, name});
        return Next();
    }
    std::string ChooseSaveFile(const std::string& title, const std::vector<FileFilter>& filters,
                               const std::string& folder, const std::string& name) override {
        saves.push_back({title, filters, folder, name});
        return Next();
    }

private:
    std::string Next() {
        if (answers.empty()) return {};
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class RecordingCaption final : public CaptionView {
public:
    std::vector<std::string> captions;
    void SetCaption(const std::string& text) override { captions.push_back(text); }
};

struct BufferSession {
    ScratchFolder folder;
    FakeVolumes volumes;
    VirtualClock clock;
    Session session{volumes, clock, folder.path()};
    RecordingMessages messages;
    RecordingStatusBar statusBar;
    RecordingHexView hexView;
    RecordingFileDialog fileDialog;
    RecordingCaption caption;

    BufferSession() {
        session.Views.messages = &messages;
        session.Views.statusBar = &statusBar;
        session.Views.hexView = &hexView;
        session.Views.fileDialog = &fileDialog;
        session.Texts.DevLanguage.MainSoftWareInfo = "Programmer  V1";
        session.Texts.DevLanguage.OK = "OK";
        session.Texts.DevLanguage.Cancel = "Cancel";
    }

    // What the chip selection does: set the capacity, then replace the buffer.
    void SelectChip(uint32_t capacity) {
        session.Chip.PrjInfo.Capacity = capacity;
        NewChipBuffer(session, capacity);
    }
    std::string CheckSumPanel() const { return statusBar.panels[1]; }
};

}  // namespace tq::testing
