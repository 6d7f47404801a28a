// What every front-end records of one programming run for the production
// log: who ran it, the chip as the socket answers, the image written (with
// its serial number, taken from the ledger before the write). The CLI's
// chip commands and the line of programmers both fill their rows here.
#pragma once

#include <string>

#include "core/production/production_ledger.h"
#include "core/production/serial_stamp.h"

namespace tq {

struct OperationContext;
struct OperationOptions;

// The ID the chip in the socket answers with, as detection keys it (six hex
// digits); empty when the chip answers none or the programmer is silent.
// The log keeps what was read, not what the database expects of the name.
std::string ReadSocketChipId(OperationContext& operation);

// A run's row before the run: time, station, programmer, the selected chip,
// the ID read from the socket, the job and the steps.
RunRecord StartRunRecord(OperationContext& operation, const std::string& job, const std::string& steps);

// "id,erase,write,verify": the auto run's steps as the log names them.
std::string AutoStepsText(const OperationOptions& options);

// SHA-256 (hex) of the bytes a write sends, serial number included; empty
// without data.
std::string WrittenImageDigest(const OperationContext& operation);

enum class SerialTaking { Stamped, TooWide };

// Takes the job's next number for this run (recorded in `run`) and stamps
// it into the buffer. TooWide: the job has run past what the length holds;
// the number is spent and the buffer untouched. LedgerError when the ledger
// fails.
SerialTaking TakeSerial(ProductionLedger& ledger, const SerialStamp& stamp, OperationContext& operation,
                        RunRecord& run);

}  // namespace tq
