#include "gui/user_manual.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"

namespace tq::gui {

// The names of the shipped manual files, not texts: both Chinese languages
// share one, every other language reads the English one.
QString UserManualBaseName(int language) {
    return language == 0 || language == 1 ? QStringLiteral("TQM7300高速编程器用户手册")
                                           : QStringLiteral("TQM7300 High speed programmer user manual");
}

QStringList UserManualCandidates(const QString& programFolder, int language) {
    QStringList files;
    const QDir folder(programFolder);
    for (const char* extension : {".chm", ".pdf", ".html"})
        files << folder.filePath(UserManualBaseName(language) + extension);
    return files;
}

OpenManualResult OpenUserManual(const QString& programFolder, int language) {
    for (const QString& file : UserManualCandidates(programFolder, language)) {
        if (!QFileInfo::exists(file)) continue;
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(file))) return {true, {}};
        return {false, QString::fromStdString(Text(language, TextId::ManualNotOpened, {file.toStdString()}))};
    }
    const QString names = UserManualBaseName(language) + ".chm/.pdf/.html";
    return {false, QString::fromStdString(Text(language, TextId::ManualNotFound,
                                               {names.toStdString(), QDir::toNativeSeparators(programFolder).toStdString()}))};
}

}  // namespace tq::gui
