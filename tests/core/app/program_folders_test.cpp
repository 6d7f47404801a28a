// Where the program's files go: one folder (portable) or the shipped share
// folder plus per-user XDG folders (installed), and the user's chip database
// across an upgrade of the shipped one.
#include "core/app/program_folders.h"

#include <gtest/gtest.h>

#include "core/app/session.h"
#include "core/app/settings.h"
#include "core/app/startup.h"
#include "core/chipdb/chip_database.h"
#include "core/platform/clock.h"
#include "support/fake_volumes.h"
#include "support/program_folder.h"

namespace tq {
namespace {

namespace fs = std::filesystem;

void ExpectSameFolders(const ProgramFolders& got, const ProgramFolders& expected) {
    EXPECT_EQ(got.program, expected.program);
    EXPECT_EQ(got.settings, expected.settings);
    EXPECT_EQ(got.data, expected.data);
    EXPECT_EQ(got.temp, expected.temp);
    EXPECT_EQ(got.installed, expected.installed);
}

TEST(ProgramFolders, PortableWhenNamedOrBesideAWritableDatabaseElseInstalledInTheXdgFolders) {
    testing::ProgramFolder portable;  // a build's bin folder: login.dat beside the executable
    portable.CopyFromBin("login.dat");
    testing::ProgramFolder bin;       // /usr/bin: no login.dat beside the executable
    struct Case {
        FolderEnvironment environment;
        ProgramFolders expected;
    };
    const fs::path installedShare = (bin.path() / "../share/tqprog").lexically_normal();
    const Case cases[] = {
        {{"/opt/p", "/ignored", bin.path(), "/c", "/d", "/k", "/home/u"}, PortableFolders("/opt/p")},
        {{"", "/srv/tq", bin.path(), "/c", "/d", "/k", "/home/u"}, PortableFolders("/srv/tq")},
        {{"", "", portable.path(), "/c", "/d", "/k", "/home/u"}, PortableFolders(portable.path())},
        {{"", "", bin.path(), "/c", "/d", "/k", "/home/u"},
         {installedShare, "/c/tqprog", "/d/tqprog", "/k/tqprog/temp", true}},
        // Unset or relative XDG variables: the defaults under home.
        {{"", "", bin.path(), "", "relative", "", "/home/u"},
         {installedShare, "/home/u/.config/tqprog", "/home/u/.local/share/tqprog", "/home/u/.cache/tqprog/temp", true}},
    };
    for (const Case& c : cases) {
        const ProgramFolders got = ChooseProgramFolders(c.environment);
        SCOPED_TRACE(c.environment.executableFolder.string() + " " + c.environment.programDir);
        ExpectSameFolders(got, c.expected);
    }
}

TEST(ProgramFolders, InstalledByWindowsRulesKeepsShippedFilesBesideTheExecutableAndTheUsersInAppData) {
    testing::ProgramFolder portable;
    portable.CopyFromBin("login.dat");
    testing::ProgramFolder installed;  // Program Files: no login.dat of the user's beside the executable
    const fs::path exe = installed.path();
    struct Case {
        std::string appData, localAppData;
        fs::path executableFolder;
        ProgramFolders expected;
    };
    const Case cases[] = {
        {"C:/Users/u/AppData/Roaming", "C:/Users/u/AppData/Local", exe,
         {exe, fs::path("C:/Users/u/AppData/Roaming") / "tqprog", fs::path("C:/Users/u/AppData/Roaming") / "tqprog",
          fs::path("C:/Users/u/AppData/Local") / "tqprog" / "temp", true}},
        // No local profile folder: the roaming one holds temp too.
        {"C:/R", "", exe, {exe, fs::path("C:/R") / "tqprog", fs::path("C:/R") / "tqprog",
                           fs::path("C:/R") / "tqprog" / "temp", true}},
        // No profile at all (a service account): the executable's folder.
        {"", "C:/L", exe, PortableFolders(exe)},
        // A writable login.dat beside the executable is a portable copy.
        {"C:/R", "C:/L", portable.path(), PortableFolders(portable.path())},
    };
    for (const Case& c : cases) {
        FolderEnvironment environment;
        environment.executableFolder = c.executableFolder;
        environment.appData = c.appData;
        environment.localAppData = c.localAppData;
        environment.home = "/home/u";
        environment.windowsLayout = true;
        const ProgramFolders got = ChooseProgramFolders(environment);
        SCOPED_TRACE(c.executableFolder.string() + " APPDATA=" + c.appData + " LOCALAPPDATA=" + c.localAppData);
        ExpectSameFolders(got, c.expected);
    }
}

struct InstalledLayout : ::testing::Test {
    testing::ProgramFolder root;
    ProgramFolders folders{root / "share", root / "config", root / "data", root / "cache/temp", true};

