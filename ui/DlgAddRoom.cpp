#include "ui/DlgAddRoom.h"

#include "app/UserMessages.h"
#include "support/TextUtil.h"
#include "ui/QtUserMessages.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace tw {

namespace {

QString Q(const std::wstring& s) {
    return QString::fromStdWString(s);
}

} // namespace

CDlgAddRoom::CDlgAddRoom(const std::map<std::wstring, int>& roomNames, IUserMessages* messages,
                         QWidget* parent)
    : QDialog(parent), bAddMode(true), pMessages(messages) {
    Build(roomNames);
}

CDlgAddRoom::CDlgAddRoom(const std::map<std::wstring, int>& roomNames, IUserMessages* messages,
                         const std::wstring& roomName, const std::wstring& nickname,
                         const std::wstring& historyPath, const std::wstring& rate, QWidget* parent)
    : QDialog(parent), strRoomName(roomName), strNickname(nickname), strHistoryPath(historyPath),
      strRate(rate), bAddMode(false), pMessages(messages) {
    Build(roomNames);
}

CDlgAddRoom::~CDlgAddRoom() = default;

void CDlgAddRoom::Build(const std::map<std::wstring, int>& roomNames) {
    if (!pMessages) {
        ownMessages = std::make_unique<CQtUserMessages>();
        pMessages = ownMessages.get();
    }
    setWindowTitle(bAddMode ? QStringLiteral("Add room settings")
                            : QStringLiteral("Change room settings"));

    comboRoom = new QComboBox(this);
    comboRoom->setObjectName(QStringLiteral("comboRoom"));
    // The map's order is the rooms' sorted order. When adding, a room that is
    // configured already is not offered: each room is configured once.
    for (const auto& [name, mark] : roomNames)
        if (!bAddMode || mark == 0)
            comboRoom->addItem(Q(name));
    comboRoom->setCurrentIndex(bAddMode ? -1 : comboRoom->findText(Q(strRoomName)));
    comboRoom->setEnabled(bAddMode);
    comboRoom->setMinimumWidth(160);

    editNickname = new QLineEdit(Q(strNickname), this);
    editNickname->setObjectName(QStringLiteral("editNickname"));
    editHistoryPath = new QLineEdit(Q(strHistoryPath), this);
    editHistoryPath->setObjectName(QStringLiteral("editHistoryPath"));
    editHistoryPath->setMinimumWidth(300);
    auto* browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("buttonBrowse"));
    browse->setText(QStringLiteral("..."));
    browse->setToolTip(QStringLiteral("Choose the folder of the hand histories"));
    browse->setCursor(Qt::PointingHandCursor);
    connect(browse, &QToolButton::clicked, this, [this] { BrowseFolder(); });
    editRate = new QLineEdit(Q(strRate), this);
    editRate->setObjectName(QStringLiteral("editRate"));

    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(3);
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Room"), this), row++, 0, 1, 2);
    grid->addWidget(comboRoom, row++, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Nickname"), this), row++, 0, 1, 2);
    grid->addWidget(editNickname, row++, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("History path"), this), row++, 0, 1, 2);
    grid->addWidget(editHistoryPath, row, 0);
    grid->addWidget(browse, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Currency Exchange Rate"), this), row++, 0, 1, 2);
    grid->addWidget(editRate, row++, 0, 1, 2);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    for (QAbstractButton* b : buttons->buttons())
        b->setCursor(Qt::PointingHandCursor);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgAddRoom::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgAddRoom::reject);

    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addSpacing(6);
    top->addWidget(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);
}

void CDlgAddRoom::BrowseFolder() {
    const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("History path"),
                                                          editHistoryPath->text().trimmed());
    if (!dir.isEmpty())
        editHistoryPath->setText(QDir::toNativeSeparators(dir));
}

void CDlgAddRoom::Tell(const std::wstring& text) {
    pMessages->MessageBoxInfo(text, L"Tarnwick");
}

void CDlgAddRoom::accept() {
    strRoomName =
        comboRoom->currentIndex() >= 0 ? comboRoom->currentText().toStdWString() : std::wstring();
    strNickname = Trim(editNickname->text().toStdWString());
    strHistoryPath = Trim(editHistoryPath->text().toStdWString());
    // The folder is kept without a trailing separator, as the rooms file
    // loads it; a root folder stays as it is.
    while (strHistoryPath.size() > 1 &&
           (strHistoryPath.back() == L'/' || strHistoryPath.back() == L'\\'))
        strHistoryPath.pop_back();
    strRate = Trim(editRate->text().toStdWString());

    if (strRoomName.empty()) {
        Tell(L"Select poker room!");
        comboRoom->setFocus();
        return;
    }
    if (strNickname.empty()) {
        Tell(L"Enter nickname!");
        editNickname->setFocus();
        return;
    }
    if (strHistoryPath.empty()) {
        Tell(L"Enter history path!");
        editHistoryPath->setFocus();
        return;
    }
    if (strRate.empty())
        strRate = L"1.0000";
    QDialog::accept();
}

} // namespace tw
