// Shows the settings, add-room, info dialogs and the Sessions window filled
// with sample data.
//
//   tarnwick-dialogs OUTDIR         saves each dialog as a PNG in OUTDIR
//   tarnwick-dialogs --run NAME     runs one dialog (settings, addroom,
//                                   changeroom, info, sessions) for a look
//                                   by hand
//   tarnwick-dialogs --time-sessions DB
//                                   opens the Sessions window on the session
//                                   history DB and prints how long opening
//                                   it took, step by step
//
// Nothing is read from or written to the user's files: the application
// object works in a temporary folder with a profile held in memory, and the
// sample session history is written there too.
#include "app/TarnwickApp.h"
#include "store/HistoryStore.h"
#include "ui/ColorButton.h"
#include "ui/DlgAddRoom.h"
#include "ui/DlgSettings.h"
#include "ui/InfoDlg.h"
#include "ui/QtUserMessages.h"
#include "ui/SessionsWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <random>

namespace {

std::unique_ptr<tw::CTarnwickApp> SampleApp(const QString& dir, tw::IUserMessages* messages) {
    tw::CTarnwickApp::Options o;
    o.strExecDir = dir.toStdWString();
    o.bOpenLog = false;
    o.bLoadSettingsFile = false;
    o.pMessages = messages;
    auto app = std::make_unique<tw::CTarnwickApp>(o);
    app->InitInstance();

    auto addRoom = [&](const wchar_t* name, const wchar_t* nick, const wchar_t* path, bool active) {
        tw::CPokerRoom room;
        room.nRoomNumber = tw::RoomNumberFromName(name);
        room.strNickname = nick;
        room.strHistoryPath = path;
        room.bActive = active;
        app->SetRoom(name, room, room.nRoomNumber);
    };
    addRoom(L"PokerStars", L"RiverRat_77", L"/home/player/PokerStars/HandHistory/RiverRat_77",
            true);
    addRoom(L"888 poker", L"quietfold", L"/home/player/888poker/HandHistory", false);
    addRoom(L"William Hill poker", L"Bluff Master", L"/home/player/WH/history/Bluff Master", true);

    tw::AlarmSettings alarms = app->Alarms();
    alarms.bTimeAlarm = 1;
    alarms.nTimeLimit = 150;
    alarms.strAlarmTime = tw::AlarmTimeText(150);
    alarms.bHandsAlarm = 0;
    alarms.bMoneyAlarm = 1;
    alarms.bTakeProfit = 1;
    alarms.bStopLoss = 1;
    alarms.bTrailingStopLoss = 1;
    alarms.dTakeProfitAmount = 250;
    alarms.dStopLossAmount = -120;
    alarms.soundTime.Set(L"/home/player/sounds/gong.wav");
    alarms.bAutoPause = 1;
    alarms.nAutoPauseMin = 5;
    // Warnings before the stop loss and the time limit, a day stop loss and
    // a break every hour and a half.
    alarms.bWarnStopLoss = 1;
    alarms.bWarnTime = 1;
    alarms.nWarnMinutes = 15;
    alarms.bLockLimits = 1;
    alarms.bDayStopLoss = 1;
    alarms.dDayStopLoss = -300;
    alarms.bBreakReminder = 1;
    alarms.nBreakMinutes = 90;
    app->SetAlarms(alarms);
    tw::ViewSettings view = app->View();
    view.nOpacity = 85;
    app->SetView(view);

    // Figures of a session under way, for the info dialog.
    app->dTotalMoney = 96.5;
    app->dTotalBB = 38.6;
    tw::AlarmState& state = app->alarmState;
    state.dPeakMoney = 131.25;
    state.dStopLossLevel = 11.25;
    state.dTakeProfitLevel = 250;
    state.dPeakBB = 52.5;
    state.dBBStopInitial = -30;
    state.dBBStopLevel = 22.5;
    return app;
}

// Five weeks of evenings at $0.25/$0.50 tables of two rooms, and tonight's
// session still running: up to a best result of about 100, then down until
// its stop loss (trailing 60 below the best) fired, then the hands limit.
// Recorded as the program records, into `store`, whose session stays open.
void WriteSampleHistory(tw::CHistoryStore& store, std::int64_t now) {
    std::mt19937 rng(20260105);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    long long handId = 254'118'302'117;
    const wchar_t* tables[] = {L"Aldebaran II", L"Menkar", L"Zaniah IV", L"Sadr III"};
    // A hand's result: mostly folds and blinds, some small pots and, where
    // `big` allows, a few big ones.
    auto result = [&](double bias, double big) {
        const double u = unit(rng);
        if (u < 0.62)
            return u < 0.42 ? 0.0 : (u < 0.54 ? -0.25 : -0.5);
        const double size = u < 1.0 - big ? 1.0 + 4.0 * unit(rng) : 8.0 + 55.0 * unit(rng);
        const bool won = unit(rng) < 0.5 + bias;
        return std::round((won ? size : -size) * 100.0) / 100.0;
    };
    auto hand = [&](std::int64_t t, int table, double money) {
        tw::HandEntry e;
        e.tCounted = t;
        const bool stars = table % 2 == 0;
        e.strRoom = stars ? L"PokerStars" : L"888 poker";
        e.strFile = stars ? std::wstring(L"/home/player/PokerStars/HandHistory/RiverRat_77/"
                                         L"HH20260105 ") +
                                tables[table] + L" - $0.25-$0.50 - USD No Limit Hold'em.txt"
                          : std::wstring(L"/home/player/888poker/HandHistory/RiverRat_77/") +
                                tables[table] + L" $0.25-$0.50 No Limit Holdem.txt";
        e.strHandId = std::to_wstring(++handId);
        e.strCurrency = L"USD";
        e.dBigBlind = 0.5;
        e.dResult = e.dMoney = money;
        store.AddHand(e);
    };

    tw::SessionLimits limits;
    limits.dTakeProfit = 150.0;
    limits.dStopLoss = -60.0;
    limits.bTrailingStopLoss = true;
    limits.nHands = 300;
    const std::int64_t days = 35;
    for (std::int64_t d = days; d >= 1; --d) {
        if (unit(rng) < 0.3)
            continue; // an evening off
        std::int64_t t = now - d * 86400 - 3 * 3600 + static_cast<std::int64_t>(unit(rng) * 3600);
        store.BeginSession(t, L"USD", limits);
        const int count = 120 + static_cast<int>(unit(rng) * 260);
        for (int h = 0; h < count; ++h) {
            t += 6 + static_cast<std::int64_t>(unit(rng) * 14);
            hand(t, h % 4, result(0.03, 0.1));
            store.EndBatch(0);
        }
        store.EndSession(t + 40, 0, tw::SessionEnded::kStop);
    }

    // Tonight: the shape is set by a few big pots; the rest is play.
    std::int64_t t = now - 330 * 13;
    store.BeginSession(t, L"USD", limits);
    const std::pair<int, double> pots[] = {{18, 24.5},   {47, 31.0},   {83, -18.25}, {121, 42.0},
                                           {164, 27.5},  {190, -38.0}, {214, -29.5}, {240, -22.0},
                                           {268, 19.75}, {301, -12.5}};
    double money = 0.0, peak = 0.0;
    bool stopLossFired = false;
    for (int h = 1; h <= 330; ++h) {
        t += 8 + static_cast<std::int64_t>(unit(rng) * 10);
        double m = result(0.02, 0.0);
        for (const auto& [at, pot] : pots)
            if (at == h)
                m = pot;
        hand(t, h % 4, m);
        store.EndBatch(0);
        money += m;
        peak = std::max(peak, money);
        auto alarm = [&](const wchar_t* kind, double level) {
            store.AddAlarm({t + 3, kind, level, money, money / 0.5, h, t + 3 - (now - 330 * 13)});
        };
        if (!stopLossFired && money <= peak - 60.0) {
            alarm(L"stop_loss", peak - 60.0);
            stopLossFired = true;
        }
        if (h == 300)
            alarm(L"hands", 300);
    }
    // Still running: the program records on.
}

// The sample session history beside the application's files, recording as
// the program's does, with tonight's session running: it is "now" at 22:30
// of the day.
std::unique_ptr<tw::CHistoryStore> SampleHistory(const tw::CTarnwickApp& app) {
    const std::time_t today = std::time(nullptr);
    std::tm local{};
    localtime_r(&today, &local);
    local.tm_hour = 22;
    local.tm_min = 30;
    local.tm_sec = 0;
    const std::int64_t now = static_cast<std::int64_t>(std::mktime(&local));
    auto store = std::make_unique<tw::CHistoryStore>();
    store->Open(app.strExecDir + L"/" + tw::CHistoryStore::kFileName, now);
    WriteSampleHistory(*store, now);
    return store;
}

bool Save(QWidget* w, const QString& dir, const QString& name) {
    w->show();
    QApplication::processEvents();
    const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
    const bool ok = w->grab().save(path);
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "could not write",
                 qPrintable(path));
    w->hide();
    return ok;
}

