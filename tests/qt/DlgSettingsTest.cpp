#include "ui/DlgSettings.h"

#include "session/Session.h"
#include "tests/qt/DialogTestUtil.h"
#include "ui/ColorButton.h"
#include "ui/DlgAddRoom.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <filesystem>

using namespace tw;
using twtest::ChangeAlarms;
using twtest::ChangeView;
using twtest::Child;
using twtest::StartedApp;
using twtest::WhenModal;

namespace {

// Every key the settings dialog keeps in the profile (the window writes
// "wndPos" itself).
const std::map<std::wstring, std::vector<std::wstring>> kSettingsKeys = {
    {L"BaseInfo",
     {L"RunOnStart", L"MinTrayAtStartup", L"AutoPause", L"AutoPauseMin",
      L"AlarmMessagesTakeFocus"}},
    {L"View", {L"ColorBg", L"ColorText", L"ColorText2", L"ColorText3", L"Size", L"Opacity"}},
    {L"Alarm", {L"Param", L"Sound"}},
    {L"Alarm2",
     {L"Param", L"Sound", L"SoundLoss", L"SoundLossBB", L"TakeProfit", L"AlarmLossBB",
      L"StopLossBB", L"StopLoss", L"TrailingTakeProfit", L"TrailingStopLoss"}},
    {L"Alarm3", {L"Param", L"Sound"}},
    {L"Currency", {L"Cur", L"USD_K", L"EUR_K", L"GBP_K"}},
    {L"Limits",
     {L"LockLimits", L"WarnTakeProfit", L"WarnStopLoss", L"WarnStopLossBB", L"WarnHands",
      L"WarnTime", L"WarnPercent", L"WarnHandsBefore", L"WarnMinutesBefore", L"DayStopLoss",
      L"DayStopLossAmount", L"DayStopLossBB", L"DayStopLossBBAmount", L"DayTime", L"DayMinutes",
      L"BreakReminder", L"BreakMinutes", L"BreakPauseMinutes"}},
};

template <class T = QWidget> T* C(const QDialog& dlg, const char* name) {
    return Child<T>(&dlg, name);
}

void ClickOk(const QDialog& dlg) {
    C<QPushButton>(dlg, "buttonOk")->click();
}

QLineEdit* Rate(const QDialog& dlg, const char* code) {
    return C<QLineEdit>(dlg, (std::string("editRate") + code).c_str());
}

// Fills the add-room dialog that comes up and confirms it.
void AnswerAddRoom(const QString& room, const QString& nick, const QString& path,
                   const QString& rate = QStringLiteral("1.0")) {
    WhenModal<CDlgAddRoom>([=](CDlgAddRoom& d) {
        auto* combo = Child<QComboBox>(&d, "comboRoom");
        combo->setCurrentIndex(combo->findText(room));
        Child<QLineEdit>(&d, "editNickname")->setText(nick);
        Child<QLineEdit>(&d, "editHistoryPath")->setText(path);
        Child<QLineEdit>(&d, "editRate")->setText(rate);
        d.accept();
    });
}

// The list's rows as "name" or "name+" when ticked.
QStringList ListRows(const QDialog& dlg) {
    auto* table = C<QTableWidget>(dlg, "tableRooms");
    QStringList rows;
    for (int r = 0; r < table->rowCount(); ++r)
        rows << table->item(r, 0)->text() +
                    (table->item(r, 0)->checkState() == Qt::Checked ? "+" : "");
    return rows;
}

std::string RoomsFile(const StartedApp& s) {
    return twtest::ReadBytes(tw::ToUtf8(s.app->RoomsFilePath()));
}

} // namespace

