// The one way from the session worker to the widgets. The engine calls its
// views on whichever thread holds the session; the session's views are these
// stand-ins, each passing its calls on to a widget on the widget's thread.
// A call that only shows something is queued and returns at once; a question
// (a yes/no box, a file dialog) makes the calling worker wait for the answer.
// The window never waits for the worker. Calls reach the widgets in the
// order they were made, whichever widget they are for, because they all go
// through the window thread's one event queue. On the widget's own thread a
// call goes straight through. The widgets implement the views plainly.
#pragma once

#include <QObject>
#include <concepts>
#include <functional>
#include <type_traits>
#include <utility>

#include "core/app/chip_frame_view.h"
#include "core/base/views.h"
#include "core/buffer/caption_view.h"
#include "core/firmware/firmware_update.h"
#include "core/project/project_editor.h"

namespace tq {
struct BufferContext;
}

namespace tq::gui {

class HexViewWidget;

// Runs `call` on `owner`'s thread: queued from another thread, at once on it.
void RunOnThreadOf(QObject& owner, std::function<void()> call);
// Runs `call` on `owner`'s thread and returns once it has run.
void RunOnThreadOfAndWait(QObject& owner, const std::function<void()>& call);

// What every stand-in shares: the object whose thread the calls go to (the
// widget, or the dialog that holds the view) and the view that takes them.
// A call queued for a widget that has gone is dropped with it.
template <typename View>
class Marshalling : public View {
public:
    Marshalling(QObject& owner, View& view) : owner_(owner), view_(view) {}
    template <typename Widget>
        requires std::derived_from<Widget, QObject> && std::derived_from<Widget, View>
    explicit Marshalling(Widget& widget) : Marshalling(widget, widget) {}
    Marshalling(const Marshalling&) = delete;
    Marshalling& operator=(const Marshalling&) = delete;

protected:
    // Queues `method` with copies of the arguments.
    template <typename... Parameters, typename... Arguments>
    void Tell(void (View::*method)(Parameters...), Arguments&&... arguments) {
        RunOnThreadOf(owner_, [&view = view_, method, ... values = std::decay_t<Arguments>(
                                                           std::forward<Arguments>(arguments))] {
            (view.*method)(values...);
        });
    }
    // Calls `method` on the widget's thread and hands back its answer.
    template <typename Result, typename... Parameters, typename... Arguments>
    Result Ask(Result (View::*method)(Parameters...), const Arguments&... arguments) {
        Result answer{};
        RunOnThreadOfAndWait(owner_, [&] { answer = (view_.*method)(arguments...); });
        return answer;
    }

