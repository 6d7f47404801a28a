// Ctrl-C during a chip operation of the built tqprog-cli, as its own
// process on the built-in simulator (no drive to mount).
#include <gtest/gtest.h>

#include "cli/exit_status.h"
#include "e2e/kernel_path.h"
#include "support/program_folder.h"

namespace tq {
namespace {

using namespace testing;

// The first Ctrl-C stops the write where it is: the last status line says
// how far it got, the run ends with the stopped status and its own line,
// and nothing claims success.
TEST(Interrupt, CtrlCDuringAWriteSaysHowFarItGotAndEndsWithTheStoppedStatus) {
    ProgramFolder folder;
    for (const char* name : {"login.dat", "CN.ini", "TC.ini", "EN.ini"}) folder.CopyFromBin(name);
    // A 64 KiB EEPROM stores a page per 5 ms cycle: the write takes seconds.
    const std::string image = folder.Write("image.bin", std::vector<uint8_t>(65536, 0x5A)).string();
    Child cli({BinFile("tqprog-cli"), "--program-dir", folder.path().string(), "--lang", "2", "--simulator",
               "--sim-chip", "24C512", "-c", "24C512", "write", image},
              {}, folder / "write");
    const auto until = std::chrono::steady_clock::now() + 30s;
    while (cli.Running() && cli.err().find("Writing chip") == std::string::npos && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(cli.Running()) << cli.err();
    cli.Signal(SIGINT);
    EXPECT_EQ(cli.Wait(30s), kExitStopped) << cli.err();
    const std::string err = cli.err();
    EXPECT_NE(err.find("Stopped by the user after "), std::string::npos) << err;
    EXPECT_NE(err.find(" of 65536 bytes; the chip holds part of the data."), std::string::npos) << err;
    EXPECT_TRUE(err.ends_with("tqprog-cli: the operation was stopped before its end\n")) << err;
    EXPECT_EQ((cli.out() + err).find("succeeded"), std::string::npos) << err;
}

}  // namespace
}  // namespace tq