int SaveAll(tw::CTarnwickApp& app, const QString& out) {
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out));
        return 1;
    }
    bool ok = true;
    {
        tw::CDlgSettings dlg(app);
        dlg.findChild<QTableWidget*>(QStringLiteral("tableRooms"))->selectRow(0);
        ok = Save(&dlg, out, QStringLiteral("settings")) && ok;
        // The colour menu as it drops down.
        auto* color = dlg.findChild<tw::CColorButton*>(QStringLiteral("colorMoney"));
        dlg.show();
        color->menu()->popup(color->mapToGlobal(QPoint(0, color->height())));
        QApplication::processEvents();
        ok = Save(color->menu(), out, QStringLiteral("settings-colors")) && ok;
        color->menu()->close();
        dlg.hide();
    }
    {
        tw::CDlgSettings dlg(app);
        dlg.SetCurrencyDefaults(tw::kCurrencyEUR, false);
        ok = Save(&dlg, out, QStringLiteral("settings-eur")) && ok;
    }
    {
        tw::CDlgAddRoom dlg(app.RoomNames(), app.UserMessages());
        ok = Save(&dlg, out, QStringLiteral("addroom")) && ok;
    }
    {
        const tw::CPokerRoom& room = *app.FindRoom(L"PokerStars");
        tw::CDlgAddRoom dlg(app.RoomNames(), app.UserMessages(), L"PokerStars", room.strNickname,
                            room.strHistoryPath, L"1.0000");
        ok = Save(&dlg, out, QStringLiteral("changeroom")) && ok;
    }
    {
        tw::CInfoDlg dlg(app);
        dlg.SetSessionRates({18.4, 86, 4.6});
        ok = Save(&dlg, out, QStringLiteral("info")) && ok;
    }
    {
        const auto history = SampleHistory(app);
        tw::CSessionsWindow sessions(*history);
        sessions.resize(1000, 720);
        ok = Save(&sessions, out, QStringLiteral("sessions")) && ok;
    }
    return ok ? 0 : 1;
}