    QObject& owner_;
    View& view_;
};

// One stand-in per view interface.
template <typename View>
class Marshalled;

template <>
class Marshalled<MessageView> final : public Marshalling<MessageView> {
public:
    using Marshalling::Marshalling;
    void ShowMessage(const std::string& text) override { Tell(&MessageView::ShowMessage, text); }
    void ShowWarning(const std::string& text) override { Tell(&MessageView::ShowWarning, text); }
    void ShowError(const std::string& text) override { Tell(&MessageView::ShowError, text); }
    bool AskYesNo(const std::string& text) override { return Ask(&MessageView::AskYesNo, text); }
    SaveChoice AskSaveDiscardCancel(const std::string& text) override {
        return Ask(&MessageView::AskSaveDiscardCancel, text);
    }
    NotBlankChoice AskNotBlank(const std::string& text) override { return Ask(&MessageView::AskNotBlank, text); }
};

template <>
class Marshalled<FileDialogView> final : public Marshalling<FileDialogView> {
public:
    using Marshalling::Marshalling;
    std::string ChooseOpenFile(const std::string& title, const std::vector<FileFilter>& filters,
                               const std::string& initialFolder, const std::string& initialName) override {
        return Ask(&FileDialogView::ChooseOpenFile, title, filters, initialFolder, initialName);
    }
    std::string ChooseSaveFile(const std::string& title, const std::vector<FileFilter>& filters,
                               const std::string& initialFolder, const std::string& initialName) override {
        return Ask(&FileDialogView::ChooseSaveFile, title, filters, initialFolder, initialName);
    }
    void SetRememberedFilter(const std::string& pattern) override {
        Tell(&FileDialogView::SetRememberedFilter, pattern);
    }
    std::string RememberedFilter() override { return Ask(&FileDialogView::RememberedFilter); }
};

template <>
class Marshalled<StatusBarView> final : public Marshalling<StatusBarView> {
public:
    using Marshalling::Marshalling;
    void SetPanelText(int panel, const std::string& text) override { Tell(&StatusBarView::SetPanelText, panel, text); }
};

template <>
class Marshalled<ProgressView> final : public Marshalling<ProgressView> {
public:
    using Marshalling::Marshalling;
    void SetMaximum(uint32_t maximum) override { Tell(&ProgressView::SetMaximum, maximum); }
    void SetPosition(uint32_t position) override { Tell(&ProgressView::SetPosition, position); }
    void SetState(ProgressState state) override { Tell(&ProgressView::SetState, state); }
    void SetBarColour(BarColour colour) override { Tell(&ProgressView::SetBarColour, colour); }
    void SetLabelText(const std::string& text) override { Tell(&ProgressView::SetLabelText, text); }
    void SetLabelColour(LabelColour colour) override { Tell(&ProgressView::SetLabelColour, colour); }
};

// The page is built on the calling thread, which holds the buffer, and only
// its picture travels to the window's thread to be painted.
template <>
class Marshalled<HexView> final : public HexView {
public:
    Marshalled(HexViewWidget& widget, const BufferContext& buffer) : widget_(widget), buffer_(buffer) {}
    void Redraw() override;
    void SetScrollBar(uint32_t maximum, uint32_t position) override;
    void SetModified(bool modified) override;

private:
    HexViewWidget& widget_;
    const BufferContext& buffer_;
};

template <>
class Marshalled<ChipFrameView> final : public Marshalling<ChipFrameView> {
public:
    using Marshalling::Marshalling;
    void ShowList(ChipList list, const ChipListState& state) override { Tell(&ChipFrameView::ShowList, list, state); }
    void SetCapacityText(const std::string& text) override { Tell(&ChipFrameView::SetCapacityText, text); }
    void SetPageSizeText(const std::string& text) override { Tell(&ChipFrameView::SetPageSizeText, text); }
    void SetVoltageText(const std::string& text) override { Tell(&ChipFrameView::SetVoltageText, text); }
    void SetOtpSizeText(const std::string& text) override { Tell(&ChipFrameView::SetOtpSizeText, text); }
    void SetOtpSizeVisible(bool visible) override { Tell(&ChipFrameView::SetOtpSizeVisible, visible); }
    void SetVoltageNoteVisible(bool visible) override { Tell(&ChipFrameView::SetVoltageNoteVisible, visible); }
    void SetSocketPicture(SocketPicture picture) override { Tell(&ChipFrameView::SetSocketPicture, picture); }
    void SetDetectEnabled(DetectButton button, bool enabled) override {
        Tell(&ChipFrameView::SetDetectEnabled, button, enabled);
    }
    void SetOfflineProjectMenuVisible(bool visible) override {
        Tell(&ChipFrameView::SetOfflineProjectMenuVisible, visible);
    }
    void OpenChipSearch(const std::vector<ChipRow>& candidates) override {
        Tell(&ChipFrameView::OpenChipSearch, candidates);
    }
};

template <>
class Marshalled<CaptionView> final : public Marshalling<CaptionView> {
public:
    using Marshalling::Marshalling;
    void SetCaption(const std::string& text) override { Tell(&CaptionView::SetCaption, text); }
};

template <>
class Marshalled<UpdateDialogView> final : public Marshalling<UpdateDialogView> {
public:
    using Marshalling::Marshalling;
    void ClearLog() override { Tell(&UpdateDialogView::ClearLog); }
    void AddLogLine(const std::string& line) override { Tell(&UpdateDialogView::AddLogLine, line); }
    void SetBarMaximum(uint32_t maximum) override { Tell(&UpdateDialogView::SetBarMaximum, maximum); }
    void SetBarPosition(uint32_t position) override { Tell(&UpdateDialogView::SetBarPosition, position); }
    void CloseDialog() override { Tell(&UpdateDialogView::CloseDialog); }
};

template <>
class Marshalled<ProjectLogView> final : public Marshalling<ProjectLogView> {
public:
    using Marshalling::Marshalling;
    void Clear() override { Tell(&ProjectLogView::Clear); }
    void AppendLine(const std::string& text, LogColour colour) override {
        Tell(&ProjectLogView::AppendLine, text, colour);
    }
};

}  // namespace tq::gui
