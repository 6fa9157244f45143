// The dialog that shows where the money and big-blind limits stand: the
// configured take profit and stop loss, the trailing levels now, and the
// peaks they trail; and how fast the running session goes. It only displays; the figures are taken
// when it opens.
#pragma once

#include "store/SessionFigures.h"

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;

namespace tw {

class CTarnwickApp;

class CInfoDlg : public QDialog {
public:
    // Takes the figures from `app` (the dialog keeps no reference).
    explicit CInfoDlg(const CTarnwickApp& app, QWidget* parent = nullptr);

    // A figure as the dialog shows it: up to 15 significant digits, no
    // trailing zeros or point, a point as decimal separator whatever the
    // locale ("%.15g" in the C locale): 1000, -17.5, 0.3 for 0.1 + 0.2.
    static std::wstring FormatValue(double value);

    // The figures, in the order of the fields.
    double dTakeProfitAmount = 0.0;
    double dStopLossAmount = 0.0;
    double dTakeProfitLevel = 0.0;
    double dStopLossLevel = 0.0;
    double dPeakMoney = 0.0;
    double dTotalBB = 0.0;
    double dPeakBB = 0.0;
    double dBBStopInitial = 0.0;
    double dBBStopLevel = 0.0;
    // Hands of the session that named the hero but could not be read.
    int nUnreadHands = 0;
    // The money total (in bankroll mode the bankroll) and, beside it, the
    // session's own result, which the limits measure.
    double dTotalMoney = 0.0;
    double dSessionMoney = 0.0;

    // The session's result, from the session window's rules (without it
    // the dialog takes the total for it).
    void SetSessionResult(double money) { dSessionMoney = money; }
    // How fast the running session goes (bb/100, hands and money an hour);
    // without it (no session runs) those fields stay empty.
    void SetSessionRates(const Rates& rates) { sessionRates = rates; }
    std::optional<Rates> sessionRates;

protected:
    // Shows the figures as they are when the dialog opens.
    void showEvent(QShowEvent* event) override;

private:
    void Show();

    QLineEdit* fields[9] = {};
    QLineEdit* editUnread = nullptr;
    QLineEdit* editSessionMoney = nullptr;
    QLineEdit* editTotalMoney = nullptr;
    QLineEdit* editBBPer100 = nullptr;
    QLineEdit* editHandsPerHour = nullptr;
    QLineEdit* editMoneyPerHour = nullptr;
};

} // namespace tw
