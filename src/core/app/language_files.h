// The further language files of a run: found in the program folder and the
// user's data folder, installed once before anything reads a text, and what
// the front-ends say about them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/program_folders.h"
#include "core/texts/language_set.h"
#include "core/texts/text_catalogue.h"

namespace tq {

// Scans the folders, installs what it found (InstallLanguages) and returns
// the files it passed over.
std::vector<LanguageFileProblem> InstallLanguageFiles(const ProgramFolders& folders);

// The lines a front-end prints: one per file passed over; with `trace` also
// one per installed language saying which keys it lacks, or that it has all.
std::vector<std::string> LanguageFileNotes(std::span<const LanguageFileProblem> problems, int32_t language, bool trace);

// The value of `--name VALUE` or `--name=VALUE`, for the few options needed
// before the parser runs (the language of its help, the folder of the
// language files); empty when absent.
std::string OptionBeforeParsing(std::span<const std::string> arguments, std::string_view name);

// The text of --lang's help or refusal followed by the codes it takes beyond
// 0, 1 and 2: "...; or a language code: de, pt-BR" (the text alone while no
// further language is installed).
std::string WithLanguageCodes(int32_t language, TextId id);

// The English reference a translation starts from, UTF-8: [Language], the
// caption sections with EN.ini's values (from `programFolder`), and [Texts]
// with every catalogue entry.
std::string LanguageTemplate(const std::filesystem::path& programFolder);

}  // namespace tq
