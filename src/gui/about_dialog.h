// The About box TfrmAbout: our emblem, "TQM7300B  <database version>  (2021)",
// a notice line and an OK button, captioned in the current language.
#pragma once

#include <QDialog>
#include <filesystem>

namespace tq::gui {

class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    AboutDialog(QWidget* parent, const std::filesystem::path& programFolder, int language, const QString& dbVersion);
};

}  // namespace tq::gui