TEST(DlgSettings, LimitsAreStoredAndRearmTheirAlarmsOnlyWhenRaised) {
    StartedApp s;
    s.AddRoom(L"PokerStars", L"hero");
    AlarmState& state = s.app->alarmState;
    const AlarmSettings& alarms = s.app->Alarms();
    state.bTimeAlarmFired = state.bHandsAlarmFired = true;
    auto confirm = [&](const QString& time, int hands) {
        CDlgSettings dlg(*s.app);
        auto* edit = C<QLineEdit>(dlg, "editAlarmTime");
        const QString shown = edit->text();
        edit->setText(time);
        C<QSpinBox>(dlg, "spinHands")->setValue(hands);
        ClickOk(dlg);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        return shown;
    };

    EXPECT_EQ(confirm(QStringLiteral("01:30"), 600), QStringLiteral("01:00"));
    EXPECT_EQ(alarms.nTimeLimit, 90);
    EXPECT_EQ(alarms.strAlarmTime, L"01:30");
    EXPECT_FALSE(state.bTimeAlarmFired); // longer than 60 minutes: re-armed
    EXPECT_EQ(alarms.nHandsLimit, 600);
    EXPECT_TRUE(state.bHandsAlarmFired); // fewer hands: stays fired
    EXPECT_EQ(s.ProfileValue(L"Alarm3", L"Param"), L"0:90");

    // Minutes beyond 59 carry into the hours; the text stays as written.
    EXPECT_EQ(confirm(QStringLiteral("00:90"), 800), QStringLiteral("01:30"));
    EXPECT_EQ(alarms.nTimeLimit, 90);
    EXPECT_EQ(alarms.strAlarmTime, L"00:90");
    EXPECT_EQ(confirm(QStringLiteral("00:45"), 800), QStringLiteral("00:90"));
    EXPECT_EQ(alarms.strAlarmTime, L"00:45");
}

TEST(DlgSettings, ARefusedOkChangesNothingAndKeepsTheDialogOpen) {
    StartedApp s;
    s.AddRoom(L"PokerStars", L"hero");
    CDlgSettings dlg(*s.app);
    dlg.show();
    C<QCheckBox>(dlg, "checkAlarmHands")->setChecked(true);
    C<QSpinBox>(dlg, "spinHands")->setValue(900);
    C<QSlider>(dlg, "sliderOpacity")->setValue(40);

    // An incomplete time, a take profit that is no amount of cents and a
    // rate that would wipe out every hand in euros.
    const struct {
        const char* time;
        const char* takeProfit;
        const char* eur;
        const wchar_t* message;
    } cases[] = {
        {"1", "50", "1.12", L"Alarm time format 00:00 !"},
        {"02:00", "1,000", "1.12", L"Enter the take profit as an amount, like 50 or 12.50!"},
        {"02:00", "50", "0", nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.time) + " " + c.takeProfit + " " + c.eur);
        s.messages.shown.clear();
        C<QLineEdit>(dlg, "editAlarmTime")->setText(QString::fromLatin1(c.time));
        C<QLineEdit>(dlg, "editTakeProfit")->setText(QString::fromLatin1(c.takeProfit));
        Rate(dlg, "EUR")->setText(QString::fromLatin1(c.eur));
        ClickOk(dlg);
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        ASSERT_EQ(s.messages.shown.size(), 1u);
        EXPECT_EQ(s.messages.shown[0].nStyle, kMbIconInformation);
        if (c.message) {
            EXPECT_EQ(s.messages.shown[0].strText, c.message);
        }
    }
    EXPECT_EQ(s.app->Alarms().bHandsAlarm, 0);
    EXPECT_EQ(s.app->Alarms().nHandsLimit, 700);
    EXPECT_EQ(s.app->View().nOpacity, 100);
    EXPECT_EQ(s.app->RateOf(kCurrencyEUR), 1.12);
    EXPECT_TRUE(s.profile.mapValues.empty());
    EXPECT_FALSE(std::filesystem::exists(tw::ToUtf8(s.app->RoomsFilePath())));

    Rate(dlg, "EUR")->setText(QStringLiteral(" 1.10 "));
    ClickOk(dlg);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(s.app->Alarms().nHandsLimit, 900);
    EXPECT_EQ(s.ProfileValue(L"Currency", L"EUR_K"), L"1.10");
}

// Money limits take cents with a point or a comma, a stop loss typed positive
// is that loss, and the message switches are stored where they are read from.
TEST(DlgSettings, LimitsAndMessageSwitchesMeanWhatWasTyped) {
    const struct {
        const char* takeProfit;
        const char* stopLoss;
        double dTakeProfit, dStopLoss;
        const wchar_t* szParam;
    } cases[] = {{"5.00", "5.00", 5.0, -5.0, L"1:5.00:-5.00"},
                 {" 12,5", "-7,25", 12.5, -7.25, L"1:12.50:-7.25"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.takeProfit);
        StartedApp s;
        s.AddRoom(L"PokerStars", L"hero");
        CDlgSettings dlg(*s.app);
        dlg.show();
        C<QCheckBox>(dlg, "checkAlarmMoney")->setChecked(true);
        C<QLineEdit>(dlg, "editTakeProfit")->setText(QString::fromLatin1(c.takeProfit));
        C<QLineEdit>(dlg, "editStopLoss")->setText(QString::fromLatin1(c.stopLoss));
        C<QCheckBox>(dlg, "checkAlarmHands")->setChecked(true);
        C<QCheckBox>(dlg, "checkHandMessage")->setChecked(true);
        C<QCheckBox>(dlg, "checkMessagesTakeFocus")->setChecked(true);
        ClickOk(dlg);
        ASSERT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(s.app->Alarms().dTakeProfitAmount, c.dTakeProfit);
        EXPECT_EQ(s.app->Alarms().dStopLossAmount, c.dStopLoss);
        EXPECT_EQ(s.ProfileValue(L"Alarm2", L"Param"), c.szParam);
        EXPECT_EQ(s.ProfileValue(L"BaseInfo", L"AlarmMessagesTakeFocus"), L"1");

        // Read back as the next start reads them.
        s.app->LoadSettingsFile();
        EXPECT_EQ(s.app->Alarms().bHandMessage, 1);
        EXPECT_EQ(s.app->Alarms().bTimeMessage, 0);
    }
}

