// Shows the settings, add-room and info dialogs filled with sample data.
//
//   tarnwick-dialogs OUTDIR         saves each dialog as a PNG in OUTDIR
//   tarnwick-dialogs --run NAME     runs one dialog (settings, addroom,
//                                   changeroom, info) for a look by hand
//
// Nothing is read from or written to the user's files: the application
// object works in a temporary folder with a profile held in memory.
#include "app/TarnwickApp.h"
#include "ui/ColorButton.h"
#include "ui/DlgAddRoom.h"
#include "ui/DlgSettings.h"
#include "ui/InfoDlg.h"
#include "ui/QtUserMessages.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <memory>

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
        ok = Save(&dlg, out, QStringLiteral("info")) && ok;
    }
    return ok ? 0 : 1;
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
    std::fprintf(stderr, "unknown dialog %s\n", qPrintable(name));
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QStringList args = QCoreApplication::arguments();
    const bool run = args.size() == 3 && args[1] == QLatin1String("--run");
    if (!run && args.size() != 2) {
        std::fprintf(stderr, "usage: tarnwick-dialogs OUTDIR | --run "
                             "settings|addroom|changeroom|info\n");
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
