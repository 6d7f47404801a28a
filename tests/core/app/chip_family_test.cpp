// Each chip family, chosen in the frame and then erased, written and read on
// the simulated programmer: what a person notices of its row (detect button,
// how the erase runs, the blocks on the wire, the pause of a paced write)
// and that the image comes back whole.
#include <gtest/gtest.h>

#include "core/base/chip_family.h"
#include "core/operations/erase_blank.h"
#include "core/operations/read_verify.h"
#include "core/operations/write.h"
#include "support/chip_frame_rig.h"

namespace tq {
namespace {

using testing::ChipFrameRig;
using testing::FrameBe16;

TEST(ChipFamilies, EachFamilysRowDrivesDetectionEraseAndTransfers) {
    constexpr uint32_t kCapacity = 8192;
    constexpr uint16_t kPageSize = 256;
    const struct {
        const char* type;
        bool detect;
        bool polledErase;      // erase asks the programmer (0x32) instead of writing 0xFF
        uint16_t writeBlock;   // announced by the 0x35 header
        uint16_t readBlock;    // announced by the 0x34 header
        bool paced;            // the write waits after every block
    } cases[] = {
        {"SPI FLASH", true, true, 2048, 4096, false},  {"24 EEPROM", false, false, 2048, 4096, true},
        {"25 EEPROM", false, false, 2048, 512, true},  {"45 EEPROM", true, true, 256, 1536, false},
        {"93 EEPROM", false, false, 2048, 512, true},  {"95 EEPROM", false, false, 2048, 512, true},
        {"SWD ARM", false, true, 1024, 4096, false},
    };
    // A new family needs its case here.
    for (const ChipFamily& family : ChipFamilies()) {
        bool covered = false;
        for (const auto& c : cases) covered = covered || family.name == c.type;
        EXPECT_TRUE(covered) << "no case for " << family.name;
    }

    // A short image: one block, so that a chip's own write time stays below
    // the pause of a paced write.
    const std::vector<uint8_t> data = [] {
        std::vector<uint8_t> bytes(300);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 1);
        return bytes;
    }();
    std::vector<uint8_t> image(kCapacity, 0xFF);
    std::copy(data.begin(), data.end(), image.begin());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        ChipFrameRig rig;
        Session& session = rig.session;
        ASSERT_TRUE(ChooseListItem(session, ChipList::Type, rig.IndexOf(ChipList::Type, c.type)));
        EXPECT_EQ(rig.frame.detectEnabled[DetectButton::Frame], c.detect);

        rig.UseChip(static_cast<uint8_t>(ChipTypeCode(c.type)), kCapacity, kPageSize);
        ASSERT_TRUE(rig.Connect());
        rig.LoadBuffer(data);
        rig.ClearRecords();
        ASSERT_EQ(EraseChip(session.Operation), OperationOutcome::Succeeded);
        EXPECT_EQ(rig.Frames(0x32).size() >= 2, c.polledErase);

        rig.ClearRecords();
        const uint64_t writeStart = rig.clock.NowMicros();
        ASSERT_EQ(WriteImage(session.Operation), OperationOutcome::Succeeded);
        const uint64_t writeMicros = rig.clock.NowMicros() - writeStart;
        ASSERT_EQ(rig.Frames(0x35).size(), 1u);
        EXPECT_EQ(FrameBe16(rig.Frames(0x35).front(), 16), c.writeBlock);
        EXPECT_EQ(writeMicros >= 600000, c.paced) << writeMicros << " us";

        session.Buffer.RamFile.Data.assign(kCapacity, 0);
        rig.ClearRecords();
        ASSERT_EQ(ReadChip(session.Operation), OperationOutcome::Succeeded);
        ASSERT_EQ(rig.Frames(0x34).size(), 1u);
        EXPECT_EQ(FrameBe16(rig.Frames(0x34).front(), 16), c.readBlock);
        EXPECT_EQ(session.Buffer.RamFile.Data, image);
    }
}

}  // namespace
}  // namespace tq
