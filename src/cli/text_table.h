// Columns of text for the terminal, aligned by display width (a Chinese
// character takes two columns).
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace tq {

// Terminal columns of a UTF-8 text: wide (CJK) characters take two.
size_t DisplayWidth(std::string_view text);

// Prints the rows with two blanks between columns and no trailing blanks.
void PrintTable(std::ostream& out, const std::vector<std::vector<std::string>>& rows);

}  // namespace tq
