// The texts and settings context: the language in use, its texts and the
// folders of the program's files.
#pragma once

#include <cstdint>
#include <filesystem>

#include "core/texts/language_texts.h"

namespace tq {

struct TextContext {
    int32_t Language = 0;  // 0 Simplified Chinese, 1 Traditional Chinese, else English
    Dev_Language_Struct DevLanguage;
    // What ships with the program: language files, user manual, firmware images.
    std::filesystem::path ProgramFolder;
    // Where this user's files live. In the portable layout all three are
    // the program folder (temp/ in it); an installed program keeps them in
    // the user's configuration, data and cache folders.
    std::filesystem::path SettingsFolder;  // dev.ini
    std::filesystem::path DataFolder;      // login.dat
    std::filesystem::path TempFolder;      // converted files, the project file
};

}  // namespace tq
