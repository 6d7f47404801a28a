#include "core/app/startup.h"

#include "core/app/settings.h"
#include "core/app/session.h"
#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"

namespace tq {

std::string MissingDatabaseText(int32_t language, const std::filesystem::path& folder) {
    return MissingDatabaseMessage(language, folder);
}

StartupResult RunStartup(Session& session, const StartupOptions& options) {
    StartupResult result;
    const std::filesystem::path databasePath = session.Texts.DataFolder / kDatabaseFileName;
    std::error_code ec;
    if (!std::filesystem::exists(databasePath, ec)) {
        result.outcome = StartupOutcome::DatabaseMissing;
        result.message = MissingDatabaseText(options.language.value_or(options.defaultLanguage), session.Texts.DataFolder);
        return result;
    }
    try {
        session.Chip.Database = ChipDatabase::Open(databasePath);
        LoadSettings(session, options.defaultLanguage);
        if (options.language) session.Texts.Language = *options.language;
        result.openDialogFolder = session.Device.DevInf.FilePath;
        session.Chip.PrjInfo.ChannelSelector = 0;
        // The version is read after the texts, so the first title has none.
        result.language = LoadLanguage(session.Operation);
        session.Device.DevInf.DbVersion = session.Chip.Database->VersionQuery();
        CheckDefaultModel(session.Device.DevInf);
        result.chipTypes = session.Chip.Database->TypeListQuery(session.Device.DevInf.DefaultModel);
        if (result.chipTypes.rejected)
            session.Views.messages->ShowWarning(result.chipTypes.Reason(session.Texts.Language));
        FillTypeList(session, result.chipTypes.types);
        result.chipRestore = RestoreLastChip(session);
    } catch (const DatabaseError& error) {
        result.outcome = StartupOutcome::DatabaseFailed;
        result.message = error.what();
    }
    return result;
}

}  // namespace tq
