// How a front-end brings a session up: the program folder, the clock, the
// real volumes or the simulated programmer behind the platform seam, an
// explicit programmer drive or extra volumes for discovery, start-up, and
// the simulated socket.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/app/program_folders.h"
#include "core/app/simulator_setup.h"
#include "core/app/startup.h"

namespace tq {

class Clock;
class Session;
class SimProgrammer;
class Volumes;

struct FrontEndOptions {
    bool simulator = false;                  // --simulator
    std::string device;                      // --device PATH; empty: TQPROG_DEVICE, else discovery
    std::string programDir;                  // --program-dir DIR; empty: TQPROG_HOME, else as ProgramFolders says
    std::optional<int32_t> language;         // --lang N; empty: the Language setting, else the system locale's
    SimulatorOptions sim;                    // only with `simulator`
};

// The volume roots of TQPROG_DEVICES, which discovery examines after the
// removable volumes: separated by ':' (';' on Windows), empty parts skipped.
std::vector<std::string> DeviceListFromText(const std::string& text);


// Owns what a session runs on. Construct, wire the session's views, then Start.
class SessionAssembly {
public:
    explicit SessionAssembly(const FrontEndOptions& options);
    ~SessionAssembly();
    SessionAssembly(const SessionAssembly&) = delete;
    SessionAssembly& operator=(const SessionAssembly&) = delete;

    Session& session() { return *session_; }
    Clock& clock() { return *clock_; }
    SimProgrammer* simulator() { return simulator_.get(); }

    // Readies the per-user folders of an installed program, runs start-up
    // and puts the simulated chip into the socket. False with `error` when
    // the session cannot come up: a missing database, per-user folders that
    // cannot be made, or a simulator set-up the options make impossible. A database that fails
    // later in start-up is left to the result, as start-up reports it.
    bool Start(StartupResult& result, std::string& error);

    // Writes the simulated memories back to the state folder; true when
    // there was nothing to keep.
    bool KeepSimulatorState(std::string& error);

    const ProgramFolders& folders() const { return folders_; }

private:
    FrontEndOptions options_;
    ProgramFolders folders_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<Volumes> systemVolumes_;
    std::unique_ptr<SimProgrammer> simulator_;
    std::unique_ptr<Session> session_;
    bool simulatorStateLoaded_ = false;
};

}  // namespace tq
