#include "gui/project_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QTabBar>
#include <QTextCursor>

#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"

namespace tq::gui {
namespace {

QString T(int language, TextId id) { return QString::fromStdString(Text(language, id)); }

QColor ColourOf(LogColour colour, const QPalette& palette) {
    switch (colour) {
        case LogColour::Grey: return QColor(128, 128, 128);
        case LogColour::Red: return QColor(255, 0, 0);
        case LogColour::WindowText: break;
    }
    return palette.color(QPalette::WindowText);
}

void SetItems(QComboBox* box, const QStringList& items) {
    for (int i = 0; i < items.size() && i < box->count(); ++i) box->setItemText(i, items[i]);
}

}  // namespace

ProjectDialog::ProjectDialog(OperationContext& context, bool& chipFrameInDialog, QWidget* parent)
    : QDialog(parent), editor_(context, logFromWorker_, chipFrameInDialog) {
    setObjectName("TfrmProject");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 0);
    pages_ = new QTabWidget(this);
    pages_->setObjectName("pagOffPrj");
    pages_->addTab(BuildEditPage(), QString());
    pages_->tabBar()->hide();  // the project list page takes no part
    column->addWidget(pages_, 1);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName("sbPrj");
    statusBar_->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        panels_[i] = new QLabel(statusBar_);
        panels_[i]->setObjectName(QString("sbPrjPanel%1").arg(i));
        statusBar_->addWidget(panels_[i], 1);
    }
    column->addWidget(statusBar_);
    Retranslate(0);
}

QWidget* ProjectDialog::BuildEditPage() {
    auto* page = new QWidget;
    page->setObjectName("tabPrjEdit");
    auto* grid = new QGridLayout(page);

    chipFrameHost_ = new QVBoxLayout;
    grid->addLayout(chipFrameHost_, 0, 0, Qt::AlignTop);

    operation_ = new QGroupBox(page);
    auto* steps = new QGridLayout(operation_);
    methodLabel_ = new QLabel(operation_);
    methodLabel_->setObjectName("labelDownMethod");
    method_ = new QComboBox(operation_);
    method_->setObjectName("cmbDownMethod");
    method_->addItems({"", "", ""});
    method_->setCurrentIndex(1);
    steps->addWidget(methodLabel_, 0, 0);
    steps->addWidget(method_, 0, 1, 1, 2);
    const std::array<std::pair<QCheckBox**, const char*>, 5> boxes{{{&idCheck_, "chkPrjIdCheck"},
                                                                    {&erase_, "chkPrjErase"},
                                                                    {&blankCheck_, "chkPrjBlankCheck"},
                                                                    {&write_, "chkPrjWrite"},
                                                                    {&verify_, "chkPrjVerify"}}};
    for (size_t i = 0; i < boxes.size(); ++i) {
        QCheckBox* box = new QCheckBox(operation_);
        box->setObjectName(boxes[i].second);
        *boxes[i].first = box;
        steps->addWidget(box, 1 + static_cast<int>(i) / 3, static_cast<int>(i) % 3);
    }
    limit_ = new QCheckBox(operation_);
    limit_->setObjectName("chkProTimes");
    limitCount_ = new QLineEdit("0", operation_);
    limitCount_->setObjectName("editProTimes");
    steps->addWidget(limit_, 3, 0);
    steps->addWidget(limitCount_, 3, 1, 1, 2);
    grid->addWidget(operation_, 0, 1, Qt::AlignTop);

    // Created hidden, as the editor has always had it: nothing shows it, so
    // projects from this dialog carry no serial numbers.
    serial_ = new QGroupBox(page);
    serial_->setObjectName("gbPrjSN");
    auto* sn = new QGridLayout(serial_);
    autoSerial_ = new QCheckBox(serial_);
    autoSerial_->setObjectName("chkAutoSN");
    serialBytesLabel_ = new QLabel(serial_);
    serialBytes_ = new QComboBox(serial_);
    serialBytes_->setObjectName("cmbSNBytes");
    serialBytes_->addItems({"1Byte", "2Byte", "4Byte"});
    serialBytes_->setPlaceholderText("4Byte");
    serialBytes_->setCurrentIndex(-1);
    serialEndianLabel_ = new QLabel(serial_);
    serialEndian_ = new QComboBox(serial_);
    serialEndian_->setObjectName("cmbSNEndian");
    serialEndian_->addItems({"", ""});
    serialAddressLabel_ = new QLabel(serial_);
    serialAddress_ = new QLineEdit("00000000", serial_);
    serialAddress_->setObjectName("lbeSnAddr");
    serialValueLabel_ = new QLabel(serial_);
    serialValue_ = new QLineEdit("00000000", serial_);
    serialValue_->setObjectName("lbeSnValue");
    sn->addWidget(autoSerial_, 0, 0, 1, 2);
    sn->addWidget(serialBytesLabel_, 1, 0);
    sn->addWidget(serialBytes_, 1, 1);
    sn->addWidget(serialEndianLabel_, 2, 0);
    sn->addWidget(serialEndian_, 2, 1);
    sn->addWidget(serialAddressLabel_, 3, 0);
    sn->addWidget(serialAddress_, 3, 1);
    sn->addWidget(serialValueLabel_, 4, 0);
    sn->addWidget(serialValue_, 4, 1);
    serial_->hide();
    grid->addWidget(serial_, 1, 1);

    auto* fileRow = new QHBoxLayout;
    chooseFile_ = new QPushButton(page);
    chooseFile_->setObjectName("Button2");
    connect(chooseFile_, &QPushButton::clicked, this, &ProjectDialog::Button2Clicked);
    projectName_ = new QLineEdit(page);
    projectName_->setObjectName("editPrjName");
    download_ = new QPushButton(page);
    download_->setObjectName("btnDownLoadPrj");
    connect(download_, &QPushButton::clicked, this, &ProjectDialog::btnDownLoadPrjClicked);
    fileRow->addWidget(chooseFile_);
    fileRow->addWidget(projectName_, 1);
    fileRow->addWidget(download_);
    grid->addLayout(fileRow, 2, 0, 1, 2);

    bar_ = new QProgressBar(page);
    bar_->setObjectName("pbPrjDownStatus");
    bar_->setValue(0);
    grid->addWidget(bar_, 3, 0, 1, 2);
    log_ = new QTextEdit(page);
    log_->setObjectName("memLogOffPrj");
    log_->setReadOnly(true);
    log_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    log_->setMinimumHeight(90);
    grid->addWidget(log_, 4, 0, 1, 2);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(1, 1);
    return page;
}

