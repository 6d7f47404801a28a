#include "core/app/session_assembly.h"

#include <algorithm>
#include <cstdlib>

#include "core/app/session.h"
#include "core/platform/system_volumes.h"
#include "core/texts/system_language.h"
#include "core/texts/text_catalogue.h"
#include "sim/sim_programmer.h"

namespace tq {

std::vector<std::string> DeviceListFromText(const std::string& text) {
#ifdef _WIN32
    const char separator = ';';  // drive letters carry colons
#else
    const char separator = ':';
#endif
    std::vector<std::string> roots;
    size_t from = 0;
    while (from <= text.size()) {
        const size_t cut = std::min(text.find(separator, from), text.size());
        if (cut > from) roots.push_back(text.substr(from, cut - from));
        from = cut + 1;
    }
    return roots;
}

SessionAssembly::SessionAssembly(const FrontEndOptions& options)
    : options_(options),
      folders_(ChooseProgramFolders(FolderEnvironment::FromProcess(options.programDir))),
      clock_(std::make_unique<RealClock>()) {
    Volumes* volumes = nullptr;
    if (options.simulator) {
        simulator_ = std::make_unique<SimProgrammer>(*clock_);
        volumes = &simulator_->volumes();
    } else {
        systemVolumes_ = MakeSystemVolumes();
        volumes = systemVolumes_.get();
    }
    session_ = std::make_unique<Session>(*volumes, *clock_, folders_);
    std::string device = options.device;
    if (device.empty() && !options.simulator)
        if (const char* env = std::getenv("TQPROG_DEVICE"); env) device = env;
    session_->Device.Link.SetExplicitDevice(device);
    if (!options.simulator)
        if (const char* env = std::getenv("TQPROG_DEVICES"); env) session_->Device.Link.SetExtraDevices(DeviceListFromText(env));
}

SessionAssembly::~SessionAssembly() = default;

bool SessionAssembly::Start(StartupResult& result, std::string& error) {
    StartupOptions startup;
    startup.language = options_.language;
    startup.defaultLanguage = SystemLanguage();
    if (!PrepareUserFolders(folders_, error)) return false;
    result = RunStartup(*session_, startup);
    if (result.outcome == StartupOutcome::DatabaseMissing) {
        error = result.message;
        return false;
    }
    if (!simulator_) return true;
    if (!session_->Chip.Database) {
        error = Text(session_->Texts.Language, TextId::SimulatorNeedsDatabase);
        return false;
    }
    if (!SetUpSimulator(*simulator_, *session_->Chip.Database, options_.sim, error)) return false;
    simulatorStateLoaded_ = !options_.sim.stateFolder.empty();
    return true;
}

bool SessionAssembly::KeepSimulatorState(std::string& error) {
    if (!simulatorStateLoaded_) return true;
    return simulator_->SaveState(options_.sim.stateFolder, error);
}

}  // namespace tq
