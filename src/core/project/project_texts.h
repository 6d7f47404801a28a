// Texts of the offline project that the language files do not carry, in the
// language of the Language setting.
#pragma once

#include <string>

#include "core/app/language.h"
#include "core/session.h"

namespace tq {

inline std::string ProjectText(const Session& session, const char* simplified, const char* traditional,
                               const char* english) {
    return Triplet(session.DevInf.Language, simplified, traditional, english);
}

inline std::string CannotOpenText(const Session& session, const std::string& path) {
    return ProjectText(session, "无法打开文件：", "無法開啟檔案：", "Cannot open file: ") + path;
}

inline std::string CannotReadText(const Session& session, const std::string& path) {
    return ProjectText(session, "无法读取文件：", "無法讀取檔案：", "Cannot read file: ") + path;
}

}  // namespace tq
