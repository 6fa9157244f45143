#include "ui/AboutDlg.h"
#include "ui/Resources.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace tw {

namespace {
constexpr int kVersionMajor = 3;
constexpr int kVersionMinor = 1;
const char* const kSiteUrl = "https://www.quillfen.example/tarnwick/";
} // namespace

QString CAboutDlg::VersionLine() {
    return QStringLiteral("Tarnwick, Version %1.%2").arg(kVersionMajor).arg(kVersionMinor);
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Tarnwick"));
    setWindowIcon(LoadIconResource(kIdAppIcon));
    setWindowFlag(Qt::WindowStaysOnTopHint, true); // above the always-on-top session window

    auto* icon = new QLabel(this);
    icon->setPixmap(LoadIconPixmap(kIdAppIcon, 32));
    lblVersion = new QLabel(VersionLine(), this);
    auto* link = new QLabel(
        QStringLiteral("<a href=\"%1\">%1</a>").arg(QString::fromLatin1(kSiteUrl)), this);
    link->setTextFormat(Qt::RichText);
    link->setOpenExternalLinks(true);
    link->setToolTip(QStringLiteral("Visit our site"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(lblVersion, 0, 1);
    grid->addWidget(link, 1, 1);
    grid->addWidget(buttons, 2, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

QString CAboutDlg::VersionText() const {
    return lblVersion->text();
}

} // namespace tw
