#include "core/production/log_export.h"

namespace tq {
namespace {

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        line += CsvField(fields[i]);
    }
    return line + "\r\n";
}

}  // namespace

const std::vector<std::string>& LogColumns() {
    static const std::vector<std::string> columns = {
        "time", "station", "programmer", "chip", "chip_id", "image_sha256", "job", "serial",
        "serial_void", "steps", "result", "duration_ms", "message"};
    return columns;
}

std::vector<std::string> LogFields(const RunRecord& run) {
    return {run.time,
            run.station,
            run.programmer,
            run.chip,
            run.chipId,
            run.imageSha256,
            run.job,
            run.serial ? std::to_string(*run.serial) : std::string(),
            run.SerialVoid() ? "1" : "0",
            run.steps,
            RunResultName(run.result),
            std::to_string(run.durationMs),
            run.message};
}

std::string LogCsv(const std::vector<RunRecord>& runs) {
    std::string text = CsvLine(LogColumns());
    for (const RunRecord& run : runs) text += CsvLine(LogFields(run));
    return text;
}

}  // namespace tq
