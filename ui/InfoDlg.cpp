#include "ui/InfoDlg.h"

#include "app/TarnwickApp.h"
#include "support/NumberText.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <charconv>
#include <utility>

namespace tw {

CInfoDlg::CInfoDlg(const CTarnwickApp& app, QWidget* parent)
    : QDialog(parent), dTakeProfitAmount(app.Alarms().dTakeProfitAmount),
      dStopLossAmount(app.Alarms().dStopLossAmount),
      dTakeProfitLevel(app.alarmState.dTakeProfitLevel),
      dStopLossLevel(app.alarmState.dStopLossLevel), dPeakMoney(app.alarmState.dPeakMoney),
      dTotalBB(app.dTotalBB), dPeakBB(app.alarmState.dPeakBB),
      dBBStopInitial(app.alarmState.dBBStopInitial), dBBStopLevel(app.alarmState.dBBStopLevel),
      nUnreadHands(app.nUnreadHands), dTotalMoney(app.dTotalMoney), dSessionMoney(app.dTotalMoney) {
    setWindowTitle(QStringLiteral("Info"));

    static const char* const kNames[9] = {
        "editTakeProfit",       "editStopLoss",      "editTrailingTakeProfit",
        "editTrailingStopLoss", "editPeakMoney",     "editTotalBB",
        "editPeakBB",           "editBBStopInitial", "editBBStopLevel"};
    for (int i = 0; i < 9; ++i) {
        fields[i] = new QLineEdit(this);
        fields[i]->setObjectName(QLatin1String(kNames[i]));
        fields[i]->setReadOnly(true);
        fields[i]->setMinimumWidth(110);
    }

    // A label above each field, two fields to a row.
    auto block = [this](QGridLayout* g, int first, std::initializer_list<const char*> labels) {
        g->setVerticalSpacing(8);
        int i = 0;
        for (const char* label : labels) {
            auto* cell = new QVBoxLayout;
            cell->setSpacing(2);
            cell->addWidget(new QLabel(QLatin1String(label), this));
            cell->addWidget(fields[first + i]);
            g->addLayout(cell, i / 2, i % 2);
            ++i;
        }
    };
    // The session's result and the total, as the window's money figure
    // shows one of them.
    editSessionMoney = new QLineEdit(this);
    editSessionMoney->setObjectName(QStringLiteral("editSessionMoney"));
    editTotalMoney = new QLineEdit(this);
    editTotalMoney->setObjectName(QStringLiteral("editTotalMoney"));
    auto* result = new QGridLayout;
    int column = 0;
    for (auto [edit, label] :
         {std::pair{editSessionMoney, "This session"}, std::pair{editTotalMoney, "Total"}}) {
        edit->setReadOnly(true);
        edit->setMinimumWidth(110);
        auto* cell = new QVBoxLayout;
        cell->setSpacing(2);
        cell->addWidget(new QLabel(QLatin1String(label), this));
        cell->addWidget(edit);
        result->addLayout(cell, 0, column++);
    }

    // How fast the running session goes.
    editBBPer100 = new QLineEdit(this);
    editBBPer100->setObjectName(QStringLiteral("editBBPer100"));
    editHandsPerHour = new QLineEdit(this);
    editHandsPerHour->setObjectName(QStringLiteral("editHandsPerHour"));
    editMoneyPerHour = new QLineEdit(this);
    editMoneyPerHour->setObjectName(QStringLiteral("editMoneyPerHour"));
    column = 0;
    for (auto [edit, label] :
         {std::pair{editBBPer100, "bb/100"}, std::pair{editHandsPerHour, "Hands/hour"},
          std::pair{editMoneyPerHour, "Money/hour"}}) {
        edit->setReadOnly(true);
        edit->setMinimumWidth(70);
        auto* cell = new QVBoxLayout;
        cell->setSpacing(2);
        cell->addWidget(new QLabel(QLatin1String(label), this));
        cell->addWidget(edit);
        result->addLayout(cell, 1, column++);
    }

    auto* money = new QGridLayout;
    block(money, 0,
          {"Initial take profit", "Initial stop loss", "Trailing take profit", "Trailing stop loss",
           "Maximal value"});

    auto* bbBox = new QGroupBox(QStringLiteral("BBs"), this);
    auto* bb = new QGridLayout(bbBox);
    block(bb, 5, {"Current", "Maximal", "Initial stop loss", "Trailing stop loss"});

    // Hands that named the hero but could not be read are never silent: the
    // work log names each one.
    editUnread = new QLineEdit(this);
    editUnread->setObjectName(QStringLiteral("editUnreadHands"));
    editUnread->setReadOnly(true);
    auto* unread = new QGridLayout;
    unread->addWidget(new QLabel(QStringLiteral("Unread hands (named in the work log)"), this), 0,
                      0);
    unread->addWidget(editUnread, 0, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setCursor(Qt::PointingHandCursor);
    connect(buttons, &QDialogButtonBox::accepted, this, &CInfoDlg::accept);

    auto* top = new QVBoxLayout(this);
    top->addLayout(result);
    top->addSpacing(6);
    top->addLayout(money);
    top->addSpacing(6);
    top->addWidget(bbBox);
    top->addLayout(unread);
    top->addWidget(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);
    Show();
}

std::wstring CInfoDlg::FormatValue(double value) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    return std::wstring(buf, res.ptr);
}

void CInfoDlg::showEvent(QShowEvent* event) {
    Show();
    QDialog::showEvent(event);
}

void CInfoDlg::Show() {
    const double values[9] = {dTakeProfitAmount, dStopLossAmount, dTakeProfitLevel,
                              dStopLossLevel,    dPeakMoney,      dTotalBB,
                              dPeakBB,           dBBStopInitial,  dBBStopLevel};
    for (int i = 0; i < 9; ++i)
        fields[i]->setText(QString::fromStdWString(FormatValue(values[i])));
    editUnread->setText(QString::number(nUnreadHands));
    editSessionMoney->setText(QString::fromStdWString(FormatFixed(dSessionMoney, 2)));
    editTotalMoney->setText(QString::fromStdWString(FormatFixed(dTotalMoney, 2)));
    auto rate = [this](double Rates::*field, int decimals) {
        return sessionRates ? QString::fromStdWString(FormatFixed((*sessionRates).*field, decimals))
                            : QString();
    };
    editBBPer100->setText(rate(&Rates::dBBPer100, 1));
    editHandsPerHour->setText(rate(&Rates::dHandsPerHour, 0));
    editMoneyPerHour->setText(rate(&Rates::dMoneyPerHour, 2));
}

} // namespace tw
