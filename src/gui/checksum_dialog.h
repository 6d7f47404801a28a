// The Checksums dialog: CRC-32, MD5, SHA-256 and the byte sum of the buffer,
// the chip or a file, whole or a range, in read-only fields a person can
// select and copy. The window computes them on the worker; the dialog only
// collects the request and shows the report.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "core/app/checksum_request.h"

namespace tq::gui {

class ChecksumDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ChecksumDialog(QWidget* parent);
    // Opens (or raises) the dialog with the buffer's selection as its range.
    void Open(int language, const std::string& from, const std::string& to);
    void ShowReport(const ChecksumReport& report);
    ChecksumRequest Request() const;
    QPushButton* computeButton() const { return compute_; }

signals:
    void computeClicked();

private:
    void Retranslate(int language);
    void ChooseFile();
    void SourceChanged();
    void CopyAll();

    int language_ = 2;
    QComboBox* source_;
    QLabel *sourceLabel_, *fileLabel_, *fromLabel_, *toLabel_, *summary_;
    QLineEdit *file_, *from_, *to_;
    QPushButton *browse_, *compute_, *copyAll_;
    std::array<QLineEdit*, 4> values_{};  // CRC-32, MD5, SHA-256, CheckSum
    std::array<QPushButton*, 4> copies_{};
    QDialogButtonBox* buttons_;
};

}  // namespace tq::gui
