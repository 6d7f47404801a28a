#include "core/operations/chip_backup.h"

#include <algorithm>

#include "core/buffer/backup_store.h"
#include "core/operations/operation_context.h"
#include "core/operations/read_verify.h"
#include "core/texts/text_catalogue.h"

namespace tq {

std::filesystem::path BackupFolderOf(const OperationContext& operation) {
    const OverwriteGuard& guard = operation.Guard;
    return guard.backupFolder.empty() ? operation.Texts.DataFolder / kBackupFolderName : guard.backupFolder;
}

OperationOutcome BackUpBeforeOverwrite(OperationContext& operation, std::vector<uint8_t>& chip) {
    chip.clear();
    if (!operation.Guard.backup) return OperationOutcome::Succeeded;
    const int language = operation.Texts.Language;
    const auto say = [&](const std::string& text) { ShowStatus(operation, StatusLine(operation.clock(), text)); };

    const int read = ReadChipImage(operation, operation.Chip.PrjInfo.ChannelSelector, chip);
    if (read != kOpSuccess) {
        // The read has said why it ended; what that means for the chip follows.
        chip.clear();
        say(Text(language, TextId::BackupReadEnded));
        return OutcomeOfResult(read);
    }
    if (std::all_of(chip.begin(), chip.end(), [](uint8_t b) { return b == 0xFF; })) {
        say(Text(language, TextId::BackupChipBlank));
        return OperationOutcome::Succeeded;
    }
    const std::filesystem::path folder = BackupFolderOf(operation);
    std::string error;
    const auto saved = SaveBackup(folder, operation.Chip.PrjInfo.ChipName, LocalBackupTime(), chip.data(), chip.size(), error);
    if (!saved) {
        say(Text(language, TextId::BackupNotSaved, {error}));
        ShowProgressFailure(operation, "ERROR");
        Indicate(operation, IndicatorCode::Failed);
        Indicate(operation, IndicatorCode::Finished);
        return OperationOutcome::Failed;
    }
    say(Text(language, TextId::BackupSaved, {saved->string()}));
    if (const size_t pruned = PruneBackups(folder).size(); pruned != 0)
        say(Text(language, TextId::BackupsPruned, {std::to_string(pruned)}));
    return OperationOutcome::Succeeded;
}

}  // namespace tq
