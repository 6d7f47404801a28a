// tqprog-simdrive MOUNTPOINT: the simulated programmer as a mounted drive,
// so the host program's real Linux transfer path (discovery, Write.Temp
// opened unbuffered, whole-sector transfers through the kernel) runs
// without the hardware.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>

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
    const bool served = drive.Serve(o.mountPoint, error);
    int status = served ? 0 : Fail(error);
    if (!o.sim.stateFolder.empty() && !programmer.SaveState(o.sim.stateFolder, error))
        status = Fail("--sim-state: the memories were not kept: " + error);
    if (served)
        std::cerr << "tqprog-simdrive: " << o.mountPoint << " unmounted after " << drive.transfers() << " transfers\n";
    return status;
}
