// A station for the ledger's concurrency test: takes COUNT numbers of JOB
// one at a time, records a passed run for each and prints the number. With
// HOLD it stops after taking number HOLD (counting from 0) without recording
// it, prints "holding N" and waits to be killed, as a station pulled mid-run.
//   tqledger-allocator LOCATION JOB COUNT [HOLD]
#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/production/production_ledger.h"

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const std::string job = argv[2];
    const long count = std::stol(argv[3]);
    const long hold = argc > 4 ? std::stol(argv[4]) : -1;
    try {
        const auto ledger = tq::OpenProductionLedger(argv[1]);
        const std::string station = "station-" + std::to_string(getpid());
        for (long i = 0; i < count; ++i) {
            const tq::SerialAllocation taken =
                ledger->AllocateSerials(job, 1, 1, 1, {station, "P" + std::to_string(getpid()), "2026-01-01T00:00:00Z"});
            if (i == hold) {
                std::printf("holding %llu\n", static_cast<unsigned long long>(taken.first));
                std::fflush(stdout);
                for (;;) pause();
            }
            tq::RunRecord run;
            run.time = "2026-01-01T00:00:01Z";
            run.station = station;
            run.job = job;
            run.serial = taken.first;
            run.allocationId = taken.id;
            run.result = tq::RunResult::Passed;
            ledger->RecordRun(run);
            std::printf("%llu\n", static_cast<unsigned long long>(taken.first));
        }
    } catch (const tq::LedgerError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
