// dev.ini: any file gives settings that, saved and read again, are the same
// settings, and saving what a save wrote changes nothing.
#include "core/app/session.h"
#include "core/app/settings.h"
#include "core/platform/clock.h"
#include "fuzz_support.h"
#include "support/fake_volumes.h"

using namespace tq::fuzz;

namespace {

// One session for the run: loading sets every value it reads.
tq::Session& TheSession() {
    static tq::testing::FakeVolumes volumes;
    static tq::VirtualClock clock;
    static tq::Session session(volumes, clock, Scratch("program"));
    return session;
}

struct Values {
    int32_t language;
    std::string file, folder, chip, model;
    uint32_t start;
    uint8_t idCheck, erase, write, verify, twice;
    bool logPanel, backup, blank;
    bool operator==(const Values&) const = default;
};

Values Taken(tq::Session& s) {
    const tq::Prj_Info_Struct& prj = s.Chip.PrjInfo;
    return {s.Texts.Language,         s.Buffer.RamFile.FileName, s.Device.DevInf.FilePath, prj.ChipName,
            s.Device.DevInf.DefaultModel, prj.RamStartAddr,     prj.IdCheck,              prj.Erase,
            prj.Write,                prj.Verify,                prj.VerifyTwice,          s.Window.LogPanelShown,
            s.Operation.Guard.backup, s.Operation.Guard.blankBeforeWrite};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tq::Session& session = TheSession();
    const auto folder = Scratch("program");
    std::filesystem::create_directories(folder);
    const auto file = folder / tq::kSettingsFileName;
    WriteBytes(file, data, size);
    tq::LoadSettings(session);
    Check(tq::SaveSettings(session), "settings read from any file save");
    Values saved = Taken(session);  // the save recomputes the folder from the file name
    for (std::string* text : {&saved.file, &saved.folder, &saved.chip, &saved.model}) *text = AsWritten(*text);
    tq::LoadSettings(session);
    Check(Taken(session) == saved, "saved settings read back the same");
    // A value cut in front of a blank is written with it and read without:
    // from the second save on, the file no longer changes.
    Check(tq::SaveSettings(session), "settings save again");
    const std::vector<uint8_t> second = ReadBytes(file);
    tq::LoadSettings(session);
    Check(tq::SaveSettings(session) && ReadBytes(file) == second, "a file once saved saves the same");
    return 0;
}
