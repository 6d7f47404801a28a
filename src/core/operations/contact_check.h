// Reading the chip twice to tell a bad contact or a weak cell from a sound
// chip in a clean socket: two reads that differ name the addresses that do
// not hold still. The buffer is never touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/buffer/image_compare.h"
#include "core/operations/operation_display.h"

namespace tq {

struct OperationContext;

// The differing ranges a report lists one by one; the rest are counted.
inline constexpr size_t kReportedDifferenceRuns = 8;

struct ContactCheck {
    OperationOutcome outcome = OperationOutcome::Failed;  // Succeeded once both reads arrived
    std::vector<uint8_t> first, second;                   // the two reads of the whole chip
    ImageDifference difference;                           // second against first, runs capped
    bool stable() const { return outcome == OperationOutcome::Succeeded && difference.equal(); }
};

// Reads the whole chip twice, with the checks every read makes, and
// compares the reads. Progress and a stop act as in a read.
ContactCheck ReadChipTwice(OperationContext& operation);

// What a person is told when two reads of the same bytes, `first` and
// `second` at chip address `address`, differ: how many bytes in how many
// ranges, the first ranges with both reads' bytes, and what to do.
std::vector<std::string> DifferenceReport(int32_t language, const ImageDifference& difference, const uint8_t* first,
                                          const uint8_t* second, uint32_t address);
// The report of a check that read both times: "stable" with the CRC-32, or
// the differences. Empty when a read failed (that read has said why).
std::vector<std::string> ContactReport(int32_t language, const ContactCheck& check);

// The desktop program's command: reads twice and puts the report into the
// status line (and so the log) a line at a time. Succeeded when stable,
// Failed when the reads differ.
OperationOutcome CheckContact(OperationContext& operation);

// The auto sequence's second verify, after the first matched the buffer:
// reads the chip again and compares the verified range with the buffer,
// which is what the first read held. kOpSuccess, kOpFailed with the
// differences shown, or the read's own failure or stop code.
int VerifyAgain(OperationContext& operation, uint8_t channel);

}  // namespace tq
