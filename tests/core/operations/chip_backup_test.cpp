#include "core/operations/chip_backup.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/buffer/backup_store.h"
#include "core/buffer/image_digests.h"
#include "core/operations/auto_sequence.h"
#include "core/operations/blank_before_write.h"
#include "core/operations/erase_blank.h"
#include "core/operations/read_verify.h"
#include "core/operations/write.h"
#include "support/expect.h"
#include "support/operation_rig.h"

namespace tq {
namespace {

using testing::HasLineSaying;
using testing::OperationRig;
using testing::ScratchFolder;
using testing::SentCommand;

constexpr uint32_t kSize = 16384;  // four read blocks: a stop can fall between them
constexpr uint8_t kFlash = 1, kEeprom = 2;

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + seed);
    return bytes;
}

// A chip of `type` holding `old` (blank when empty), the buffer holding
// `image`, English texts, connected.
void Prepare(OperationRig& rig, uint8_t type, const std::vector<uint8_t>& old, const std::vector<uint8_t>& image) {
    rig.session.Texts.Language = 2;
    rig.UseChip(type, kSize, 256);
    if (!old.empty()) rig.sim.chipMemory() = old;
    rig.LoadBuffer(image);
    Prj_Info_Struct& prj = rig.session.Chip.PrjInfo;
    prj.Erase = prj.Write = prj.Verify = 1;
    ASSERT_TRUE(rig.Connect());
    rig.ClearRecords();
}

std::vector<uint8_t> Programmed(const std::vector<uint8_t>& old, const std::vector<uint8_t>& image) {
    std::vector<uint8_t> chip = old;
    for (size_t i = 0; i < image.size(); ++i) chip[i] &= image[i];
    return chip;
}

using Handler = OperationOutcome (*)(OperationContext&);

TEST(ChipBackup, ANotBlankChipIsSavedBeforeItIsErasedOrWrittenAndABlankOneIsNot) {
    const std::vector<uint8_t> old = Pattern(kSize, 5), image = Pattern(kSize, 9);
    const std::vector<uint8_t> erased(kSize, 0xFF);
    const struct {
        const char* name;
        Handler run;
        bool chipHoldsData;
        std::vector<uint8_t> after;
    } cases[] = {
        {"erase, blank chip", EraseChip, false, erased},
        {"write, blank chip", WriteImage, false, image},
        {"auto, blank chip", RunAutoSequence, false, image},
        {"erase", EraseChip, true, erased},
        {"write", WriteImage, true, Programmed(old, image)},
        {"auto", RunAutoSequence, true, image},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        Prepare(rig, kFlash, c.chipHoldsData ? old : std::vector<uint8_t>{}, image);
        ScratchFolder backups;
        rig.session.Operation.Guard.backup = true;
        rig.session.Operation.Guard.backupFolder = backups.path();
        rig.session.Operation.Guard.notBlank = NotBlankRule::WriteOver;
        EXPECT_EQ(c.run(rig.session.Operation), OperationOutcome::Succeeded);
        EXPECT_EQ(rig.sim.chipMemory(), c.after);
        const std::vector<BackupEntry> saved = ListBackups(backups.path());
        if (!c.chipHoldsData) {
            EXPECT_TRUE(saved.empty());
            EXPECT_THAT(rig.status.history0, HasLineSaying("The chip is blank (all FF): no backup needed"));
            continue;
        }
        ASSERT_EQ(saved.size(), 1u);
        EXPECT_EQ(saved[0].chip, "CHIP");
        EXPECT_EQ(saved[0].crc32, Crc32Hex(DigestsOf(old.data(), old.size()).crc32));
        EXPECT_EQ(testing::ReadBytes(saved[0].path), old);
        EXPECT_THAT(rig.status.history0, HasLineSaying("Chip backed up to " + saved[0].path.string()));
    }
}

