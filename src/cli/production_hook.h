// What the chip commands add for a production line: a serial number taken
// from the ledger and put into the image before the chip is written, and a
// record of the run in the production log once it ended. The operations
// know nothing of either; the command that runs them does both.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "cli/chip_command.h"
#include "core/production/production_ledger.h"
#include "core/production/serial_stamp.h"

namespace CLI {
class App;
}

namespace tq {

class CliContext;

struct SerialOptions {
    std::string address;  // hex, like --start; empty: no serial numbers
    int length = 4;
    std::string endian = "big";
    uint64_t first = 1;
    uint64_t step = 1;
    std::string job = "default";
};

// --serial-address ... --job on a command.
void AddSerialOptions(CLI::App& command, SerialOptions& options);

// The ledger the options name: --production-db, else the ProductionDb
// setting, else the SQLite file in the user's data folder.
std::string LedgerLocation(const CliContext& context);

// The stamp the options describe, checked against an image of `imageSize`
// bytes; false (message and usage status set) when it cannot be applied.
bool ReadSerialStamp(CliContext& context, const SerialOptions& serial, size_t imageSize, SerialStamp& stamp);

// The ledger's failure in the message language.
std::string LedgerFailureText(int32_t language, const LedgerError& error);

class ProductionRun {
public:
    // Before the operation, with the image in the buffer: opens the ledger,
    // takes a number and stamps it. False (message and status set) when the
    // run must not go on.
    bool Prepare(CliContext& context, ChipCommand command, const SerialOptions& serial);
    // After the operation: one record in the log (a failure to keep it is a warning).
    void Finish(CliContext& context, ChipCommand command, OperationOutcome outcome);

private:
    std::unique_ptr<ProductionLedger> ledger_;
    RunRecord run_;
    uint32_t startTick_ = 0;
};

}  // namespace tq
