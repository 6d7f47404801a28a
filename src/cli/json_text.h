// JSON output of the commands that offer --json: just enough to write
// objects and arrays of texts and numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/chipdb/chip_row.h"

namespace tq {

// A text as a JSON string, quotes included.
std::string JsonString(std::string_view text);

// {"key": value, ...}: the values are JSON already (JsonString, numbers,
// arrays); the keys keep their order.
std::string JsonObject(const std::vector<std::pair<std::string, std::string>>& members);

// [value, ...] of JSON values.
std::string JsonArray(const std::vector<std::string>& values);

// A chip of the database: name, type, maker, capacity in bytes, ID.
std::string ChipJson(const ChipRow& row);

}  // namespace tq