TEST(DlgSettings, CancelLeavesEverySettingAsItWas) {
    StartedApp s;
    s.AddRoom(L"PokerStars", L"hero");
    s.app->alarmState.dBBStopLevel = 12.5; // a trailing level under way
    const AlarmSettings alarms = s.app->Alarms();
    const ViewSettings view = s.app->View();
    const RateSettings rates = s.app->Rates();
    {
        CDlgSettings dlg(*s.app);
        dlg.fnApplyToWindow = [] { ADD_FAILURE() << "applied on Cancel"; };
        dlg.show();
        C<QCheckBox>(dlg, "checkAlarmHands")->setChecked(true);
        C<QSpinBox>(dlg, "spinHands")->setValue(900);
        C<QLineEdit>(dlg, "editAlarmTime")->setText(QStringLiteral("02:00"));
        C<QSpinBox>(dlg, "spinStopLossBB")->setValue(-30);
        C<QLineEdit>(dlg, "editSoundTime")->setText(QStringLiteral("/snd/bell.wav"));
        C<QCheckBox>(dlg, "checkAutoPause")->setChecked(true);
        C<QLineEdit>(dlg, "editTakeProfit")->setText(QStringLiteral("7.77"));
        C<QCheckBox>(dlg, "checkTimeMessage")->setChecked(true);
        C<QSlider>(dlg, "sliderOpacity")->setValue(40);
        C<QComboBox>(dlg, "comboSize")->setCurrentIndex(2);
        C<QCheckBox>(dlg, "checkRunOnStart")->setChecked(true);
        C<QRadioButton>(dlg, "radioGBP")->click();
        C<QPushButton>(dlg, "buttonCancel")->click();
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
    }
    EXPECT_EQ(s.app->Alarms(), alarms);
    EXPECT_EQ(s.app->View(), view);
    EXPECT_EQ(s.app->Rates(), rates);
    EXPECT_EQ(s.app->alarmState.dBBStopLevel, 12.5);
    EXPECT_TRUE(s.profile.mapValues.empty());
}

