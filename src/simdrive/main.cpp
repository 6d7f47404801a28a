// tqprog-simdrive MOUNTPOINT: the simulated programmer as a mounted drive,
// so the host program's real Linux transfer path (discovery, Write.Temp
// opened unbuffered, whole-sector transfers through the kernel) runs
// without the hardware.
#include <pthread.h>
#include <signal.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <thread>

#include "core/app/program_folders.h"
#include "core/app/session_assembly.h"
#include "core/app/simulator_setup.h"
#include "core/chipdb/chip_database.h"
#include "core/platform/clock.h"
#include "sim/sim_programmer.h"
#include "simdrive/sim_drive.h"

namespace {

struct Options {
    std::string mountPoint;
    std::string programDir;
    tq::SimulatorOptions sim;
    std::string serial;
    int64_t unplugAfter = -1;
    std::vector<std::string> silentCodes;
    uint32_t faultRate = 0;
    uint32_t faultSeed = 1;
    std::vector<std::string> faultKinds;
};

// What the random faults have done so far, for the person running a soak.
std::string FaultSummary(const tq::SimFaultCounts& counts) {
    std::ostringstream out;
    out << "faults " << counts.Total() << ": " << counts.failedTransfers << " failed transfers, " << counts.droppedAnswers
        << " lost answers, " << counts.chipsTakenOut << " chips taken out, " << counts.drivesPulled << " drives pulled";
    return out.str();
}

// SIGUSR1 keeps the memories in --sim-state at once, between transfers, so
// a test can look at the chip while the drive stays mounted. Each keep is
// said on stderr with its running number.
class StateOnSignal {
public:
    StateOnSignal(tq::SimDrive& drive, tq::SimProgrammer& programmer, std::string folder) {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGUSR1);
        pthread_sigmask(SIG_BLOCK, &set, nullptr);
        thread_ = std::thread([this, set, &drive, &programmer, folder] {
            for (uint64_t kept = 1;; ++kept) {
                int signal = 0;
                sigwait(&set, &signal);
                if (stop_) return;
                std::string error;
                bool saved = false;
                tq::SimFaultCounts counts;
                drive.BetweenTransfers([&] {
                    saved = !folder.empty() && programmer.SaveState(folder, error);
                    counts = programmer.faultCounts();
                });
                // One write, so a reader never sees half the line.
                std::cerr << "tqprog-simdrive: " + (saved ? "state kept " + std::to_string(kept) : "state not kept: " + error) +
                                 "; " + FaultSummary(counts) + "\n"
                          << std::flush;
            }
        });
    }
    ~StateOnSignal() {
        stop_ = true;
        pthread_kill(thread_.native_handle(), SIGUSR1);
        thread_.join();
    }

private:
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

int Fail(const std::string& message) {
    std::cerr << "tqprog-simdrive: " << message << '\n';
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    CLI::App app{"tqprog-simdrive: the simulated TQM7300B programmer as a mounted 4608-byte drive holding Write.Temp",
                 "tqprog-simdrive"};
    app.add_option("mountpoint", o.mountPoint, "Folder to mount the drive on (made when missing)")->required();
    app.add_option("--program-dir", o.programDir, "Folder holding login.dat (default: TQPROG_HOME, else the executable's folder)");
    app.add_option("--sim-chip", o.sim.socketChip, "Chip in the socket, by its name in the chip database (default: none)");
    app.add_option("--sim-state", o.sim.stateFolder, "Folder keeping the chip memories and storage between runs (saved on unmount)");
    app.add_option("--sim-erase-ms", o.sim.eraseMs, "How long the chip takes to erase, in ms (default: its EraseTime)")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--sim-serial", o.serial, "Serial number the programmer reports (tells drives apart)");
    app.add_option("--sim-unplug-after", o.unplugAfter,
                   "Unplug after this many transfers: the next one fails and the drive is unmounted")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--sim-silent", o.silentCodes, "Leave this command unanswered (hex code, e.g. 10); repeatable");
    app.add_option("--sim-fault-rate", o.faultRate,
                   "Random faults: the chance in a million that a transfer meets one (default: 0, none)")
        ->check(CLI::Range(0u, 1000000u));
    app.add_option("--sim-fault-seed", o.faultSeed, "Seed of the random faults (default: 1)");
    app.add_option("--sim-fault-kinds", o.faultKinds,
                   "Which random faults: fail, silent, chip, pull (default: all); repeatable or comma-separated")
        ->delimiter(',')
        ->check(CLI::IsMember({"fail", "silent", "chip", "pull"}));
    CLI11_PARSE(app, argc, argv);

    tq::RealClock clock;
    tq::SimProgrammer programmer(clock);
    if (!o.serial.empty()) programmer.identity.serial = o.serial;
    if (o.unplugAfter >= 0) programmer.faults.removeAfterTransfers = static_cast<uint32_t>(o.unplugAfter);
    for (const std::string& code : o.silentCodes) {
        size_t used = 0;
        unsigned long value = 0;
        try {
            value = std::stoul(code, &used, 16);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != code.size() || value > 0xFF) return Fail("--sim-silent: not a hexadecimal command code: " + code);
        programmer.faults.silentCommands.insert(static_cast<uint8_t>(value));
    }

    programmer.randomFaults.perMillion = o.faultRate;
    programmer.randomFaults.seed = o.faultSeed;
    if (!o.faultKinds.empty()) {
        const auto on = [&o](const char* kind) { return std::find(o.faultKinds.begin(), o.faultKinds.end(), kind) != o.faultKinds.end(); };
        programmer.randomFaults.failTransfer = on("fail");
        programmer.randomFaults.dropAnswer = on("silent");
        programmer.randomFaults.takeChipOut = on("chip");
        programmer.randomFaults.pullDrive = on("pull");
    }

    std::string error;
    try {
        // The user's copy when there is one: it knows the user's own chips too.
        const tq::ProgramFolders folders =
            tq::ChooseProgramFolders(tq::FolderEnvironment::FromProcess(o.programDir));
        std::filesystem::path login = folders.data / "login.dat";
        if (!std::filesystem::exists(login)) login = folders.program / "login.dat";
        const auto database = tq::ChipDatabase::Open(login);
        if (!tq::SetUpSimulator(programmer, *database, o.sim, error)) return Fail(error);
    } catch (const tq::DatabaseError& e) {
        return Fail(std::string("chip database: ") + e.what());
    }

    std::error_code ec;
    std::filesystem::create_directories(o.mountPoint, ec);
    tq::SimDrive drive(programmer);
    const tq::SimChip* chip = programmer.chip();
    std::cerr << "tqprog-simdrive: " << o.mountPoint << ": " << (chip ? chip->name : std::string("no chip"))
              << " in the socket; Ctrl+C unmounts\n";
    bool served = false;
    {
        const StateOnSignal keeper(drive, programmer, o.sim.stateFolder);
        served = drive.Serve(o.mountPoint, error);
    }
    int status = served ? 0 : Fail(error);
    if (!o.sim.stateFolder.empty() && !programmer.SaveState(o.sim.stateFolder, error))
        status = Fail("--sim-state: the memories were not kept: " + error);
    if (served)
        std::cerr << "tqprog-simdrive: " << o.mountPoint << " unmounted after " << drive.transfers() << " transfers; "
                  << FaultSummary(programmer.faultCounts()) << '\n';
    return status;
}