TEST(ChipBackup, WhenTheBackupCannotBeSavedOrIsStoppedNothingIsErasedOrWritten) {
    const std::vector<uint8_t> old = Pattern(kSize, 5), image = Pattern(kSize, 9);
    const struct {
        const char* name;
        Handler run;
        bool stop;
        OperationOutcome outcome;
        const char* line;
    } cases[] = {
        {"erase, no room", EraseChip, false, OperationOutcome::Failed, "Nothing was erased or written. Free some disk space"},
        {"write, no room", WriteImage, false, OperationOutcome::Failed, "Nothing was erased or written. Free some disk space"},
        {"auto, no room", RunAutoSequence, false, OperationOutcome::Failed, "Nothing was erased or written. Free some disk space"},
        {"erase, stopped", EraseChip, true, OperationOutcome::Stopped, "The backup read did not finish: nothing was erased"},
        {"write, stopped", WriteImage, true, OperationOutcome::Stopped, "The backup read did not finish: nothing was erased"},
        {"auto, stopped", RunAutoSequence, true, OperationOutcome::Stopped, "The backup read did not finish: nothing was erased"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        Prepare(rig, kFlash, old, image);
        ScratchFolder scratch;
        scratch.Write("file", "not a folder");
        OverwriteGuard& guard = rig.session.Operation.Guard;
        guard.backup = true;
        guard.backupFolder = c.stop ? scratch.path() : scratch / "file" / "backups";
        if (c.stop) {
            rig.clock.SetEventHook([&] {
                if (rig.Blocks('<').size() == 1) RequestStop(rig.session.Operation);
            });
        }
        EXPECT_EQ(c.run(rig.session.Operation), c.outcome);
        rig.clock.SetEventHook(nullptr);
        EXPECT_EQ(rig.sim.chipMemory(), old);
        EXPECT_THAT(rig.trace.lines, ::testing::Not(SentCommand(0x35)));  // no write stream
        EXPECT_THAT(rig.status.history0, HasLineSaying(c.line));
        EXPECT_TRUE(ListBackups(guard.backupFolder).empty());
    }
}

TEST(BlankBeforeWrite, ARangeHoldingDataIsWrittenOnlyAsThePersonSays) {
    const std::vector<uint8_t> image = Pattern(1024, 9);
    std::vector<uint8_t> old(kSize, 0xFF);
    old[700] = 0x12;  // one byte of data inside the range
    std::vector<uint8_t> erasedThenWritten(kSize, 0xFF);
    std::copy(image.begin(), image.end(), erasedThenWritten.begin());
    const struct {
        const char* name;
        uint8_t type;
        bool holdsData, backup;
        NotBlankRule rule;
        NotBlankChoice answer;
        OperationOutcome outcome;
        size_t questions;
        std::vector<uint8_t> after;
        const char* line;
    } cases[] = {
        {"blank range", kFlash, false, false, NotBlankRule::Ask, NotBlankChoice::Cancel, OperationOutcome::Succeeded, 0,
         erasedThenWritten, "The range to be written, 0x000000-0x0003FF, is blank"},
        {"erase first", kFlash, true, false, NotBlankRule::Ask, NotBlankChoice::EraseFirst, OperationOutcome::Succeeded,
         1, erasedThenWritten, "The range to be written, 0x000000-0x0003FF, is not blank"},
        {"write anyway", kFlash, true, false, NotBlankRule::Ask, NotBlankChoice::WriteAnyway,
         OperationOutcome::Succeeded, 1, Programmed(old, image), "is not blank"},
        {"cancel", kFlash, true, false, NotBlankRule::Ask, NotBlankChoice::Cancel, OperationOutcome::Declined, 1, old,
         "Write cancelled: nothing was written"},
        {"refused without asking", kFlash, true, false, NotBlankRule::Refuse, NotBlankChoice::EraseFirst,
         OperationOutcome::Declined, 0, old, "Write cancelled: nothing was written"},
        {"erased first without asking", kFlash, true, false, NotBlankRule::EraseFirst, NotBlankChoice::Cancel,
         OperationOutcome::Succeeded, 0, erasedThenWritten, "is not blank"},
        {"from the backup's bytes", kFlash, true, true, NotBlankRule::Ask, NotBlankChoice::Cancel,
         OperationOutcome::Declined, 1, old, "is not blank (0x0002BC holds 0x12)"},
        {"an EEPROM writes over", kEeprom, true, false, NotBlankRule::Ask, NotBlankChoice::Cancel,
         OperationOutcome::Succeeded, 0, erasedThenWritten, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        Prepare(rig, c.type, c.holdsData ? old : std::vector<uint8_t>{}, image);
        ScratchFolder backups;
        OverwriteGuard& guard = rig.session.Operation.Guard;
        guard.blankBeforeWrite = true;
        guard.backup = c.backup;
        guard.backupFolder = backups.path();
        guard.notBlank = c.rule;
        rig.messages.notBlankAnswer = c.answer;
        EXPECT_EQ(WriteImage(rig.session.Operation), c.outcome);
        EXPECT_EQ(rig.messages.questions.size(), c.questions);
        EXPECT_EQ(rig.sim.chipMemory(), c.after);
        if (c.line) EXPECT_THAT(rig.status.history0, HasLineSaying(c.line));
        // The backup's bytes decide: the programmer is not asked again.
        if (c.backup) EXPECT_THAT(rig.trace.lines, ::testing::Not(SentCommand(0x37)));
        if (c.type == kEeprom) EXPECT_THAT(rig.status.history0, ::testing::Not(HasLineSaying("range to be written")));
    }
}

}  // namespace
}  // namespace tq
