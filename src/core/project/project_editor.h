// The offline project editor without its widgets: opening it (log reset,
// the chip frame moved in, the step options copied), choosing the data file
// (name, length and checksum into PrjInfoOffline, two log lines) and closing
// it (the chip frame returned).
#pragma once

#include <string>

#include "core/project/project_file.h"

namespace tq {

struct OperationContext;

// memLogOffPrj: a rich edit whose lines carry a colour.
enum class LogColour { WindowText, Grey, Red };  // grey is RGB 128/128/128
class ProjectLogView {
public:
    virtual ~ProjectLogView() = default;
    virtual void Clear() = 0;
    virtual void AppendLine(const std::string& text, LogColour colour) = 0;
};

class ProjectEditor {
public:
    // chipFrameInDialog is the main window's flag that the chip frame sits in
    // this dialog (choosing a chip there then leaves the buffer alone).
    ProjectEditor(OperationContext& context, ProjectLogView& log, bool& chipFrameInDialog);

    ProjectForm form;  // the dialog's controls

    // Opens the dialog: the log shows only "文件名:文件待选择.", the chip
    // frame moves in (choosing a chip then leaves the buffer alone) and the
    // four step options come from PrjInfo.
    void MenuPrjOfflineClick();
    // Chooses the data file. False when the person cancelled or the file could
    // not be read (reported with its path); the log and PrjInfoOffline are
    // then as they were.
    bool Button2Click();
    // Closes the dialog: the chip frame goes back to the main window.
    void FormClose();

private:
    OperationContext& context_;
    ProjectLogView& log_;
    bool& chipFrameInDialog_;
};

}  // namespace tq
