#include "core/project/project_editor.h"

#include <cstdio>

#include "core/base/number_text.h"
#include "core/base/text_encoding.h"
#include "core/operations/operation_context.h"
#include "core/project/project_crc.h"
#include "core/project/project_texts.h"

namespace tq {

ProjectEditor::ProjectEditor(OperationContext& context, ProjectLogView& log, bool& chipFrameInDialog)
    : context_(context), log_(log), chipFrameInDialog_(chipFrameInDialog) {}

void ProjectEditor::MenuPrjOfflineClick() {
    Prj_Info_Struct& offline = context_.Chip.PrjInfoOffline;
    const Prj_Info_Struct& current = context_.Chip.PrjInfo;
    offline.PrjSpare = "NULL";
    log_.Clear();
    log_.AppendLine("文件名:文件待选择.", LogColour::WindowText);
    chipFrameInDialog_ = true;
    offline.IdCheck = current.IdCheck;
    offline.Erase = current.Erase;
    offline.Write = current.Write;
    offline.Verify = current.Verify;
    form.chkPrjIdCheck = current.IdCheck != 0;
    form.chkPrjErase = current.Erase != 0;
    form.chkPrjWrite = current.Write != 0;
    form.chkPrjVerify = current.Verify != 0;
}

bool ProjectEditor::Button2Click() {
    const std::string path = context_.Views.fileDialog->ChooseOpenFile(
        "", {{"Bin File", "*.bin"}, {"CAM File", "*.cam"}, {"ALL", "*.*"}}, "", "");
    if (path.empty()) return false;

    // Read the file before anything changes, so a file that cannot be read
    // leaves the previous choice in place.
    DataFileFacts facts;
    switch (ProjectCrcOfFile(path, facts)) {
        case DataFileError::None: break;
        case DataFileError::CannotOpen: context_.Views.messages->ShowError(CannotOpenText(context_, path)); return false;
        case DataFileError::CannotRead: context_.Views.messages->ShowError(CannotReadText(context_, path)); return false;
        case DataFileError::TooLarge:
            context_.Views.messages->ShowError(
                ProjectText(context_, "数据文件不能达到4 GiB：", "資料檔案不能達到4 GiB：",
                            "The data file must be smaller than 4 GiB: ") + path);
            return false;
    }
    Prj_Info_Struct& offline = context_.Chip.PrjInfoOffline;
    offline.DataFileName = path;
    offline.FileLen = facts.length;
    offline.Crc32 = facts.crc;
    log_.Clear();
    const size_t cut = path.find_last_of("\\/");
    const std::string name = CutToGbkBytes(cut == std::string::npos ? path : path.substr(cut + 1), 64);
    form.editPrjName = name;

    const int language = context_.Texts.Language;
    const std::string prefix = language == 0 || language == 1 ? "文件名: " : "File Name: ";
    log_.AppendLine(prefix + name + "    CRC32: 0x" + HexText(facts.crc, 8), LogColour::Grey);
    log_.AppendLine(ProjectText(context_, "注意：文件名只支持显示英文字符（包含大小写）与数字！中文会导致显示异常！",
                                "注意: 文件名只支持顯示英文字符（包含大小寫）與數字！中文會導致顯示異常！", "    "),
                    LogColour::Red);
    return true;
}

void ProjectEditor::FormClose() { chipFrameInDialog_ = false; }

}  // namespace tq
