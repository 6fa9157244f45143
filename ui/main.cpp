// The program: builds the Qt application, then the application object (work
// log, room table, settings file, version notice), then runs start-up
// (profile, rooms) and the session window. The application object's
// destruction at the end of main stores the bankroll and ends the log.
#include "app/DataDir.h"
#include "app/DesktopId.h"
#include "app/TarnwickApp.h"
#include "store/HistoryStore.h"
#include "store/SessionRecorder.h"
#include "ui/DelayedNotificationWindow.h"
#include "ui/DlgSettings.h"
#include "ui/InfoDlg.h"
#include "ui/QtProfileStore.h"
#include "ui/QtUserMessages.h"
#include "ui/QuitOnSignal.h"
#include "ui/SessionsWindow.h"
#include "ui/TarnwickDlg.h"
#include "update/InternetFile.h"
#include "update/VersionNotice.h"
#include "watch/RoomWatches.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTimer>
#include <clocale>
#include <ctime>
#include <functional>
#include <memory>

namespace {

// Calls `fn` when the watched window is asked to close.
class CCloseWatch : public QObject {
public:
    explicit CCloseWatch(std::function<void()> fn) : fnClose(std::move(fn)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close)
            fnClose();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> fnClose;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    // Qt takes the user's locale for the C library too; numbers in the
    // program's files and log are always written and read with a point.
    std::setlocale(LC_NUMERIC, "C");
    QCoreApplication::setOrganizationName(QStringLiteral("Quillfen"));
    QCoreApplication::setApplicationName(
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    QGuiApplication::setDesktopFileName(QString::fromWCharArray(tw::kDesktopId));
    // The session window's close ends the program; message boxes shown while
    // it hides in the notification area must not.
    QApplication::setQuitOnLastWindowClosed(false);
    tw::CQuitOnSignal quitOnSignal;

    tw::CQtUserMessages messages;
    tw::CQtInternetFile internet;

    tw::CTarnwickApp::Options options;
    options.strExecDir = QCoreApplication::applicationDirPath().toStdWString();
    options.strExePath = QCoreApplication::applicationFilePath().toStdWString();
    // An installed program cannot write beside itself: its files then live
    // in the user's application-data folder.
    options.strDataDir = tw::ChooseDataDir(
        options.strExecDir,
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdWString());
    options.bRussianLocale = QLocale::system().language() == QLocale::Russian;
    options.pMessages = &messages;
    options.fnVersionNotice = [&internet](tw::CTarnwickApp& app) {
        return tw::CheckVersion(app, internet, tw::ProgramNoticeTexts(app.bRussianLocale != 0));
    };

    tw::CQtProfileStore profile;
    tw::CTarnwickApp app(options);
    app.SetProfileStore(&profile);

    // The session history beside the work log: every session and every
    // counted hand. A file that cannot be used is said once the window shows.
    tw::CHistoryStore history;
    history.SetLog(&app.fileLog);
    const tw::CHistoryStore::OpenResult historyOpened =
        history.Open(app.strDataDir + L"/" + tw::CHistoryStore::kFileName, std::time(nullptr));
    history.fnProblem = [&messages](const std::wstring& text) {
        messages.ShowNotice(text, L"Tarnwick", tw::kTimedMessageMs, false);
    };

    // The session window runs inside InitInstance until the user closes it.
    app.InitInstance([&] {
        if (quitOnSignal.Requested())
            return;
        tw::CTarnwickDlg dlg(app);
        // Alarm notices show beside the window, not over it.
        messages.SetNoticeAnchor(&dlg);
        // Each session and its hands are recorded as they are counted; one
        // still running when the window closes ended by the exit.
        tw::CSessionRecorder recorder(history, dlg.Session(), app);
        CCloseWatch closeWatch([&recorder] { recorder.SetClosing(); });
        dlg.installEventFilter(&closeWatch);
        if (!historyOpened.strProblem.empty())
            QTimer::singleShot(0, &dlg, [&] { history.fnProblem(historyOpened.strProblem); });
        // Without a rooms file nothing could be counted: the settings open
        // at once, to add a room.
        dlg.SetFirstStart(!QFileInfo::exists(QString::fromStdWString(app.RoomsFilePath())));
        // One folder watch per configured room while a session runs; the
        // notices are delivered here, on the user-interface thread.
        tw::CRoomWatches watches(app, app.historyReader, tw::CDelayedNotificationWindow::Factory());
        // A room whose folder is missing or went away shows a mark until its
        // folder is back and watched again.
        watches.fnWatchesChanged = [&] { dlg.ShowUnwatchedRooms(watches.UnwatchedRooms()); };
        dlg.fnStartWatches = [&] { watches.StartWatches(std::time(nullptr)); };
        dlg.fnStopWatches = [&] {
            watches.StopWatches();
            // What was written before the stop counts.
            app.historyReader.FlushAll();
        };
        // A hand whose file went quiet before its end could be told counts;
        // a room's folder that is back is watched again.
        dlg.fnIdleTick = [&] {
            app.historyReader.FlushIdle(tw::CHistoryFileReader::Clock::now());
            watches.CheckFolders(tw::CRoomWatches::Clock::now());
        };
        // The day limits count the play day's sessions of the history.
        dlg.fnDayBefore = [&](std::int64_t now) {
            return history.IsOpen() ? tw::DayResultOf(history.Sessions(), now) : tw::DayResult();
        };
        dlg.fnOpenSettings = [&] {
            // The alarms apply to the window's session: under the lock, a
            // running one takes only what tightens its limits.
            tw::CDlgSettings settings(app, &dlg.Session(), &dlg);
            // A colour picked shows at once, and stays for this run even
            // when the dialog is cancelled.
            settings.fnColorsChanged = [&] { dlg.update(); };
            return settings.exec() == QDialog::Accepted;
        };
        dlg.fnShowInfo = [&] {
            tw::CInfoDlg info(app, &dlg);
            info.SetSessionResult(dlg.Session().Money());
            if (const auto rates = dlg.SessionRates())
                info.SetSessionRates(*rates);
            info.exec();
        };
        // The session history in a window of its own, made when first asked
        // for and read again at each opening; while shown it follows the
        // running session.
        std::unique_ptr<tw::CSessionsWindow> sessions;
        dlg.fnShowSessions = [&] {
            if (!sessions) {
                sessions = std::make_unique<tw::CSessionsWindow>(history);
                sessions->setWindowIcon(dlg.windowIcon());
            } else {
                sessions->Reload();
            }
            sessions->showNormal();
            sessions->raise();
            sessions->activateWindow();
        };
        // A signal closes open message boxes, then the window (and with it
        // the alarm notices), as Exit does.
        quitOnSignal.SetHandler([&dlg] {
            for (int i = 0; i < 8; ++i) {
                QWidget* modal = QApplication::activeModalWidget();
                if (!modal || modal == &dlg)
                    break;
                modal->close();
            }
            dlg.close();
        });
        dlg.DoModal();
        dlg.removeEventFilter(&closeWatch);
        quitOnSignal.SetHandler({});
        messages.CloseNotices();
        messages.SetNoticeAnchor(nullptr);
    });
    return 0;
}