// Opens the Sessions window on `db` as the program opens it and says how
// long each step took.
int TimeSessions(const QString& db) {
    QElapsedTimer clock;
    clock.start();
    tw::CHistoryStore history;
    std::wstring error;
    if (!history.OpenForReading(db.toStdWString(), error)) {
        std::fprintf(stderr, "cannot read %s: %ls\n", qPrintable(db), error.c_str());
        return 1;
    }
    const qint64 opened = clock.nsecsElapsed();
    tw::CSessionsWindow window(history);
    const qint64 built = clock.nsecsElapsed();
    window.show();
    window.repaint();
    QApplication::processEvents();
    const qint64 shown = clock.nsecsElapsed();
    const std::vector<tw::SessionRecord> all = history.Sessions();
    long long hands = 0;
    for (const tw::SessionRecord& s : all)
        hands += s.run.nHands;
    std::printf("%zu sessions, %lld hands: history opened in %.1f ms, window built and filled "
                "in %.1f ms, shown and painted in %.1f ms; %.1f ms in all\n",
                all.size(), hands, opened / 1e6, (built - opened) / 1e6, (shown - built) / 1e6,
                shown / 1e6);
    return 0;
}

int RunOne(tw::CTarnwickApp& app, const QString& name) {
    if (name == QLatin1String("settings")) {
        tw::CDlgSettings dlg(app);
        return dlg.exec() == QDialog::Accepted ? 0 : 3;
    }
    if (name == QLatin1String("addroom")) {
        tw::CDlgAddRoom dlg(app.RoomNames(), app.UserMessages());
        return dlg.exec() == QDialog::Accepted ? 0 : 3;
    }
    if (name == QLatin1String("changeroom")) {
        const tw::CPokerRoom& room = *app.FindRoom(L"PokerStars");
        tw::CDlgAddRoom dlg(app.RoomNames(), app.UserMessages(), L"PokerStars", room.strNickname,
                            room.strHistoryPath, L"1.0000");
        return dlg.exec() == QDialog::Accepted ? 0 : 3;
    }
    if (name == QLatin1String("info")) {
        tw::CInfoDlg dlg(app);
        dlg.exec();
        return 0;
    }
    if (name == QLatin1String("sessions")) {
        const auto history = SampleHistory(app);
        tw::CSessionsWindow sessions(*history);
        sessions.show();
        QObject::connect(qApp, &QApplication::lastWindowClosed, qApp, &QApplication::quit);
        return QApplication::exec();
    }
    std::fprintf(stderr, "unknown dialog %s\n", qPrintable(name));
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--time-sessions"))
        return TimeSessions(args[2]);
    const bool run = args.size() == 3 && args[1] == QLatin1String("--run");
    if (!run && args.size() != 2) {
        std::fprintf(stderr, "usage: tarnwick-dialogs OUTDIR | --run "
                             "settings|addroom|changeroom|info|sessions | --time-sessions DB\n");
        return 2;
    }
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    tw::CQtUserMessages messages;
    auto app = SampleApp(dir.path(), &messages);
    return run ? RunOne(*app, args[2]) : SaveAll(*app, args[1]);
}
