#include "gui/user_manual.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "core/texts/language.h"

namespace tq::gui {

QString UserManualBaseName(int language) {
    return language == 2 ? QStringLiteral("TQM7300 High speed programmer user manual")
                         : QStringLiteral("TQM7300高速编程器用户手册");
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
        const std::string text = Triplet(language, "无法打开用户手册：", "無法打開用戶手冊：",
                                         "The user manual could not be opened: ");
        return {false, QString::fromStdString(text) + file};
    }
    const std::string text = Triplet(language, "找不到用户手册", "找不到用戶手冊", "The user manual was not found");
    return {false, QString::fromStdString(text) + " (" + UserManualBaseName(language) + ".chm/.pdf/.html): " +
                       QDir::toNativeSeparators(programFolder)};
}

}  // namespace tq::gui
