#include "core/app/production_line.h"

#include <algorithm>
#include <functional>
#include <map>
#include <thread>

#include "core/app/chip_selection.h"
#include "core/app/presence_poll.h"
#include "core/app/session.h"
#include "core/app/startup.h"
#include "core/app/status_log.h"
#include "core/platform/system_volumes.h"
#include "core/production/production_run.h"
#include "core/texts/text_catalogue.h"

namespace tq {
namespace {

class SystemDiscovery final : public ProgrammerDiscovery {
public:
    explicit SystemDiscovery(std::vector<std::string> extraRoots)
        : extraRoots_(std::move(extraRoots)), listing_(MakeSystemVolumes()) {}

    std::vector<FoundProgrammer> Find() override {
        DeviceContext probe(*listing_, clock_);
        probe.Link.SetExtraDevices(extraRoots_);
        std::vector<FoundProgrammer> found;
        for (const DeviceLink::DeviceDrive& drive : probe.Link.DeviceDrives()) {
            // Each session transfers on its own thread: volumes of its own.
            std::unique_ptr<Volumes>& volumes = sessionVolumes_[drive.root];
            if (!volumes) volumes = MakeSystemVolumes();
            found.push_back({drive.root, drive.root, volumes.get()});
        }
        return found;
    }
    Clock& clock() override { return clock_; }

private:
    std::vector<std::string> extraRoots_;
    RealClock clock_;
    std::unique_ptr<Volumes> listing_;
    std::map<std::string, std::unique_ptr<Volumes>> sessionVolumes_;
};

// The bar of a station's session, read by any thread.
class StationProgress final : public ProgressView {
public:
    void SetMaximum(uint32_t maximum) override { maximum_ = maximum; }
    void SetPosition(uint32_t position) override { position_ = position; }
    void SetState(ProgressState) override {}
    void SetBarColour(BarColour) override {}
    void SetLabelText(const std::string&) override {}
    void SetLabelColour(LabelColour) override {}
    std::atomic<uint32_t> maximum_{0}, position_{0};
};

// The status lines a run shows, kept to tell why it failed.
class StationStatus final : public StatusBarView {
public:
    void SetPanelText(int panel, const std::string& text) override {
        if (panel == 0) lines.push_back(text);
    }
    std::vector<std::string> lines;  // the station's thread only
};

std::string WithoutTime(const std::string& line) {
    const bool stamped = line.size() > 9 && line[2] == ':' && line[5] == ':' && line[8] == ' ';
    return stamped ? line.substr(9) : line;
}

}  // namespace

std::unique_ptr<ProgrammerDiscovery> MakeSystemDiscovery(std::vector<std::string> extraRoots) {
    return std::make_unique<SystemDiscovery>(std::move(extraRoots));
}

std::string StationStateText(int32_t language, StationState state) {
    switch (state) {
        case StationState::Idle: return Text(language, TextId::LineStateIdle);
        case StationState::Running: return Text(language, TextId::LineStateRunning);
        case StationState::Passed: return Text(language, TextId::LineStatePassed);
        case StationState::Failed: return Text(language, TextId::LineStateFailed);
        case StationState::Gone: return Text(language, TextId::LineStateGone);
    }
    return {};
}

LineJob LineJobOf(const Session& session) {
    LineJob job;
    const Prj_Info_Struct& prj = session.Chip.PrjInfo;
    job.chip = prj.ChipName;
    job.image = session.Buffer.RamFile.Data;
    job.dataLength = session.Buffer.RamFile.DataLen;
    job.startAddress = prj.RamStartAddr;
    job.steps = AutoStepsOf(prj);
    job.guard = session.Operation.Guard;
    if (job.guard.notBlank == NotBlankRule::Ask) job.guard.notBlank = NotBlankRule::Refuse;
    return job;
}

struct ProductionLine::Station {
    FoundProgrammer found;
    std::unique_ptr<Session> session;
    StationProgress progress;
    StationStatus status;
    mutable std::mutex mutex;  // `shown`
    StationSnapshot shown;
    std::thread thread;
    std::atomic<bool> running{false};
    // Kept for the whole run: the session's own request is cleared by every
    // step that ends before the auto sequence begins.
    std::atomic<bool> stopAsked{false};

