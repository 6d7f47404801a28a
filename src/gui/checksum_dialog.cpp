#include "gui/checksum_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QStyle>

#include "core/base/number_text.h"
#include "core/texts/text_catalogue.h"
#include "gui/dialog_placement.h"

namespace tq::gui {

namespace {

QString T(int language, TextId id, std::initializer_list<std::string_view> values = {}) {
    return QString::fromStdString(Text(language, id, values));
}

const char* const kValueNames[4] = {"CRC-32", "MD5", "SHA-256", "CheckSum"};

}  // namespace

ChecksumDialog::ChecksumDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("ChecksumDialog");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 14, 16, 14);
    int row = 0;

    sourceLabel_ = new QLabel(this);
    source_ = new QComboBox(this);
    source_->setObjectName("ChecksumSource");
    source_->addItems({"", "", ""});  // named by Retranslate, in SumSource order
    grid->addWidget(sourceLabel_, row, 0);
    grid->addWidget(source_, row++, 1, 1, 2, Qt::AlignLeft);

    fileLabel_ = new QLabel(this);
    file_ = new QLineEdit(this);
    file_->setObjectName("ChecksumFile");
    browse_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogOpenButton), "", this);
    grid->addWidget(fileLabel_, row, 0);
    grid->addWidget(file_, row, 1);
    grid->addWidget(browse_, row++, 2);

    fromLabel_ = new QLabel(this);
    toLabel_ = new QLabel(this);
    from_ = new QLineEdit(this);
    from_->setObjectName("ChecksumFrom");
    to_ = new QLineEdit(this);
    to_->setObjectName("ChecksumTo");
    auto* range = new QHBoxLayout;
    range->addWidget(from_);
    range->addWidget(toLabel_);
    range->addWidget(to_);
    grid->addWidget(fromLabel_, row, 0);
    grid->addLayout(range, row, 1);
    compute_ = new QPushButton(this);
    compute_->setObjectName("ChecksumCompute");
    compute_->setDefault(true);
    grid->addWidget(compute_, row++, 2);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, row++, 0, 1, 3);

    summary_ = new QLabel(this);
    summary_->setObjectName("ChecksumSummary");
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(summary_, row++, 0, 1, 3);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (size_t i = 0; i < values_.size(); ++i) {
        values_[i] = new QLineEdit(this);
        values_[i]->setObjectName(QString("Checksum") + QString(kValueNames[i]).remove('-'));
        ShowAsReadOnly(*values_[i]);
        values_[i]->setFont(fixed);
        // Room for the 64 digits of a SHA-256 and a little more.
        values_[i]->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(66, '0')));
        copies_[i] = new QPushButton(this);
        connect(copies_[i], &QPushButton::clicked, this,
                [this, i] { QApplication::clipboard()->setText(values_[i]->text()); });
        grid->addWidget(new QLabel(kValueNames[i], this), row, 0);
        grid->addWidget(values_[i], row, 1);
        grid->addWidget(copies_[i], row++, 2);
    }

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Close, this);
    copyAll_ = buttons_->addButton("", QDialogButtonBox::ActionRole);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(copyAll_, &QPushButton::clicked, this, &ChecksumDialog::CopyAll);
    grid->addWidget(buttons_, row++, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    connect(browse_, &QPushButton::clicked, this, &ChecksumDialog::ChooseFile);
    connect(source_, &QComboBox::currentIndexChanged, this, &ChecksumDialog::SourceChanged);
    connect(compute_, &QPushButton::clicked, this, &ChecksumDialog::computeClicked);
    SourceChanged();
    Retranslate(language_);
}

void ChecksumDialog::Open(int language, const std::string& from, const std::string& to) {
    Retranslate(language);
    if (!isVisible()) {
        from_->setText(QString::fromStdString(from));
        to_->setText(QString::fromStdString(to));
    }
    ShowDialog(*this);
}

void ChecksumDialog::Retranslate(int language) {
    language_ = language;
    setWindowTitle(T(language, TextId::ChecksumDialogTitle));
    sourceLabel_->setText(T(language, TextId::SumSourceLabel));
    source_->setItemText(0, T(language, TextId::SumSourceBuffer));
    source_->setItemText(1, T(language, TextId::SumSourceChip));
    source_->setItemText(2, T(language, TextId::SumSourceFile));
    fileLabel_->setText(T(language, TextId::SumSourceFile));
    browse_->setText(T(language, TextId::SumBrowse));
    fromLabel_->setText(T(language, TextId::SumFrom));
    toLabel_->setText(T(language, TextId::SumTo));
    from_->setPlaceholderText(T(language, TextId::SumFromHint));
    to_->setPlaceholderText(T(language, TextId::SumToHint));
    compute_->setText(T(language, TextId::SumCompute));
    for (QPushButton* copy : copies_) copy->setText(T(language, TextId::SumCopy));
    copyAll_->setText(T(language, TextId::SumCopyAll));
    buttons_->button(QDialogButtonBox::Close)->setText(T(language, TextId::CloseCommand));
}

ChecksumRequest ChecksumDialog::Request() const {
    ChecksumRequest request;
    request.source = static_cast<SumSource>(source_->currentIndex());
    request.file = file_->text().trimmed().toStdString();
    request.from = from_->text().trimmed().toStdString();
    request.to = to_->text().trimmed().toStdString();
    return request;
}

void ChecksumDialog::ShowReport(const ChecksumReport& report) {
    QPalette look = summary_->palette();
    look.setColor(QPalette::WindowText, report.ok ? palette().color(QPalette::WindowText) : QColor(192, 0, 0));
    summary_->setPalette(look);
    if (!report.ok) {
        summary_->setText(QString::fromStdString(report.error));
        for (QLineEdit* value : values_) value->clear();
        return;
    }
    const auto address = [](uint64_t value) { return "0x" + HexText(static_cast<uint32_t>(value), 6); };
    summary_->setText(T(language_, TextId::SumSummed,
                        {report.source, std::to_string(report.range.count), address(report.range.first),
                         address(report.range.first + report.range.count - 1)}));
    const std::string* texts[4] = {&report.sums.crc32, &report.sums.md5, &report.sums.sha256, &report.sums.sum};
    for (size_t i = 0; i < values_.size(); ++i) {
        values_[i]->setText(QString::fromStdString(*texts[i]));
        values_[i]->setCursorPosition(0);
    }
}

void ChecksumDialog::ChooseFile() {
    const QString path = QFileDialog::getOpenFileName(this, T(language_, TextId::SumChooseFile), file_->text());
    if (path.isEmpty()) return;
    file_->setText(path);
    source_->setCurrentIndex(static_cast<int>(SumSource::File));
}

void ChecksumDialog::SourceChanged() {
    const bool file = source_->currentIndex() == static_cast<int>(SumSource::File);
    file_->setEnabled(file);
    browse_->setEnabled(true);  // choosing a file also picks the File source
    fileLabel_->setEnabled(file);
}

void ChecksumDialog::CopyAll() {
    QString text = summary_->text() + '\n';
    for (size_t i = 0; i < values_.size(); ++i) text += QString(kValueNames[i]) + ": " + values_[i]->text() + '\n';
    QApplication::clipboard()->setText(text);
}

}  // namespace tq::gui
