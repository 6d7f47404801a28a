#include "core/production/production_run.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "core/buffer/image_digests.h"
#include "core/chipdb/operation_record.h"
#include "core/device/commands.h"
#include "core/operations/operation_context.h"
#include "core/operations/write.h"
#include "core/production/station_name.h"

namespace tq {

std::string ReadSocketChipId(OperationContext& operation) {
    if (!operation.Device.Link.Uart.Connected) return {};
    uint32_t id = 0;
    uint8_t errorByte = 0, unused = 0;
    if (ReadChipId(operation.Device.Link, id, errorByte, unused) != CommandResult::Ok || errorByte != 0) return {};
    char key[8];
    std::snprintf(key, sizeof key, "%06X", static_cast<unsigned>(id & 0xFFFFFF));
    return key;
}

RunRecord StartRunRecord(OperationContext& operation, const std::string& job, const std::string& steps) {
    RunRecord run;
    run.time = LedgerTimeNow();
    run.station = StationName();
    run.programmer = operation.Device.DevInf.SerialNo;
    run.chip = operation.Chip.PrjInfo.ChipName;
    run.chipId = ReadSocketChipId(operation);
    run.job = job;
    run.steps = steps;
    return run;
}

std::string AutoStepsText(const OperationOptions& options) {
    std::string steps;
    for (const auto& [on, name] : {std::pair{options.IdCheck, "id"}, std::pair{options.Erase, "erase"},
                                   std::pair{options.Write, "write"}, std::pair{options.Verify, "verify"}})
        if (on) steps += steps.empty() ? name : std::string(",") + name;
    return steps;
}

std::string WrittenImageDigest(const OperationContext& operation) {
    const std::vector<uint8_t>& image = operation.Buffer.RamFile.Data;
    if (image.empty()) return {};
    const size_t length = std::min<size_t>(WriteLength(operation), image.size());
    return DigestHex(DigestsOf(image.data(), length, kDigestSha256).sha256.data(), 32);
}

SerialTaking TakeSerial(ProductionLedger& ledger, const SerialStamp& stamp, OperationContext& operation,
                        RunRecord& run) {
    const SerialAllocation taken =
        ledger.AllocateSerials(run.job, stamp.first, stamp.step, 1, {run.station, run.programmer, run.time});
    run.serial = taken.first;
    run.allocationId = taken.id;
    if (!StampSerial(operation.Buffer.RamFile.Data, stamp, taken.first)) return SerialTaking::TooWide;
    operation.Buffer.KnownStorageSum.reset();
    return SerialTaking::Stamped;
}

}  // namespace tq
