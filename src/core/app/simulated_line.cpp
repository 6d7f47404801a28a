#include "core/app/simulated_line.h"

#include <cstdio>

#include "core/chipdb/chip_database.h"
#include "sim/sim_programmer.h"

namespace tq {

SimulatedLine::SimulatedLine(size_t count) {
    for (size_t i = 0; i < count; ++i) {
        auto programmer = std::make_unique<SimProgrammer>(clock_);
        char serial[32];
        std::snprintf(serial, sizeof serial, "TQ7300B%08zu", 12345 + i);
        programmer->identity.serial = serial;
        programmers_.push_back(std::move(programmer));
    }
}

SimulatedLine::~SimulatedLine() = default;

bool SimulatedLine::SetUp(const std::filesystem::path& dataFolder, const SimulatorOptions& given, std::string& error) {
    // Kept memories belong to the main window's programmer, not to these.
    SimulatorOptions options = given;
    options.stateFolder.clear();
    try {
        const std::unique_ptr<ChipDatabase> database = ChipDatabase::Open(dataFolder / kDatabaseFileName);
        for (std::unique_ptr<SimProgrammer>& programmer : programmers_)
            if (!SetUpSimulator(*programmer, *database, options, error)) return false;
    } catch (const DatabaseError& failure) {
        error = failure.what();
        return false;
    }
    return true;
}

std::vector<FoundProgrammer> SimulatedLine::Find() {
    std::vector<FoundProgrammer> found;
    for (size_t i = 0; i < programmers_.size(); ++i)
        if (programmers_[i]->attached) found.push_back({"sim" + std::to_string(i + 1) + ":", "", &programmers_[i]->volumes()});
    return found;
}

}  // namespace tq
