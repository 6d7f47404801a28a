// The user manual: a file in the program folder chosen by the language,
// opened with the desktop's default handler. When it is missing the person
// is told which file was looked for and where.
#pragma once

#include <QString>
#include <QStringList>

namespace tq::gui {

// The manual's file name for a language (2: English, anything else: Chinese),
// without extension.
QString UserManualBaseName(int language);
// The files looked for, in order: the help file and the formats a Linux
// desktop opens (PDF, HTML).
QStringList UserManualCandidates(const QString& programFolder, int language);

struct OpenManualResult {
    bool opened = false;
    QString message;  // what to tell the person when not opened
};
OpenManualResult OpenUserManual(const QString& programFolder, int language);

}  // namespace tq::gui
