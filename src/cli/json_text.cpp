#include "cli/json_text.h"

#include <cstdio>

namespace tq {

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    for (char c : text) {
        switch (c) {
            case '"': json += "\\\""; break;
            case '\\': json += "\\\\"; break;
            case '\n': json += "\\n"; break;
            case '\r': json += "\\r"; break;
            case '\t': json += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                    json += escaped;
                } else {
                    json += c;
                }
        }
    }
    return json + "\"";
}

std::string JsonObject(const std::vector<std::pair<std::string, std::string>>& members) {
    std::string json = "{";
    for (size_t i = 0; i < members.size(); ++i)
        json += (i ? ", " : "") + JsonString(members[i].first) + ": " + members[i].second;
    return json + "}";
}

std::string JsonArray(const std::vector<std::string>& values) {
    std::string json = "[";
    for (size_t i = 0; i < values.size(); ++i) json += (i ? ", " : "") + values[i];
    return json + "]";
}

std::string ChipJson(const ChipRow& row) {
    return JsonObject({{"name", JsonString(row.ChipName)},
                       {"type", JsonString(row.ChipType)},
                       {"maker", JsonString(row.ManufName)},
                       {"capacity", std::to_string(row.Capacity > 0 ? row.Capacity : 0)},
                       {"id", JsonString(row.ChipID)}});
}

}  // namespace tq
