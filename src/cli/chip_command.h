// The steps the chip commands share: connect to the programmer, select the
// chip named with -c, take --start, and turn a handler's outcome into a
// message and an exit status.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/exit_status.h"
#include "core/operations/operation_display.h"

namespace tq {

class CliContext;

// What a chip command did, for its failure message.
enum class ChipCommand { Erase, BlankCheck, Write, Read, Verify, Auto, SelfCheck, Detect };

// Finds, claims and identifies the programmer; false (message and status
// set) when there is none, it does not answer, or another process uses it.
bool ConnectForCommand(CliContext& context);

// --start when given; false (message and usage status set) when it is not
// a hexadecimal number.
bool ReadStartOption(CliContext& context, std::optional<uint32_t>& start);

// Selects the chip named with -c as the chip selection does (the buffer
// becomes a fresh 0xFF image of the chip's size). False (message and status
// set) without a name or for a name the database lacks.
bool SelectGivenChip(CliContext& context);

// Loads FILE (write, verify, auto) into the buffer from the chip address
// `start`. A file longer than the chip from there is refused with a line
// saying how much does not fit (status 1), unless `truncate`: then the part
// that fits is used and a line says what was left out.
bool LoadFileForCommand(CliContext& context, const std::string& file, uint32_t start, bool truncate);

// The failure message of an outcome (empty for success) and its exit status.
std::string OutcomeMessage(int32_t language, ChipCommand command, OperationOutcome outcome);
int OutcomeStatus(OperationOutcome outcome);

// Reports the outcome: nothing on success, else the message and the status.
void ReportOutcome(CliContext& context, ChipCommand command, OperationOutcome outcome);

}  // namespace tq