    InstalledLayout() {
        fs::create_directories(folders.program);
        fs::copy_file(fs::path(TQ_BIN_DIR) / "login.dat", folders.program / "login.dat");
        for (const char* name : {"CN.ini", "TC.ini", "EN.ini"})
            fs::copy_file(fs::path(TQ_BIN_DIR) / name, folders.program / name);
    }
    std::unique_ptr<ChipDatabase> Open(const fs::path& file) { return ChipDatabase::Open(file); }
    void Prepare() {
        std::string error;
        ASSERT_TRUE(PrepareUserFolders(folders, error)) << error;
    }
};

TEST_F(InstalledLayout, FirstRunCopiesTheDatabaseAndAStartUpUsesTheUserFolders) {
    Prepare();
    ASSERT_TRUE(fs::exists(folders.data / "login.dat"));
    EXPECT_TRUE(fs::is_directory(folders.settings));
    EXPECT_TRUE(fs::is_directory(folders.temp));

    testing::FakeVolumes volumes;
    VirtualClock clock;
    {
        Session session(volumes, clock, folders);
        ASSERT_EQ(RunStartup(session).outcome, StartupOutcome::Completed);
        session.Texts.Language = 2;
        ASSERT_TRUE(SaveSettings(session));
    }
    EXPECT_TRUE(fs::exists(folders.settings / "dev.ini"));
    EXPECT_FALSE(fs::exists(folders.program / "dev.ini"));  // the shipped folder is never written
}

TEST_F(InstalledLayout, ANewerShippedDatabaseBringsItsChipsAndKeepsEveryUserChip) {
    Prepare();
    {
        auto own = Open(folders.data / "login.dat");
        own->UserChipInsert(own->ChipRowQuery("W25Q64FV").front(), "MY25Q64", "ACME", "AB4017");
        own->UserChipInsert(own->ChipRowQuery("W25X10").front(), "MY25X10", "ACME", "AB3011");
    }
    // The same version again: the user's copy stays as it is.
    Prepare();
    EXPECT_EQ(Open(folders.data / "login.dat")->UserRowsQuery().size(), 2u);

    {
        auto shipped = Open(folders.program / "login.dat");
        shipped->QueryExec("update [DevInfo] set Version = 'V9.0.0'");
        shipped->QueryExec("insert into [ChipName] (ChipName, ChipType, ManufName, Capacity, Adder) "
                           "values ('NEW25Q128', 'SPI FLASH', 'NEWCO', 16777216, 'Varden')");
    }
    Prepare();
    auto own = Open(folders.data / "login.dat");
    EXPECT_EQ(own->VersionQuery(), "V9.0.0");
    EXPECT_EQ(own->ChipRowQuery("NEW25Q128").size(), 1u);
    const std::vector<ChipRow> users = own->UserRowsQuery();
    ASSERT_EQ(users.size(), 2u);
    EXPECT_EQ(users[0].ChipName, "MY25Q64");
    EXPECT_EQ(users[0].ChipID, "AB4017");
    EXPECT_EQ(users[0].Capacity, 8388608);
    EXPECT_EQ(users[1].ChipName, "MY25X10");
    EXPECT_FALSE(fs::exists(folders.data / "login.dat.new"));
}

}  // namespace
}  // namespace tq
