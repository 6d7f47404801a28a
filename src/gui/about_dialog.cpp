#include "gui/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSvgRenderer>
#include <QPainter>
#include <QVBoxLayout>

#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"
#include "core/texts/text_context.h"

namespace tq::gui {
namespace {

QPixmap Emblem(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QSvgRenderer(QStringLiteral(":/tqprog/about.svg")).render(&painter);
    return pixmap;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent, const std::filesystem::path& programFolder, int language,
                         const QString& dbVersion)
    : QDialog(parent) {
    setObjectName("TfrmAbout");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    TextContext texts;
    texts.Language = language;
    texts.ProgramFolder = programFolder;
    setWindowTitle(QString::fromStdString(LanguageFile(texts).Text("AboutMenu", "About")));

    auto* picture = new QLabel(this);
    picture->setObjectName("imgAbout");
    picture->setPixmap(Emblem(96));
    auto* version = new QLabel("TQM7300B  " + dbVersion + "  (2021)", this);
    version->setObjectName("lableSoftVer");
    QFont big = version->font();
    big.setPointSize(big.pointSize() + 3);
    big.setBold(true);
    version->setFont(big);
    auto* notice = new QLabel(QString::fromStdString(Text(language, TextId::AboutNotice)), this);
    notice->setObjectName("LinkLabel1");
    notice->setWordWrap(true);
    auto* licence = new QLabel(QString::fromStdString(Text(language, TextId::LicenceNotice)), this);
    licence->setObjectName("lblLicence");
    licence->setWordWrap(true);
    // Wrapped labels of a known width: their height is then reckoned for the
    // lines they really take, and the dialog grows to hold them all.
    for (QLabel* wrapped : {notice, licence}) wrapped->setFixedWidth(400);
    auto* ok = new QPushButton(QString::fromStdString(Text(language, TextId::AboutOk)), this);
    ok->setObjectName("btnOK");
    ok->setDefault(true);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(ok, QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(version);
    text->addWidget(notice);
    text->addWidget(licence);
    text->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(buttons);
    setMinimumWidth(380);
}

}  // namespace tq::gui