    int32_t language() const { return session->Texts.Language; }
    StationSnapshot Copy() const {
        std::lock_guard lock(mutex);
        return shown;
    }
    void Show(const std::function<void(StationSnapshot&)>& change) {
        std::lock_guard lock(mutex);
        change(shown);
    }
    // One poll step of the session; what it found goes into the panel.
    PollResult Poll() {
        const PollResult result = TimerForMassProduct(*session);
        const Dev_Inf_Struct& id = session->Device.DevInf;
        const bool answered = result == PollResult::Identified || result == PollResult::Online;
        std::string reason;
        if (result == PollResult::InUse)
            reason = DeviceInUseText(language(), session->Device.Link.ClaimHolder());
        else if (result == PollResult::NoAnswer)
            reason = Text(language(), TextId::CliProgrammerSilent);
        Show([&](StationSnapshot& s) {
            s.answered = answered;
            if (answered) {
                s.model = id.Model;
                s.serial = id.SerialNo;
                s.firmware = id.FwVersion;
            }
            if (!answered && !reason.empty()) s.reason = reason;
        });
        return result;
    }
};

ProductionLine::ProductionLine(ProgrammerDiscovery& discovery, LineSetup setup)
    : discovery_(discovery), setup_(std::move(setup)) {}

ProductionLine::~ProductionLine() {
    StopAll();
    Wait();
}

bool ProductionLine::Join(Station& station) {
    if (station.running || !station.thread.joinable()) return !station.running;
    station.thread.join();
    return true;
}

bool ProductionLine::Refresh() {
    // Stations are only added and removed here and in StartAll: between
    // them a station found under the lock stays while it is used outside.
    std::lock_guard structure(structureMutex_);
    const std::vector<FoundProgrammer> found = discovery_.Find();
    std::vector<std::unique_ptr<Station>> joining;
    std::vector<Station*> asking;
    bool changed = false;
    {
        std::lock_guard lock(mutex_);
        for (auto it = stations_.begin(); it != stations_.end();) {
            Station& station = **it;
            const bool present = std::any_of(found.begin(), found.end(),
                                             [&](const FoundProgrammer& f) { return f.key == station.found.key; });
            if (present || !Join(station)) {
                ++it;
                continue;
            }
            const StationState state = station.Copy().state;
            if (state == StationState::Failed || state == StationState::Gone) {
                // A failed run's programmer stays to say why, until the next start.
                changed = changed || state != StationState::Gone;
                station.Show([](StationSnapshot& s) { s.state = StationState::Gone; });
                ++it;
                continue;
            }
            it = stations_.erase(it);
            changed = true;
        }
        for (const FoundProgrammer& f : found) {
            const auto known = std::find_if(stations_.begin(), stations_.end(),
                                            [&](const auto& s) { return s->found.key == f.key; });
            if (known == stations_.end()) {
                auto station = std::make_unique<Station>();
                station->found = f;
                station->shown.key = f.key;
                joining.push_back(std::move(station));
                continue;
            }
            const StationSnapshot now = (*known)->Copy();
            if (!(*known)->running && (now.state == StationState::Gone || !now.answered)) asking.push_back(known->get());
        }
    }
    // Frames go out without the lock: Stop and the panels never wait for them.
    for (Station* station : asking) {
        // One pulled comes back with a fresh link; a silent one is asked again.
        const bool gone = station->Copy().state == StationState::Gone;
        if (gone) station->session->Device.Link.DeviceReset();
        station->Poll();
        if (gone && station->Copy().answered)
            station->Show([](StationSnapshot& s) {
                s.state = StationState::Idle;
                s.reason.clear();
            });
        changed = true;
    }
    for (std::unique_ptr<Station>& station : joining) {
        station->session = std::make_unique<Session>(*station->found.volumes, discovery_.clock(), setup_.folders);
        Session& session = *station->session;
        session.Device.Link.SetExplicitDevice(station->found.device);
        session.Views.progress = &station->progress;
        session.Views.statusBar = &station->status;
        StartupOptions startup;
        startup.language = setup_.language;
        startup.defaultLanguage = setup_.defaultLanguage;
        const StartupResult started = RunStartup(session, startup);
        if (started.outcome != StartupOutcome::Completed)
            station->shown.reason = started.message;
        else
            station->Poll();
        changed = true;
    }
    std::lock_guard lock(mutex_);
    for (std::unique_ptr<Station>& station : joining) stations_.push_back(std::move(station));
    return changed;
}

size_t ProductionLine::StartAll(const LineJob& job) {
    auto shared = std::make_shared<const LineJob>(job);
    std::lock_guard structure(structureMutex_);
    std::lock_guard lock(mutex_);
    size_t started = 0;
    std::erase_if(stations_, [&](std::unique_ptr<Station>& station) {
        return Join(*station) && station->Copy().state == StationState::Gone;
    });
    for (std::unique_ptr<Station>& station : stations_) {
        if (!Join(*station) || !station->session->Chip.Database || !station->Copy().answered) continue;
        station->running = true;
        station->stopAsked = false;
        station->progress.maximum_ = 0;
        station->progress.position_ = 0;
        station->Show([&](StationSnapshot& s) {
            s.state = StationState::Running;
            s.reason.clear();
            s.serialNumber.reset();
            s.chip = job.chip;
            s.chipId.clear();
        });
        Station* running = station.get();
        station->thread = std::thread([this, running, shared] { Run(*running, *shared); });
        ++started;
    }
    return started;
}

void ProductionLine::StopAll() {
    std::lock_guard lock(mutex_);
    for (std::unique_ptr<Station>& station : stations_)
        if (station->running) {
            station->stopAsked = true;
            station->session->Busy.StopRequest = 1;
        }
}

bool ProductionLine::Running() const {
    std::lock_guard lock(mutex_);
    return std::any_of(stations_.begin(), stations_.end(), [](const auto& s) { return s->running.load(); });
}

void ProductionLine::Wait() {
    std::lock_guard lock(mutex_);
    for (std::unique_ptr<Station>& station : stations_)
        if (station->thread.joinable()) station->thread.join();
}

std::vector<StationSnapshot> ProductionLine::Snapshot() const {
    std::vector<StationSnapshot> snapshot;
    std::lock_guard lock(mutex_);
    for (const std::unique_ptr<Station>& station : stations_) {
        std::lock_guard shown(station->mutex);
        snapshot.push_back(station->shown);
        snapshot.back().progressMaximum = station->progress.maximum_;
        snapshot.back().progressPosition = station->progress.position_;
    }
    return snapshot;
}

namespace {

// Why a run did not pass, in the words a person at the line needs.
std::string FailureReason(const TextContext& texts, OperationOutcome outcome, const std::vector<std::string>& lines) {
    const int32_t language = texts.Language;
    switch (outcome) {
        case OperationOutcome::Succeeded: return {};
        case OperationOutcome::Declined: return Text(language, TextId::LineRangeHoldsData);
        case OperationOutcome::Stopped: return Text(language, TextId::CliOperationStopped);
        case OperationOutcome::EmptySocket: return Text(language, TextId::CliEmptySocket);
        case OperationOutcome::NotConnected: return Text(language, TextId::LineProgrammerGone);
        case OperationOutcome::NothingSelected: return Text(language, TextId::CliAutoNoStep);
        case OperationOutcome::NoData: return Text(language, TextId::CliNoData);
        case OperationOutcome::DoesNotFit: return Text(language, TextId::CliDoesNotFit);
        case OperationOutcome::Busy: return Text(language, TextId::CliAnotherOperationRuns);
        case OperationOutcome::NoChipSelected:
        case OperationOutcome::Failed: break;
    }
    // The first failure the run showed names the cause (the verdict follows it).
    for (const std::string& line : lines)
        if (KindOfStatusLine(texts, line) == StatusKind::Failure) return WithoutTime(line);
    return Text(language, TextId::CliAutoFailed);
}

}  // namespace

void ProductionLine::Run(Station& station, const LineJob& job) {
    Session& session = *station.session;
    const int32_t language = session.Texts.Language;
    station.status.lines.clear();
    const uint32_t startTick = session.clock().TickCount();
    RunRecord run;
    bool recording = false;
    std::string reason;
    StationState ended = StationState::Failed;
    OperationOutcome outcome = OperationOutcome::Failed;

    const PollResult poll = station.Poll();
    if (poll == PollResult::NoProgrammer || poll == PollResult::WentOffline) {
        reason = Text(language, TextId::LineProgrammerGone);
        ended = StationState::Gone;
    } else if (poll != PollResult::Identified && poll != PollResult::Online) {
        reason = poll == PollResult::InUse ? DeviceInUseText(language, session.Device.Link.ClaimHolder())
                                           : Text(language, TextId::CliProgrammerSilent);
    } else if (!SelectChipByName(session, job.chip)) {
        reason = Text(language, TextId::CliUnknownChipName) + job.chip;
    } else {
        Prj_Info_Struct& prj = session.Chip.PrjInfo;
        Ram_File_Info_Struct& buffer = session.Buffer.RamFile;
        buffer.Data = job.image;
        buffer.Data.resize(prj.Capacity, 0xFF);
        buffer.DataLen = job.dataLength;
        session.Buffer.KnownStorageSum.reset();
        prj.RamStartAddr = job.startAddress;
        SetAutoSteps(prj, job.steps);
        session.Operation.Guard = job.guard;

        run = StartRunRecord(session.Operation, job.job, AutoStepsText(prj));
        station.Show([&](StationSnapshot& s) { s.chipId = run.chipId; });
        recording = setup_.ledger != nullptr;
        bool go = true;
        if (job.serial && !setup_.ledger) {
            reason = Text(language, TextId::SerialNeedsLedger);
            go = false;
        } else if (job.serial) {
            try {
                std::lock_guard lock(ledgerMutex_);
                if (TakeSerial(*setup_.ledger, *job.serial, session.Operation, run) == SerialTaking::TooWide) {
                    reason = Text(language, TextId::SerialTooWide,
                                  {std::to_string(*run.serial), std::to_string(job.serial->length)});
                    go = false;
                }
                station.Show([&](StationSnapshot& s) { s.serialNumber = run.serial; });
            } catch (const LedgerError& error) {
                reason = Text(language, TextId::ProductionLedgerFailed, {error.what()});
                recording = false;
                go = false;
            }
        }
        if (go) {
            run.imageSha256 = WrittenImageDigest(session.Operation);
            // A stop asked for before the sequence began ends the run before anything is sent;
            // a stopped erase goes on in the programmer, and the next run waits for its end.
            session.Busy.StopRequest = station.stopAsked ? 1 : 0;
            outcome = station.stopAsked ? OperationOutcome::Stopped : RunAutoSequence(session.Operation);
            if (outcome == OperationOutcome::Succeeded) {
                ended = StationState::Passed;
            } else {
                // A pulled programmer is told from a failing chip by looking for its drive.
                const PollResult after = station.Poll();
                const bool gone = after == PollResult::NoProgrammer || after == PollResult::WentOffline;
                reason = gone ? Text(language, TextId::LineProgrammerGone)
                              : FailureReason(session.Texts, outcome, station.status.lines);
                if (gone) ended = StationState::Gone;
            }
        }
    }
    if (recording) {
        run.result = ended == StationState::Passed ? RunResult::Passed : RunResult::Failed;
        run.durationMs = static_cast<int64_t>(session.clock().TickCount() - startTick);
        run.message = reason;
        try {
            std::lock_guard lock(ledgerMutex_);
            setup_.ledger->RecordRun(run);
        } catch (const LedgerError& error) {
            const std::string notKept = Text(language, TextId::ProductionLogNotKept, {error.what()});
            reason = reason.empty() ? notKept : reason + "; " + notKept;
        }
    }
    station.Show([&](StationSnapshot& s) {
        s.state = ended;
        s.reason = reason;
        ++(ended == StationState::Passed ? s.passed : s.failed);
    });
    station.running = false;
}

}  // namespace tq
