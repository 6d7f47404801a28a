// Texts of the offline project that the language files do not carry, in the
// language of the Language setting.
#pragma once

#include <string>

#include "core/texts/language.h"
#include "core/operations/operation_context.h"

namespace tq {

inline std::string ProjectText(const OperationContext& context, const char* simplified, const char* traditional,
                               const char* english) {
    return Triplet(context.Texts.Language, simplified, traditional, english);
}

inline std::string CannotOpenText(const OperationContext& context, const std::string& path) {
    return ProjectText(context, "无法打开文件：", "無法開啟檔案：", "Cannot open file: ") + path;
}

inline std::string CannotReadText(const OperationContext& context, const std::string& path) {
    return ProjectText(context, "无法读取文件：", "無法讀取檔案：", "Cannot read file: ") + path;
}

}  // namespace tq