TEST(DlgSettings, OkWritesEveryProfileKeyAndTheRoomsOfTheList) {
    StartedApp s(
        [](CMemoryProfile& p) { p.WriteProfileString(L"Alarm2", L"Param", L"1:99.50:-40.25"); });
    s.AddRoom(L"PokerStars", L"hero", true);
    s.AddRoom(L"888 poker", L"villain", false);
    s.app->alarmState.dBBStopLevel = 12.5; // a trailing level under way

    bool applied = false;
    {
        CDlgSettings dlg(*s.app);
        dlg.fnApplyToWindow = [&] {
            applied = true; // after the application and the profile have it all
            EXPECT_EQ(s.app->View().nOpacity, 42);
            EXPECT_EQ(s.app->View().nSize, 2);
            EXPECT_TRUE(s.HasProfileKey(L"Currency", L"GBP_K"));
        };
        ASSERT_EQ(ListRows(dlg), QStringList({"888 poker", "PokerStars+"}));
        auto* table = C<QTableWidget>(dlg, "tableRooms");
        table->item(0, 0)->setCheckState(Qt::Checked);
        table->item(1, 0)->setCheckState(Qt::Unchecked);

        C<QSlider>(dlg, "sliderOpacity")->setValue(42);
        EXPECT_EQ(C<QLabel>(dlg, "labelOpacity")->text(), QStringLiteral("42%"));
        C<QComboBox>(dlg, "comboSize")->setCurrentIndex(2);
        C<QCheckBox>(dlg, "checkStopLossBB")->setChecked(true);
        C<QSpinBox>(dlg, "spinStopLossBB")->setValue(-30);
        // The take profit (99.50) is left alone; the stop loss is typed as
        // the loss it is.
        EXPECT_EQ(C<QLineEdit>(dlg, "editTakeProfit")->text(), QStringLiteral("99.50"));
        C<QLineEdit>(dlg, "editStopLoss")->setText(QStringLiteral("60"));
        C<QLineEdit>(dlg, "editSoundHands")->setText(QStringLiteral("/snd/not there.wav"));
        ClickOk(dlg);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    EXPECT_TRUE(applied);

    for (const auto& [section, keys] : kSettingsKeys)
        for (const auto& key : keys)
            EXPECT_TRUE(s.HasProfileKey(section, key)) << ToUtf8(section) << "/" << ToUtf8(key);
    EXPECT_FALSE(s.HasProfileKey(L"View", L"wndPos"));
    EXPECT_EQ(s.ProfileValue(L"Alarm2", L"Param"), L"1:99.50:-60.00");
    EXPECT_EQ(s.ProfileValue(L"Alarm2", L"AlarmLossBB"), L"-30");
    EXPECT_EQ(s.ProfileValue(L"Alarm2", L"StopLossBB"), L"1");
    EXPECT_EQ(s.ProfileValue(L"View", L"Opacity"), L"42");
    EXPECT_EQ(s.ProfileValue(L"Alarm", L"Sound"), L"/snd/not there.wav"); // as entered
    EXPECT_EQ(s.app->alarmState.dBBStopLevel, -30.0);

    // The rooms in list order, each as its row is ticked.
    const std::string rooms = RoomsFile(s);
    const auto at888 = rooms.find("<Room Id = \"888 poker\" active = \"1\">");
    const auto atStars = rooms.find("<Room Id = \"PokerStars\" active = \"0\">");
    ASSERT_NE(at888, std::string::npos) << rooms;
    ASSERT_NE(atStars, std::string::npos) << rooms;
    EXPECT_LT(at888, atStars);
    EXPECT_FALSE(s.app->Rooms().at(L"PokerStars").bActive);
}

TEST(DlgSettings, AddedChangedAndDeletedRoomsActAtOnce) {
    StartedApp s;
    s.AddRoom(L"PokerStars", L"hero");
    CDlgSettings dlg(*s.app);
    dlg.show();

    AnswerAddRoom(QStringLiteral("Titan poker"), QStringLiteral(" Ace "),
                  QStringLiteral("/hh/titan/"), QStringLiteral("1.5"));
    C<QToolButton>(dlg, "buttonAdd")->click();
    EXPECT_EQ(ListRows(dlg), QStringList({"PokerStars+", "Titan poker+"}));
    ASSERT_EQ(s.app->Rooms().count(L"Titan poker"), 1u);
    const CPokerRoom& titan = s.app->Rooms().at(L"Titan poker");
    EXPECT_EQ(titan.nRoomNumber, kRoomTitan); // its hands are read from now on
    EXPECT_TRUE(titan.bActive);
    EXPECT_EQ(titan.strNickname, L"Ace");
    EXPECT_EQ(titan.strHistoryPath, L"/hh/titan");
    EXPECT_EQ(titan.dExchangeRate, 1.5);
    EXPECT_NE(s.app->RoomNames().at(L"Titan poker"), 0);

    // Change: the room is fixed, the rate shown with four decimals.
    C<QTableWidget>(dlg, "tableRooms")->selectRow(1);
    WhenModal<CDlgAddRoom>([](CDlgAddRoom& d) {
        auto* combo = Child<QComboBox>(&d, "comboRoom");
        EXPECT_FALSE(combo->isEnabled());
        EXPECT_EQ(combo->currentText(), QStringLiteral("Titan poker"));
        EXPECT_EQ(Child<QLineEdit>(&d, "editRate")->text(), QStringLiteral("1.5000"));
        Child<QLineEdit>(&d, "editNickname")->setText(QStringLiteral("King"));
        d.accept();
    });
    C<QToolButton>(dlg, "buttonChange")->click();
    EXPECT_EQ(C<QTableWidget>(dlg, "tableRooms")->item(1, 1)->text(), QStringLiteral("King"));
    EXPECT_EQ(s.app->Rooms().at(L"Titan poker").strNickname, L"King");

    C<QTableWidget>(dlg, "tableRooms")->selectRow(0);
    C<QToolButton>(dlg, "buttonDelete")->click();
    EXPECT_EQ(ListRows(dlg), QStringList({"Titan poker+"}));
    EXPECT_EQ(s.app->Rooms().count(L"PokerStars"), 0u);
    EXPECT_EQ(s.app->RoomNames().at(L"PokerStars"), 0);

    // Cancel keeps the room edits for this run; only OK writes the file.
    dlg.reject();
    EXPECT_EQ(s.app->Rooms().count(L"Titan poker"), 1u);
    EXPECT_FALSE(std::filesystem::exists(tw::ToUtf8(s.app->RoomsFilePath())));
}

TEST(DlgSettings, AnAddedRoomIsTickedAndSavedAsItsTickSays) {
    StartedApp s;
    CDlgSettings dlg(*s.app);
    dlg.show();
    EXPECT_FALSE(C(dlg, "buttonChange")->isEnabled());
    EXPECT_FALSE(C(dlg, "buttonDelete")->isEnabled());
    ClickOk(dlg); // no room yet
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_EQ(s.messages.shown[0].strText, L"Enter settings room!");

    AnswerAddRoom(QStringLiteral("PokerStars"), QStringLiteral("hero"), QStringLiteral("/hh"));
    C<QToolButton>(dlg, "buttonAdd")->click();
    // A room just added counts; left unticked, it is saved inactive.
    EXPECT_EQ(ListRows(dlg), QStringList({"PokerStars+"}));
    C<QTableWidget>(dlg, "tableRooms")->item(0, 0)->setCheckState(Qt::Unchecked);
    ClickOk(dlg);
    ASSERT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(s.app->Rooms().at(L"PokerStars").bActive);
    EXPECT_NE(RoomsFile(s).find("<Room Id = \"PokerStars\" active = \"0\"><NickName>hero</NickName>"
                                "<HistoryPath>/hh</HistoryPath>"),
              std::string::npos)
        << RoomsFile(s);
}

TEST(DlgSettings, ColourPicksActAtOnceButReachTheProfileOnlyOnOk) {
    StartedApp s([](CMemoryProfile& p) { p.WriteProfileInt(L"View", L"ColorBg", 0x102030); });
    s.AddRoom(L"PokerStars", L"hero");
    const int red = 0x0000FF;
    int repaints = 0;
    {
        CDlgSettings dlg(*s.app);
        dlg.fnColorsChanged = [&] { ++repaints; };
        // A palette cell of the button's menu.
        const auto cells = C<CColorButton>(dlg, "colorBg")
                               ->menu()
                               ->findChildren<QToolButton*>(QStringLiteral("colorCell"));
        auto cell = std::find_if(cells.begin(), cells.end(), [](QToolButton* b) {
            return b->toolTip() == QStringLiteral("#ff0000");
        });
        ASSERT_NE(cell, cells.end());
        (*cell)->click();
        EXPECT_EQ(s.app->View().nColorBg, red);
        EXPECT_EQ(repaints, 1);
        dlg.reject();
    }
    EXPECT_EQ(s.app->View().nColorBg, red); // kept for this run
    EXPECT_EQ(s.profile.GetProfileInt(L"View", L"ColorBg", 0), 0x102030);

    ChangeView(*s.app, [](ViewSettings& v) { v.nColorText3 = 0x123456; });
    {
        CDlgSettings dlg(*s.app);
        auto* money = C<CColorButton>(dlg, "colorMoney");
        EXPECT_EQ(money->Color(), 0x123456);
        for (QAction* a : money->menu()->actions())
            if (a->text() == QStringLiteral("Default"))
                a->trigger();
        ClickOk(dlg);
    }
    EXPECT_EQ(s.profile.GetProfileInt(L"View", L"ColorBg", 0), red);
    EXPECT_EQ(s.profile.GetProfileInt(L"View", L"ColorText3", 0), 0x00C0FF);
}

TEST(DlgSettings, SwitchingTheDisplayCurrencyResetsTheRates) {
    StartedApp s([](CMemoryProfile& p) { p.WriteProfileString(L"Currency", L"GBP_K", L"1.30"); });
    s.AddRoom(L"PokerStars", L"hero");
    auto rates = [](const QDialog& dlg) {
        QStringList r;
        for (const char* c : {"USD", "EUR", "GBP"})
            r << Rate(dlg, c)->text() + (Rate(dlg, c)->isEnabled() ? "" : " off");
        return r;
    };
    {
        CDlgSettings dlg(*s.app);
        EXPECT_EQ(rates(dlg), QStringList({"1.00 off", "1.12", "1.30"})); // as stored
        C<QRadioButton>(dlg, "radioEUR")->click();
        EXPECT_EQ(rates(dlg), QStringList({"0.89", "1.00 off", "1.27"}));
        ClickOk(dlg);
    }
    EXPECT_EQ(s.app->DisplayCurrency(), kCurrencyEUR);
    EXPECT_EQ(s.app->RateOf(kCurrencyUSD), 0.89);
    EXPECT_EQ(s.app->RateOf(kCurrencyEUR), 1.0);
    EXPECT_EQ(s.app->RateOf(kCurrencyGBP), 1.27);
    EXPECT_EQ(s.ProfileValue(L"Currency", L"Cur"), L"1");
    EXPECT_EQ(s.ProfileValue(L"Currency", L"USD_K"), L"0.89");

    CDlgSettings dlg(*s.app);
    EXPECT_TRUE(C<QRadioButton>(dlg, "radioEUR")->isChecked());
    EXPECT_EQ(rates(dlg), QStringList({"0.89", "1.00 off", "1.27"}));
}

TEST(DlgSettings, EnterNeverConfirms) {
    StartedApp s;
    s.AddRoom(L"PokerStars", L"hero");
    CDlgSettings dlg(*s.app);
    dlg.show();
    for (const char* name : {"editAlarmTime", "editRateGBP", "spinHands", "buttonOk"}) {
        SCOPED_TRACE(name);
        QWidget* w = C(dlg, name);
        w->setEnabled(true);
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Return);
        QTest::keyClick(w, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_NE(dlg.result(), QDialog::Accepted);
    }
    EXPECT_TRUE(s.profile.mapValues.empty());
    QTest::keyClick(C(dlg, "buttonOk"), Qt::Key_Space); // the keyboard way to OK
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST(DlgSettings, GroupSwitchesEnableTheirFields) {
    StartedApp s;
    ChangeAlarms(*s.app, [](AlarmSettings& a) { a.bMoneyAlarm = 1; });
    CDlgSettings dlg(*s.app);
    const char* moneyFields[] = {"editTakeProfit", "checkTrailingTakeProfit", "editSoundTakeProfit",
                                 "editStopLoss",   "checkTrailingStopLoss",   "buttonPlayStopLoss",
                                 "spinStopLossBB", "buttonBrowseStopLossBB"};
    for (const char* f : moneyFields)
        EXPECT_TRUE(C(dlg, f)->isEnabled()) << f;
    C<QCheckBox>(dlg, "checkAlarmMoney")->setChecked(false);
    for (const char* f : moneyFields)
        EXPECT_FALSE(C(dlg, f)->isEnabled()) << f;
    // The switches stay usable, to arm their alarms for later.
    for (const char* f : {"checkTakeProfit", "checkStopLoss", "checkStopLossBB"})
        EXPECT_TRUE(C(dlg, f)->isEnabled()) << f;
    // A warning goes with its alarm; its value with the warning.
    EXPECT_FALSE(C(dlg, "checkWarnTakeProfit")->isEnabled());
    EXPECT_FALSE(C(dlg, "checkWarnHands")->isEnabled());
    C<QCheckBox>(dlg, "checkAlarmHands")->setChecked(true);
    EXPECT_TRUE(C(dlg, "checkWarnHands")->isEnabled());
    EXPECT_FALSE(C(dlg, "spinWarnHands")->isEnabled());
    C<QCheckBox>(dlg, "checkWarnHands")->setChecked(true);
    EXPECT_TRUE(C(dlg, "spinWarnHands")->isEnabled());
    EXPECT_FALSE(C(dlg, "editDayStopLoss")->isEnabled());
    C<QCheckBox>(dlg, "checkDayStopLoss")->setChecked(true);
    EXPECT_TRUE(C(dlg, "editDayStopLoss")->isEnabled());

    EXPECT_FALSE(C(dlg, "spinAutoPauseMin")->isEnabled());
    C<QCheckBox>(dlg, "checkAutoPause")->setChecked(true);
    EXPECT_TRUE(C(dlg, "spinAutoPauseMin")->isEnabled());
}

TEST(DlgSettings, PlayButtonsPlayTheirOwnSoundOrTheBuiltInOne) {
    StartedApp s;
    ChangeAlarms(*s.app,
                 [](AlarmSettings& a) { a.bHandsAlarm = a.bMoneyAlarm = a.bTimeAlarm = 1; });
    const std::string wav = s.dir.file("ding.wav");
    twtest::WriteBytes(wav, "RIFF");
    CDlgSettings dlg(*s.app);
    std::vector<std::pair<std::wstring, int>> played;
    dlg.fnPlaySound = [&](const std::wstring& file, int id) { played.emplace_back(file, id); };

    C<QLineEdit>(dlg, "editSoundTakeProfit")->setText(QString::fromStdString(wav));
    C<QLineEdit>(dlg, "editSoundStopLoss")->setText(QStringLiteral("/no/such.wav"));
    for (const char* b : {"buttonPlayHands", "buttonPlayTakeProfit", "buttonPlayStopLoss",
                          "buttonPlayStopLossBB", "buttonPlayTime"})
        C<QToolButton>(dlg, b)->click();
    const std::vector<std::pair<std::wstring, int>> expected = {
        {L"", 156}, {FromUtf8(wav), 157}, {L"", 157}, {L"", 157}, {L"", 169}};
    EXPECT_EQ(played, expected);
}

// The warnings, the lock, the day limits and the break reminder: what is set
// is what the alarms and the profile get, and what the dialog shows next.
TEST(DlgSettings, WarningsDayLimitsAndBreaksMeanWhatWasSet) {
    StartedApp s;
    s.AddRoom(L"PokerStars", L"hero");
    {
        CDlgSettings dlg(*s.app);
        for (const char* check :
             {"checkAlarmTime", "checkAlarmHands", "checkAlarmMoney", "checkWarnTime",
              "checkWarnHands", "checkWarnTakeProfit", "checkWarnStopLoss", "checkWarnStopLossBB",
              "checkLockLimits", "checkDayStopLoss", "checkDayStopLossBB", "checkDayTime",
              "checkBreakReminder"})
            C<QCheckBox>(dlg, check)->setChecked(true);
        C<QSpinBox>(dlg, "spinWarnMinutes")->setValue(15);
        C<QSpinBox>(dlg, "spinWarnHands")->setValue(40);
        C<QSpinBox>(dlg, "spinWarnPercent")->setValue(75);
        C<QLineEdit>(dlg, "editDayStopLoss")->setText(QStringLiteral("150,50")); // a loss
        C<QSpinBox>(dlg, "spinDayStopLossBB")->setValue(-250);
        C<QLineEdit>(dlg, "editDayTime")->setText(QStringLiteral("03:30"));
        C<QSpinBox>(dlg, "spinBreakMinutes")->setValue(45);
        C<QSpinBox>(dlg, "spinBreakPauseMinutes")->setValue(7);
        ClickOk(dlg);
        ASSERT_EQ(dlg.result(), QDialog::Accepted);
    }
    AlarmSettings expected = s.app->Alarms();
    expected.bWarnTime = expected.bWarnHands = expected.bWarnTakeProfit = 1;
    expected.bWarnStopLoss = expected.bWarnStopLossBB = expected.bLockLimits = 1;
    expected.nWarnMinutes = 15;
    expected.nWarnHands = 40;
    expected.nWarnPercent = 75;
    expected.bDayStopLoss = expected.bDayStopLossBB = expected.bDayTime = 1;
    expected.dDayStopLoss = -150.5;
    expected.nDayStopLossBB = -250;
    expected.nDayMinutes = 210;
    expected.bBreakReminder = 1;
    expected.nBreakMinutes = 45;
    expected.nBreakPauseMinutes = 7;
    EXPECT_EQ(s.app->Alarms(), expected);
    EXPECT_EQ(s.ProfileValue(L"Limits", L"DayStopLossAmount"), L"-150.50");

    // Read back at the next start, and shown so.
    AlarmSettings loaded = s.app->Alarms();
    s.app->LoadLimitSettings(loaded);
    EXPECT_EQ(loaded, expected);
    CDlgSettings dlg(*s.app);
    EXPECT_EQ(C<QLineEdit>(dlg, "editDayTime")->text(), QStringLiteral("03:30"));
    EXPECT_EQ(C<QLineEdit>(dlg, "editDayStopLoss")->text(), QStringLiteral("-150.50"));
    EXPECT_EQ(C<QSpinBox>(dlg, "spinWarnPercent")->value(), 75);
    EXPECT_TRUE(C<QCheckBox>(dlg, "checkWarnStopLossBB")->isChecked());

    // A day of no playing time, or a day stop loss that is no amount, keeps
    // the dialog open.
    for (auto [edit, text] : {std::pair{"editDayTime", "00:00"}, {"editDayStopLoss", "lots"}}) {
        SCOPED_TRACE(edit);
        CDlgSettings refused(*s.app);
        s.messages.shown.clear();
        C<QLineEdit>(refused, edit)->setText(QString::fromLatin1(text));
        ClickOk(refused);
        EXPECT_NE(refused.result(), QDialog::Accepted);
        EXPECT_EQ(s.messages.shown.size(), 1u);
    }
    EXPECT_EQ(s.app->Alarms(), expected);
}

// With the limits locked, a running session's limits can be tightened but not
// loosened: the dialog says so, shows and stores what was asked for, and
// tells which limits wait for the next Start.
TEST(DlgSettings, UnderTheLockARunningSessionTakesOnlyTighterLimits) {
    StartedApp s;
    s.AddRoom(L"PokerStars", L"hero");
    ChangeAlarms(*s.app, [](AlarmSettings& a) {
        a.bLockLimits = a.bMoneyAlarm = a.bStopLoss = a.bTimeAlarm = a.bHandsAlarm = 1;
        a.dStopLossAmount = -50;
        a.nTimeLimit = 60;
        a.strAlarmTime = L"01:00";
        a.nHandsLimit = 500;
    });
    std::int64_t now = 1'700'000'000;
    CSession session(*s.app, *s.app, [&] { return now; });
    {
        // Not running: nothing is locked.
        CDlgSettings dlg(*s.app, &session);
        EXPECT_FALSE(C(dlg, "labelLocked")->isVisibleTo(&dlg));
        EXPECT_TRUE(C(dlg, "checkLockLimits")->isEnabled());
    }
    session.Start();
    {
        CDlgSettings dlg(*s.app, &session);
        EXPECT_TRUE(C(dlg, "labelLocked")->isVisibleTo(&dlg));
        EXPECT_FALSE(C(dlg, "checkLockLimits")->isEnabled());
        C<QLineEdit>(dlg, "editStopLoss")->setText(QStringLiteral("80"));     // looser
        C<QLineEdit>(dlg, "editAlarmTime")->setText(QStringLiteral("00:45")); // tighter
        C<QSpinBox>(dlg, "spinHands")->setValue(600);                         // looser
        ClickOk(dlg);
        ASSERT_EQ(dlg.result(), QDialog::Accepted);
    }
    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_EQ(s.messages.shown[0].strText,
              L"Locked while the session runs: the new hands limit and stop loss take effect at "
              L"the next Start.");
    EXPECT_EQ(s.app->Alarms().nTimeLimit, 45);
    EXPECT_EQ(s.app->Alarms().dStopLossAmount, -50.0);
    EXPECT_EQ(s.app->Alarms().nHandsLimit, 500);
    EXPECT_EQ(s.app->Wanted().dStopLossAmount, -80.0);
    EXPECT_TRUE(s.ProfileValue(L"Alarm2", L"Param").ends_with(L":-80.00"))
        << ToUtf8(s.ProfileValue(L"Alarm2", L"Param"));
    {
        // Shown as asked for; a tightening of its own is no news.
        CDlgSettings dlg(*s.app, &session);
        EXPECT_EQ(C<QLineEdit>(dlg, "editStopLoss")->text(), QStringLiteral("-80.00"));
        EXPECT_EQ(C<QSpinBox>(dlg, "spinHands")->value(), 600);
        s.messages.shown.clear();
        C<QSpinBox>(dlg, "spinHands")->setValue(400);
        C<QLineEdit>(dlg, "editStopLoss")->setText(QStringLiteral("40"));
        ClickOk(dlg);
        EXPECT_TRUE(s.messages.shown.empty());
    }
    EXPECT_EQ(s.app->Alarms().nHandsLimit, 400);
    EXPECT_EQ(s.app->Alarms().dStopLossAmount, -40.0);
    session.Stop();
    EXPECT_FALSE(s.app->HasHeld());
}

TEST(DlgSettings, FitsA1280By720Screen) {
    StartedApp s;
    s.AddRoom(L"PokerStars", L"hero");
    ChangeAlarms(*s.app, [](AlarmSettings& a) { a.bLockLimits = 1; });
    CSession session(*s.app, *s.app);
    session.Start();
    CDlgSettings dlg(*s.app, &session); // with the lock's line shown
    dlg.show();
    QApplication::processEvents();
    EXPECT_LE(dlg.width(), 1280);
    EXPECT_LE(dlg.height(), 720);
    EXPECT_LE(dlg.minimumSizeHint().width(), 1280);
    EXPECT_LE(dlg.minimumSizeHint().height(), 720);
    session.Stop();
}
