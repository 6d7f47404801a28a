// The offline project editor without its widgets: opening it (log reset,
// the chip frame moved in, the step options copied), choosing the data file
// (name, length and checksum into PrjInfoOffline, two log lines) and closing
// it (the chip frame returned). The plan it holds is what DownloadProject takes.
#pragma once

#include <string>

#include "core/project/project_file.h"

namespace tq {

struct OperationContext;
class FileDialogView;
class MessageView;

// memLogOffPrj: a rich edit whose lines carry a colour.
enum class LogColour { WindowText, Grey, Red };  // grey is RGB 128/128/128
class ProjectLogView {
public:
    virtual ~ProjectLogView() = default;
    virtual void Clear() = 0;
    virtual void AppendLine(const std::string& text, LogColour colour) = 0;
};

// Takes `path` as the plan's data file: the length and checksum of its image
// (see ReadDataFile) go into PrjInfoOffline, its name (cut to 64 bytes)
// becomes the plan's name and the log shows name and checksum. False when the
// file is refused (the reason, with its path, shown on `messages`); log, plan
// and PrjInfoOffline are then as they were.
bool ChooseDataFile(OperationContext& context, MessageView& messages, ProjectLogView& log, ProjectPlan& plan,
                    const std::string& path);

// The project dialog's state: its fields as a plan, and what opening and
// closing it do.
class ProjectEditor {
public:
    // chipFrameInDialog is the main window's flag that the chip frame sits in
    // this dialog (choosing a chip there then leaves the buffer alone).
    ProjectEditor(OperationContext& context, ProjectLogView& log, bool& chipFrameInDialog);

    ProjectPlan plan;

    // Opens the editor: the log shows only that no data file is chosen, the
    // chip frame moves in and the four steps come from PrjInfo.
    void Open();
    // Asks for the data file, offering the formats of the format table, and
    // takes it (see ChooseDataFile). False when the person cancelled or the
    // file was refused.
    bool ChooseDataFile(FileDialogView& files, MessageView& messages);
    // Closes the editor: the chip frame goes back to the main window.
    void Close();

private:
    OperationContext& context_;
    ProjectLogView& log_;
    bool& chipFrameInDialog_;
};

}  // namespace tq