void ProjectDialog::Retranslate(int language) {
    setWindowTitle(T(language, TextId::ProjectDialogTitle));
    pages_->setTabText(0, T(language, TextId::ProjectEditPage));
    operation_->setTitle(T(language, TextId::ProjectOperationGroup));
    methodLabel_->setText(T(language, TextId::ProjectMethodLabel));
    SetItems(method_, {T(language, TextId::ProjectMethodManual), T(language, TextId::ProjectMethodAutomatic),
                       T(language, TextId::ProjectMethodMachine)});
    verify_->setText(T(language, TextId::ProjectVerify));
    write_->setText(T(language, TextId::ProjectWrite));
    erase_->setText(T(language, TextId::ProjectErase));
    idCheck_->setText(T(language, TextId::ProjectIdCheck));
    blankCheck_->setText(T(language, TextId::ProjectBlankCheck));
    limit_->setText(T(language, TextId::ProjectCountLimit));
    serial_->setTitle(T(language, TextId::ProjectSerialGroup));
    autoSerial_->setText(T(language, TextId::ProjectAddSerial));
    serialBytesLabel_->setText(T(language, TextId::ProjectSerialBytes));
    serialEndianLabel_->setText(T(language, TextId::ProjectByteOrder));
    SetItems(serialEndian_, {T(language, TextId::ProjectBigEndian), T(language, TextId::ProjectLittleEndian)});
    serialAddressLabel_->setText(T(language, TextId::ProjectSerialAddress));
    serialValueLabel_->setText(T(language, TextId::ProjectSerialValue));
    chooseFile_->setText(T(language, TextId::ProjectChooseDataFile));
    download_->setText(T(language, TextId::ProjectDownloadCommand));
    projectName_->setPlaceholderText(T(language, TextId::ProjectNamePlaceholder));
}

ProjectPlan ProjectDialog::Plan() const {
    ProjectPlan plan;
    plan.name = projectName_->text().toStdString();
    const int method = method_->currentIndex();  // manual, automatic, machine; none counts as manual
    plan.method = method == 1 ? DownloadMethod::Automatic : method == 2 ? DownloadMethod::Machine : DownloadMethod::Manual;
    plan.idCheck = idCheck_->isChecked();
    plan.erase = erase_->isChecked();
    plan.write = write_->isChecked();
    plan.verify = verify_->isChecked();
    plan.serialNumbers = autoSerial_->isChecked();
    const int bytes = serialBytes_->currentIndex();  // "1Byte", "2Byte", "4Byte"; none shows "4Byte"
    plan.serialBytes = bytes == 0 ? 1 : bytes == 1 ? 2 : 4;
    plan.serialLittleEndian = serialEndian_->currentIndex() == 1;
    plan.serialAddress = serialAddress_->text().toStdString();
    plan.serialValue = serialValue_->text().toStdString();
    plan.countLimited = limit_->isChecked();
    plan.countLimit = limitCount_->text().toStdString();
    return plan;
}

void ProjectDialog::ShowSteps(const ProjectPlan& plan) {
    idCheck_->setChecked(plan.idCheck);
    erase_->setChecked(plan.erase);
    write_->setChecked(plan.write);
    verify_->setChecked(plan.verify);
}

void ProjectDialog::SetProjectName(const std::string& name) { projectName_->setText(QString::fromStdString(name)); }

void ProjectDialog::Clear() {
    log_->clear();
}

void ProjectDialog::AppendLine(const std::string& text, LogColour colour) {
    QTextCursor cursor(log_->document());
    cursor.movePosition(QTextCursor::End);
    if (!log_->document()->isEmpty()) cursor.insertBlock();
    QTextCharFormat format;
    format.setForeground(ColourOf(colour, palette()));
    cursor.insertText(QString::fromStdString(text), format);
    log_->setTextCursor(cursor);
    log_->ensureCursorVisible();
    log_->setFocus();
}

void ProjectDialog::StatusPanels::SetPanelText(int panel, const std::string& text) {
    if (panel < 0 || panel > 1) return;
    dialog_.panels_[panel]->setText(QString::fromStdString(text));
}

void ProjectDialog::Bar::SetMaximum(uint32_t maximum) {
    dialog_.bar_->setMaximum(static_cast<int>(std::min<uint32_t>(maximum, INT32_MAX)));
}

void ProjectDialog::Bar::SetPosition(uint32_t position) {
    dialog_.bar_->setValue(static_cast<int>(std::min<uint32_t>(position, INT32_MAX)));
}

}  // namespace tq::gui
