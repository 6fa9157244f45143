#include "ui/InfoDlg.h"

#include "tests/qt/DialogTestUtil.h"

#include <QLineEdit>
#include <cmath>

using namespace tw;
using twtest::Child;
using twtest::StartedApp;

namespace {

const char* const kFields[9] = {
    "editTakeProfit",       "editStopLoss",      "editTrailingTakeProfit",
    "editTrailingStopLoss", "editPeakMoney",     "editTotalBB",
    "editPeakBB",           "editBBStopInitial", "editBBStopLevel"};

QStringList Shown(const CInfoDlg& dlg) {
    QStringList texts;
    for (const char* f : kFields)
        texts << Child<QLineEdit>(&dlg, f)->text();
    return texts;
}

} // namespace

TEST(InfoDlg, ShowsTheLimitsAsTheyStandWhenOpened) {
    StartedApp s;
    {
        CInfoDlg dlg(*s.app);
        dlg.show();
        EXPECT_EQ(Shown(dlg),
                  QStringList({"1000", "-1000", "1000", "-1000", "0", "0", "0", "-1000", "-1000"}));
        // No session runs: it has no rates.
        EXPECT_EQ(Child<QLineEdit>(&dlg, "editBBPer100")->text(), "");
    }

    // Stop loss -50 trailing a peak of 120; big blinds trailing 12.5.
    twtest::ChangeAlarms(*s.app, [](AlarmSettings& a) { a.dStopLossAmount = -50; });
    AlarmState& state = s.app->alarmState;
    state.dStopLossLevel = 70;
    state.dPeakMoney = 120;
    s.app->dTotalBB = 10.25;
    state.dPeakBB = 12.5;
    state.dBBStopInitial = -30;
    state.dBBStopLevel = -17.5;
    s.app->nUnreadHands = 2;
    CInfoDlg dlg(*s.app);
    dlg.SetSessionRates({30.0, 80.0, 12.5});
    state.dPeakMoney = 500; // later changes do not reach an open dialog
    dlg.show();
    EXPECT_EQ(Shown(dlg),
              QStringList({"1000", "-50", "1000", "70", "120", "10.25", "12.5", "-30", "-17.5"}));
    // Hands that named the hero but could not be read are never silent.
    EXPECT_EQ(Child<QLineEdit>(&dlg, "editUnreadHands")->text(), "2");
    // The running session's bb/100, hands and money an hour.
    EXPECT_EQ(QStringList({Child<QLineEdit>(&dlg, "editBBPer100")->text(),
                           Child<QLineEdit>(&dlg, "editHandsPerHour")->text(),
                           Child<QLineEdit>(&dlg, "editMoneyPerHour")->text()}),
              QStringList({"30.0", "80", "12.50"}));
}

TEST(InfoDlg, FiguresHaveFifteenSignificantDigitsWithoutTrailingZeros) {
    const std::pair<double, const wchar_t*> cases[] = {
        {1000, L"1000"},
        {-17.5, L"-17.5"},
        {0.1 + 0.2, L"0.3"}, // not 0.30000000000000004
        {1.0 / 3, L"0.333333333333333"},
        {123456789012.345678, L"123456789012.346"},
        {1e15, L"1e+15"},
        {0.00001234, L"1.234e-05"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(CInfoDlg::FormatValue(value), text) << value;
}
