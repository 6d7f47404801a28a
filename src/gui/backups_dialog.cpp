#include "gui/backups_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QHeaderView>
#include <QUrl>
#include <QVBoxLayout>

#include "core/texts/text_catalogue.h"
#include "gui/dialog_placement.h"

namespace tq::gui {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

constexpr int kPathRole = Qt::UserRole;

}  // namespace

BackupsDialog::BackupsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("BackupsDialog");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* column = new QVBoxLayout(this);
    folderLabel_ = new QLabel(this);
    folderLabel_->setObjectName("BackupsFolder");
    folderLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folderLabel_->setWordWrap(true);
    column->addWidget(folderLabel_);
    list_ = new QTreeWidget(this);
    list_->setObjectName("BackupsList");
    list_->setRootIsDecorated(false);
    list_->setAllColumnsShowFocus(true);
    list_->setColumnCount(4);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->setMinimumSize(560, 260);
    column->addWidget(list_, 1);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Close, this);
    load_ = buttons_->addButton(QString(), QDialogButtonBox::ActionRole);
    load_->setObjectName("BackupsLoad");
    folder_ = buttons_->addButton(QString(), QDialogButtonBox::ActionRole);
    folder_->setObjectName("BackupsShowFolder");
    column->addWidget(buttons_);

    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(load_, &QPushButton::clicked, this, [this] {
        if (const QTreeWidgetItem* item = list_->currentItem()) emit loadRequested(item->data(0, kPathRole).toString());
    });
    connect(list_, &QTreeWidget::itemDoubleClicked, load_, &QPushButton::click);
    connect(folder_, &QPushButton::clicked, this, &BackupsDialog::ShowFolder);
    connect(list_, &QTreeWidget::currentItemChanged, this, &BackupsDialog::UpdateButtons);
}

void BackupsDialog::Open(const std::vector<BackupEntry>& backups, const std::filesystem::path& folder, int language) {
    language_ = language;
    folderPath_ = Q(folder.string());
    const TextPicker text(language);
    setWindowTitle(Q(text(TextId::BackupsTitle)));
    folderLabel_->setText(Q(text(TextId::BackupFolderText, {folder.string()})));
    list_->setHeaderLabels({Q(text(TextId::BackupColumnChip)), Q(text(TextId::BackupColumnTime)),
                            Q(text(TextId::BackupColumnSize)), Q(text(TextId::BackupColumnCrc))});
    list_->clear();
    for (const BackupEntry& backup : backups) {
        auto* item = new QTreeWidgetItem(list_, {Q(backup.chip), Q(BackupTimeText(backup.time)),
                                                 QLocale::c().toString(static_cast<qulonglong>(backup.size)),
                                                 Q(backup.crc32)});
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, kPathRole, Q(backup.path.string()));
        item->setToolTip(0, Q(backup.path.string()));
    }
    if (backups.empty()) {
        auto* none = new QTreeWidgetItem(list_, {Q(text(TextId::BackupsNone))});
        none->setFlags(Qt::NoItemFlags);
    } else {
        list_->setCurrentItem(list_->topLevelItem(0));
    }
    load_->setText(Q(text(TextId::BackupLoadCommand)));
    folder_->setText(Q(text(TextId::BackupShowFolderCommand)));
    buttons_->button(QDialogButtonBox::Close)->setText(Q(text(TextId::CloseCommand)));
    UpdateButtons();
    ShowDialog(*this);
}

void BackupsDialog::SetBusy(bool busy) {
    busy_ = busy;
    UpdateButtons();
}

void BackupsDialog::UpdateButtons() {
    const QTreeWidgetItem* item = list_->currentItem();
    load_->setEnabled(!busy_ && item && !item->data(0, kPathRole).toString().isEmpty());
}

void BackupsDialog::ShowFolder() {
    QDir().mkpath(folderPath_);
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(folderPath_))) return;
    // No file manager here: the path goes where the person can paste it.
    QApplication::clipboard()->setText(folderPath_);
    QMessageBox box(QMessageBox::Information, windowTitle(),
                    Q(Text(language_, TextId::BackupFolderCopied, {folderPath_.toStdString()})), QMessageBox::Ok, this);
    box.button(QMessageBox::Ok)->setText(Q(Text(language_, TextId::OkCommand)));
    box.exec();
}

std::unique_ptr<QMessageBox> MakeNotBlankBox(QWidget* parent, const QString& title, const QString& text, int language) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QPushButton* erase = box->addButton(Q(Text(language, TextId::EraseFirstCommand)), QMessageBox::AcceptRole);
    erase->setObjectName("NotBlankEraseFirst");
    box->addButton(Q(Text(language, TextId::WriteAnywayCommand)), QMessageBox::DestructiveRole)
        ->setObjectName("NotBlankWriteAnyway");
    QPushButton* cancel = box->addButton(Q(Text(language, TextId::CancelCommand)), QMessageBox::RejectRole);
    cancel->setObjectName("NotBlankCancel");
    box->setDefaultButton(erase);
    box->setEscapeButton(cancel);
    return box;
}

NotBlankChoice NotBlankAnswerOf(const QMessageBox& box) {
    const QAbstractButton* clicked = box.clickedButton();
    if (!clicked) return NotBlankChoice::Cancel;
    if (clicked->objectName() == "NotBlankEraseFirst") return NotBlankChoice::EraseFirst;
    if (clicked->objectName() == "NotBlankWriteAnyway") return NotBlankChoice::WriteAnyway;
    return NotBlankChoice::Cancel;
}

}  // namespace tq::gui
