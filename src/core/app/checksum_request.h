// The checksums a person asks for in the dialog or on the command line: of
// the buffer, of the chip (read into an image of its own, the buffer left
// alone) or of a file's image, whole or a range of it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/buffer/image_digests.h"
#include "core/operations/operation_display.h"

namespace tq {

class Session;

enum class SumSource { Buffer, Chip, File };

struct ChecksumRequest {
    SumSource source = SumSource::Buffer;
    std::string file;      // for SumSource::File
    std::string from, to;  // hex addresses, empty: the image's start and end
};

struct ChecksumReport {
    bool ok = false;
    std::string error;                  // what failed, in the session's language
    OperationOutcome chipRead = OperationOutcome::Succeeded;  // SumSource::Chip: how the read ended
    std::vector<std::string> warnings;  // a file's skipped records and such
    std::string source;                 // what was summed: "Buffer", the chip's name, the file
    uint64_t imageSize = 0;
    SumRange range;
    DigestTexts sums;
};

// Sums what `request` names. A chip is read with the read's checks, the bar
// showing progress and Stop answered; its outcome's line is the error.
ChecksumReport ComputeChecksums(Session& session, const ChecksumRequest& request);

// The range texts the dialog starts with: the selection in the buffer, or
// empty (the whole image).
std::pair<std::string, std::string> SelectedSumRange(const Session& session);

}  // namespace tq
