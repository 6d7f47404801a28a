#include "core/project/project_editor.h"

#include <cstdio>
#include <vector>

#include "core/base/number_text.h"
#include "core/base/text_encoding.h"
#include "core/base/views.h"
#include "core/buffer/image_formats.h"
#include "core/operations/operation_context.h"
#include "core/project/project_download.h"
#include "core/project/project_texts.h"

namespace tq {

ProjectEditor::ProjectEditor(OperationContext& context, ProjectLogView& log, bool& chipFrameInDialog)
    : context_(context), log_(log), chipFrameInDialog_(chipFrameInDialog) {}

void ProjectEditor::Open() {
    Prj_Info_Struct& offline = context_.Chip.PrjInfoOffline;
    const Prj_Info_Struct& current = context_.Chip.PrjInfo;
    offline.PrjSpare = "NULL";
    log_.Clear();
    log_.AppendLine(ProjectText(context_, TextId::ProjectLogNoDataFile), LogColour::WindowText);
    chipFrameInDialog_ = true;
    offline.IdCheck = current.IdCheck;
    offline.Erase = current.Erase;
    offline.Write = current.Write;
    offline.Verify = current.Verify;
    plan.idCheck = current.IdCheck != 0;
    plan.erase = current.Erase != 0;
    plan.write = current.Write != 0;
    plan.verify = current.Verify != 0;
}

bool ProjectEditor::ChooseDataFile(FileDialogView& files, MessageView& messages) {
    const std::string path = files.ChooseOpenFile("", OpenFileFilters(context_.Texts.Language), "", "");
    return !path.empty() && tq::ChooseDataFile(context_, messages, log_, plan, path);
}

void ProjectEditor::Close() { chipFrameInDialog_ = false; }

bool ChooseDataFile(OperationContext& context, MessageView& messages, ProjectLogView& log, ProjectPlan& plan,
                    const std::string& path) {
    // Read the file before anything changes, so a refused file leaves the
    // previous choice in place.
    std::vector<uint8_t> data;
    if (!ReadDataFile(context, messages, path, data)) return false;
    RecordDataFile(context.Chip.PrjInfoOffline, path, data);
    plan.dataFile = path;
    log.Clear();
    const size_t cut = path.find_last_of("\\/");
    const std::string name = CutToGbkBytes(cut == std::string::npos ? path : path.substr(cut + 1), 64);
    plan.name = name;
    log.AppendLine(ProjectText(context, TextId::ProjectLogDataFile, {name, HexText(context.Chip.PrjInfoOffline.Crc32, 8)}), LogColour::Grey);
    log.AppendLine(ProjectText(context, TextId::ProjectLogNameWarning), LogColour::Red);
    return true;
}

}  // namespace tq
