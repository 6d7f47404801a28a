// The texts and settings context: the language in use, its texts and the
// program folder that holds the language files, dev.ini and temp/.
#pragma once

#include <cstdint>
#include <filesystem>

#include "core/texts/language_texts.h"

namespace tq {

struct TextContext {
    int32_t Language = 0;  // 0 Simplified Chinese, 1 Traditional Chinese, else English
    Dev_Language_Struct DevLanguage;
    std::filesystem::path ProgramFolder;
};

}  // namespace tq
