// Simulated programmers for the line of programmers: a number of in-process
// programmers, each with its own serial number and the same chip in its
// socket, for a person without the hardware and for tests, which can pull
// one (`attached`) while the line runs.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/app/production_line.h"
#include "core/app/simulator_setup.h"
#include "core/platform/clock.h"

namespace tq {

class SimProgrammer;

class SimulatedLine final : public ProgrammerDiscovery {
public:
    explicit SimulatedLine(size_t count);
    ~SimulatedLine() override;

    // Puts the chip the options name into every socket, from the chip
    // database in `dataFolder`. False with `error` as the simulator set-up says.
    bool SetUp(const std::filesystem::path& dataFolder, const SimulatorOptions& options, std::string& error);

    size_t size() const { return programmers_.size(); }
    SimProgrammer& programmer(size_t index) { return *programmers_.at(index); }

    // The attached ones, keyed "sim1:", "sim2:" ...
    std::vector<FoundProgrammer> Find() override;
    Clock& clock() override { return clock_; }

private:
    RealClock clock_;
    std::vector<std::unique_ptr<SimProgrammer>> programmers_;
};

}  // namespace tq
