#include "core/app/startup.h"

#include "core/app/settings.h"
#include "core/session.h"

namespace tq {

StartupResult RunStartup(Session& session, const StartupOptions& options) {
    StartupResult result;
    const std::filesystem::path databasePath = session.ProgramFolder / kDatabaseFileName;
    std::error_code ec;
    if (!std::filesystem::exists(databasePath, ec)) {
        result.outcome = StartupOutcome::DatabaseMissing;
        result.message = MissingDatabaseMessage(session.ProgramFolder);
        return result;
    }
    try {
        session.Database = ChipDatabase::Open(databasePath);
        LoadSettings(session);
        if (options.language) session.DevInf.Language = *options.language;
        result.openDialogFolder = session.DevInf.FilePath;
        session.PrjInfo.ChannelSelector = 0;
        // The version is read after the texts, so the first title has none.
        result.language = LoadLanguage(session, "");
        session.DevInf.DbVersion = session.Database->VersionQuery();
        CheckDefaultModel(session.DevInf);
        result.chipTypes = session.Database->TypeListQuery(session.DevInf.DefaultModel);
        if (result.chipTypes.rejected)
            session.Views.messages->ShowWarning(result.chipTypes.Reason(session.DevInf.Language));
        FillTypeList(session, result.chipTypes.types);
        result.chipRestore = RestoreLastChip(session);
    } catch (const DatabaseError& error) {
        result.outcome = StartupOutcome::DatabaseFailed;
        result.message = error.what();
    }
    return result;
}

}  // namespace tq
