// tarnwick-cli: the hand engine on the command line.
//
//   tarnwick-cli replay --room NAME --nick NICK [--rate USD=1.00] [--rate EUR=1.12]
//                       [--rate GBP=1.42] [--display USD] [--read-bytes N] [--debug] FILE...
//   tarnwick-cli watch --room NAME --nick NICK --folder DIR [--room ... --nick ... --folder ...]
//                      [--seconds N] [--rate ...] [--display ...] [--debug]
//
// Prints one JSON line per counted hand, one marked "counted":false per hand
// the room cancelled (which changes no total), and a summary line. `watch`
// watches the rooms' folders as the live program does and prints each hand as
// it is counted, with "delay_ms" from the file's last change to the count; a
// room's folder that goes away or is missing is named on the standard error
// stream, and so is its return.
//
// Both take the session window's alarms (`replay` all but the time limit):
//   [--take-profit X] [--stop-loss X] [--bb-stop-loss N] [--trailing-take-profit]
//   [--trailing-stop-loss] [--hands-limit N] [--time-limit HH:MM] [--bankroll X]
// and print one JSON line when an alarm fires, after the hand that fired it.
// Warnings before the limits, the day limits (over the sessions of the play
// day in the --db history, which begins at --day-start, 06:00 unless given)
// and the break reminder:
//   [--warn-percent P] [--warn-hands N] [--warn-minutes M] [--day-stop-loss X]
//   [--day-bb-stop-loss N] [--day-minutes M] [--day-start HH:MM] [--break-minutes M]
// print {"warning":KIND,...}, {"alarm":"day_stop_loss",...} and {"break":true,...}
// lines the same way.
//
// With --db FILE both record the session into the session history FILE as
// the program does (creating it): the session, each hand as it is counted
// (each batch committed before its lines are printed), the alarms, the end.
//
//   tarnwick-cli sessions --db FILE [--csv] [--period today|week|month|all]
//                         [--day-start HH:MM]
//   tarnwick-cli hands --db FILE --session ID [--csv]
//
// `sessions` prints one line per session, newest last, then a totals line;
// `hands` prints a session's hands in order with the running total. Times
// are ISO 8601 local time. With --csv: a header row, the same field names.
#include "app/SettingsValues.h"
#include "app/TarnwickApp.h"
#include "session/Session.h"
#include "store/HistoryStore.h"
#include "store/SessionFigures.h"
#include "store/SessionRecorder.h"
#include "support/LogSink.h"
#include "support/NumberText.h"
#include "support/TextUtil.h"
#include "watch/RoomWatches.h"

#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <vector>

using namespace tw;

namespace {

const char kUsage[] =
    "usage: tarnwick-cli replay --room NAME --nick NICK [--rate CUR=RATE]... [--display CUR] "
    "[--read-bytes N] [--debug] FILE...\n"
    "       tarnwick-cli watch --room NAME --nick NICK --folder DIR [--room NAME --nick NICK "
    "--folder DIR]... [--seconds N] [--rate CUR=RATE]... [--display CUR] [--debug]\n"
    "       alarms of both (replay: all but --time-limit): [--take-profit X] [--stop-loss X] "
    "[--bb-stop-loss N] [--trailing-take-profit] [--trailing-stop-loss] [--hands-limit N] "
    "[--time-limit HH:MM] [--bankroll X]\n"
    "       warnings and day limits of both (replay: not the minutes): [--warn-percent P] "
    "[--warn-hands N] [--warn-minutes M] [--day-stop-loss X] [--day-bb-stop-loss N] "
    "[--day-minutes M] [--day-start HH:MM] [--break-minutes M]\n"
    "       recording of both: [--db FILE]\n"
    "       tarnwick-cli sessions --db FILE [--csv] [--period today|week|month|all] "
    "[--day-start HH:MM]\n"
    "       tarnwick-cli hands --db FILE --session ID [--csv]";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "tarnwick-cli: %s\n%s\n", message.c_str(), kUsage);
    return 2;
}

void AppendJsonString(std::string& out, const std::wstring& s) {
    std::string u = ToUtf8(s);
    out += '"';
    for (unsigned char c : u) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
}

void AppendNumber(std::string& out, double v) {
    if (v == 0)
        v = 0; // no "-0"
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 10);
    out.append(buf, r.ptr);
}

std::string Number(double v) {
    std::string s;
    AppendNumber(s, v);
    return s;
}

// Work-log lines of the engine go to the standard error stream.
class CStderrLog : public ILogSink {
public:
    void WriteLogLine(const std::wstring& text) override {
        std::fprintf(stderr, "%s\n", ToUtf8(text).c_str());
    }
};

// Prints each hand's line, and the alarm lines between them, once the
// batch the hand came in is over: by then a session history has committed
// it, so no printed hand can be missing from it.
class CJsonPrinter : public IHandListener {
public:
    void HandCounted(const HandRecord& h) override {
        bInBatch = true;
        std::string line = "{\"file\":";
        AppendJsonString(line, h.strFile);
        line += ",\"hand\":";
        AppendJsonString(line, h.strHandId);
        line += ",\"room\":";
        line += std::to_string(h.nRoom);
        line += ",\"currency\":";
        AppendJsonString(line, CurrencyCode(h.nCurrency));
        line += ",\"bb\":";
        AppendNumber(line, h.dBigBlind);
        line += ",\"result\":";
        AppendNumber(line, h.dResult);
        line += ",\"money\":";
        AppendNumber(line, h.dMoney);
        if (!h.bCounted)
            line += ",\"counted\":false";
        line += "}\n";
        vecWaiting.push_back({std::move(line), bDelay ? h.strFile : std::wstring()});
    }

    void HandsBatchEnded() override {
        bInBatch = false;
        if (vecWaiting.empty())
            return;
        for (Waiting& w : vecWaiting) {
            if (!w.strDelayFile.empty()) {
                // The delay runs to the moment the line is printed.
                w.strLine.insert(w.strLine.size() - 2,
                                 ",\"delay_ms\":" + std::to_string(DelayMs(w.strDelayFile)));
            }
            std::fwrite(w.strLine.data(), 1, w.strLine.size(), stdout);
        }
        vecWaiting.clear();
        if (bDelay)
            std::fflush(stdout); // a live reader sees each hand at once
    }

    // A line of another kind (an alarm): printed after the hands of the
    // batch that is being told, or at once.
    void Emit(std::string line) {
        if (bInBatch) {
            vecWaiting.push_back({std::move(line), {}});
            return;
        }
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }

    bool bDelay = false; // add the time since the file's last change

private:
    // Milliseconds from the file's last change to now.
    static long long DelayMs(const std::wstring& file) {
        struct stat st {};
        if (::stat(ToUtf8(file).c_str(), &st) != 0)
            return -1;
        struct timespec now {};
        clock_gettime(CLOCK_REALTIME, &now);
        return (now.tv_sec - st.st_mtim.tv_sec) * 1000LL +
               (now.tv_nsec - st.st_mtim.tv_nsec) / 1000000LL;
    }

    struct Waiting {
        std::string strLine;
        std::wstring strDelayFile; // the hand's file when the delay is added
    };
    std::vector<Waiting> vecWaiting;
    bool bInBatch = false;
};

long PeakRssKb() {
    struct rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

// The session window's alarms, as the options set them.
struct AlarmOptions {
    bool bAny = false; // an alarm or the bankroll was given: the session's rules run
    AlarmSettings settings;
    bool bBankroll = false;
    double dBankroll = 0.0;
    int nDayStartMinutes = kDefaultDayStartMinutes;
};

// "HH:MM" as minutes after midnight; -1 when it is not a time of day.
int DayStartMinutes(const char* text) {
    unsigned h = 0, m = 0;
    char extra = 0;
    if (!text || std::sscanf(text, "%2u:%2u%c", &h, &m, &extra) != 2 || h > 23 || m > 59)
        return -1;
    return static_cast<int>(h * 60 + m);
}

// A whole option value as a number: a sign, digits, a point, an exponent.
bool WholeNumber(const char* text, double& value) {
    const std::wstring s = FromUtf8(text);
    std::size_t pos = 0;
    return ScanDouble(s, pos, value) && pos == s.size();
}

bool WholeInt(const char* text, int& value) {
    const std::wstring s = FromUtf8(text);
    std::size_t pos = 0;
    return ScanInt(s, pos, value) && pos == s.size();
}

constexpr int kNotAnAlarmOption = -2;

// Reads one alarm option (`value` takes its value from the command line).
// Returns -1 when it was one, kNotAnAlarmOption when `a` is another option,
// else the exit status of a usage error (already reported).
int ParseAlarmOption(const std::string& a, const std::function<const char*()>& value, bool watch,
                     AlarmOptions& o) {
    AlarmSettings& s = o.settings;
    if (a == "--trailing-take-profit") {
        s.bTrailingTakeProfit = 1;
    } else if (a == "--trailing-stop-loss") {
        s.bTrailingStopLoss = 1;
    } else if (a == "--bankroll") {
        const char* v = value();
        double d = 0;
        if (!v || !WholeNumber(v, d))
            return UsageError(a + " takes an amount, like 1000 or 1250.5");
        o.bBankroll = true;
        o.dBankroll = d;
    } else if (a == "--take-profit" || a == "--stop-loss") {
        // Read as the settings dialog reads them; a stop loss is a loss
        // however it is written.
        const char* v = value();
        const bool takeProfit = a == "--take-profit";
        double d = 0;
        if (!v || !ParseMoneyLimit(FromUtf8(v),
                                   takeProfit ? MoneyLimit::TakeProfit : MoneyLimit::StopLoss, d))
            return UsageError(a + " takes an amount with up to two decimals, like 50 or 12.50");
        if (takeProfit) {
            s.bMoneyAlarm = s.bTakeProfit = 1;
            s.dTakeProfitAmount = d;
        } else {
            s.bMoneyAlarm = s.bStopLoss = 1;
            s.dStopLossAmount = d;
        }
    } else if (a == "--bb-stop-loss") {
        const char* v = value();
        int n = 0;
        if (!v || !WholeInt(v, n) || n < -999999 || n > 999999)
            return UsageError("--bb-stop-loss takes a whole number of big blinds, up to 999999");
        s.bMoneyAlarm = s.bStopLossBB = 1;
        s.nAlarmLossBB = -std::abs(n);
    } else if (a == "--warn-percent" || a == "--warn-hands" || a == "--warn-minutes" ||
               a == "--day-minutes" || a == "--break-minutes" || a == "--day-bb-stop-loss") {
        // Whole numbers within their ranges; the ones about the clock belong
        // to watch, where time passes.
        const bool clock = a == "--warn-minutes" || a == "--day-minutes" || a == "--break-minutes";
        if (clock && !watch)
            return UsageError(a + " belongs to watch");
        const int high = a == "--warn-percent" ? 99 : a == "--day-bb-stop-loss" ? 999999 : 5999;
        const char* v = value();
        int n = 0;
        if (!v || !WholeInt(v, n) || std::abs(n) < 1 || std::abs(n) > high ||
            (n < 0 && a != "--day-bb-stop-loss"))
            return UsageError(a + " takes a whole number from 1 to " + std::to_string(high));
        if (a == "--warn-percent") {
            s.bWarnTakeProfit = s.bWarnStopLoss = s.bWarnStopLossBB = 1;
            s.nWarnPercent = n;
        } else if (a == "--warn-hands") {
            s.bWarnHands = 1;
            s.nWarnHands = n;
        } else if (a == "--warn-minutes") {
            s.bWarnTime = 1;
            s.nWarnMinutes = n;
        } else if (a == "--day-minutes") {
            s.bDayTime = 1;
            s.nDayMinutes = n;
        } else if (a == "--break-minutes") {
            s.bBreakReminder = 1;
            s.nBreakMinutes = n;
        } else {
            s.bDayStopLossBB = 1;
            s.nDayStopLossBB = -std::abs(n);
        }
    } else if (a == "--day-stop-loss") {
        const char* v = value();
        double d = 0;
        if (!v || !ParseMoneyLimit(FromUtf8(v), MoneyLimit::StopLoss, d))
            return UsageError(a + " takes an amount with up to two decimals, like 50 or 12.50");
        s.bDayStopLoss = 1;
        s.dDayStopLoss = d;
    } else if (a == "--day-start") {
        const int minutes = DayStartMinutes(value());
        if (minutes < 0)
            return UsageError("--day-start takes HH:MM, like 06:00");
        o.nDayStartMinutes = minutes;
    } else if (a == "--hands-limit") {
        const char* v = value();
        int n = 0;
        if (!v || !WholeInt(v, n) || n < 1)
            return UsageError("--hands-limit takes a number of hands from 1");
        s.bHandsAlarm = 1;
        s.nHandsLimit = n;
    } else if (a == "--time-limit") {
        if (!watch)
            return UsageError("--time-limit belongs to watch");
        const char* v = value();
        int minutes = 0;
        std::wstring text;
        if (!v || !ParseTimeLimit(FromUtf8(v), minutes, text))
            return UsageError("--time-limit takes HH:MM, up to 99:59");
        s.bTimeAlarm = 1;
        s.nTimeLimit = minutes;
        s.strAlarmTime = text;
    } else {
        return kNotAnAlarmOption;
    }
    o.bAny = true;
    return -1;
}

// Runs the session's rules on the application's totals as the session window
// does, ticking after every hand (listed after the hand printer, so after the
// hand's line) and whenever Tick is called, and prints one line per alarm
// that fires. Tick it under the history lock: the hands arrive on another
// thread.
class CSessionTicker : public IHandListener {
public:
    // Puts the alarms of `o` into `app` and arms them as the program does at
    // start-up; in bankroll mode the money total starts from the bankroll.
    CSessionTicker(CTarnwickApp& app, const AlarmOptions& o, CJsonPrinter& out)
        : session(app, app), printer(out) {
        app.SetAlarms(o.settings);
        app.ResetMoneyLevels();
        if (o.bBankroll)
            app.dTotalMoney = o.dBankroll;
        session.SetCarryMoney(o.bBankroll);
    }

    void Start(const std::function<void()>& fnStartWatches = {}) { session.Start(fnStartWatches); }
    void Stop(SessionEnd how) { session.Stop(how); }
    const CSession& Session() const { return session; }
    void SetDayBefore(const DayResult& day) { session.SetDayBefore(day); }
    void HandCounted(const HandRecord&) override { Tick(); }

    void Tick() {
        const SessionTick tick = session.Refresh();
        for (SessionAlarm alarm : tick.vecFired)
            Print("alarm", alarm, session.Level(alarm));
        for (SessionAlarm alarm : tick.vecWarned)
            Print("warning", alarm, session.WarningLevel(alarm));
        if (tick.bBreakDue)
            printer.Emit("{\"break\":true" + Figures() + "}\n");
    }

private:
    // The session's figures as the lines name them, after a comma.
    std::string Figures() const {
        return ",\"money\":" + Number(session.Money()) + ",\"bb\":" + Number(session.BigBlinds()) +
               ",\"hands\":" + std::to_string(session.ShownHands()) +
               ",\"seconds\":" + std::to_string(session.Seconds());
    }
    // {"alarm":KIND,...} or {"warning":KIND,...}: the session's figures and
    // the level reached; a day limit's also the day's figures.
    void Print(const char* what, SessionAlarm alarm, double level) {
        std::string line = std::string("{\"") + what + "\":\"" + AlarmKindName(alarm) + "\"";
        line += Figures() + ",\"level\":" + Number(level);
        if (IsDayLimit(alarm))
            line += ",\"day_money\":" + Number(session.DayMoney()) +
                    ",\"day_bb\":" + Number(session.DayBigBlinds()) +
                    ",\"day_seconds\":" + std::to_string(session.DaySeconds());
        printer.Emit(line + "}\n");
    }

public:
private:
    CSession session;
    CJsonPrinter& printer;
};

// The options both commands share.
struct Options {
    struct Room {
        std::wstring strName, strNick, strFolder;
        bool bNick = false;
    };
    std::vector<Room> rooms;
    bool bDebug = false;
    std::wstring strDisplay = L"USD";
    std::vector<std::pair<std::wstring, std::wstring>> rates;
    std::vector<std::string> files;
    double dSeconds = -1;       // watch: run this long; -1 until a signal
    std::size_t nReadBytes = 0; // replay: most bytes one read takes; 0 the program's own
    AlarmOptions alarms;
    std::string strDb; // the session history to record into; empty: none
};

// Parses argv[2..]; returns -1 when fine, else the exit status of a usage
// error (already reported).
int ParseOptions(int argc, char** argv, bool watch, Options& o) {
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (int rc = ParseAlarmOption(a, value, watch, o.alarms); rc != kNotAnAlarmOption) {
            if (rc >= 0)
                return rc;
            continue;
        }
        if (a == "--room") {
            const char* v = value();
            if (!v)
                return UsageError("--room needs a room name");
            if (!watch && !o.rooms.empty())
                return UsageError("replay takes one --room");
            o.rooms.push_back({FromUtf8(v), {}, {}, false});
        } else if (a == "--nick" || a == "--folder") {
            const char* v = value();
            if (!v)
                return UsageError(a + " needs a value");
            if (o.rooms.empty())
                return UsageError(a + " must follow the --room it belongs to");
            if (a == "--nick") {
                o.rooms.back().strNick = FromUtf8(v);
                o.rooms.back().bNick = true;
            } else {
                if (!watch)
                    return UsageError("--folder belongs to watch");
                o.rooms.back().strFolder = FromUtf8(v);
            }
        } else if (a == "--rate") {
            const char* v = value();
            if (!v)
                return UsageError("--rate needs CUR=RATE");
            std::wstring r = FromUtf8(v);
            std::size_t eq = r.find(L'=');
            double d = 0;
            if (eq == std::wstring::npos || CurrencyFromCode(r.substr(0, eq)) < 0 ||
                !ParseDecimal(r.substr(eq + 1), d))
                return UsageError("bad --rate '" + std::string(v) +
                                  "' (want USD=1.00, EUR=1.12 or GBP=1.42)");
            o.rates.emplace_back(r.substr(0, eq), r.substr(eq + 1));
        } else if (a == "--display") {
            const char* v = value();
            if (!v || CurrencyFromCode(FromUtf8(v)) < 0)
                return UsageError("--display takes USD, EUR or GBP");
            o.strDisplay = FromUtf8(v);
        } else if (a == "--seconds" && watch) {
            const char* v = value();
            double d = 0;
            if (!v || !ParseDecimal(FromUtf8(v), d))
                return UsageError("--seconds takes a number of seconds");
            o.dSeconds = d;
        } else if (a == "--read-bytes" && !watch) {
            const char* v = value();
            std::size_t n = 0;
            const char* end = v ? v + std::strlen(v) : nullptr;
            if (!v || std::from_chars(v, end, n).ptr != end || n == 0)
                return UsageError("--read-bytes takes a number of bytes above 0");
            o.nReadBytes = n;
        } else if (a == "--db") {
            const char* v = value();
            if (!v || !*v)
                return UsageError("--db takes the session history's file");
            o.strDb = v;
        } else if (a == "--debug") {
            o.bDebug = true;
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            return UsageError("unknown option " + a);
        } else {
            if (watch)
                return UsageError("watch takes no files: it watches the --folder of each room");
            o.files.push_back(a);
        }
    }
    if (o.rooms.empty())
        return UsageError("--room is required");
    for (std::size_t i = 0; i < o.rooms.size(); ++i) {
        const auto& r = o.rooms[i];
        if (RoomNumberFromName(r.strName) == kRoomNone)
            return UsageError("unknown room '" + ToUtf8(r.strName) + "'");
        if (!r.bNick)
            return UsageError("--nick is required for room '" + ToUtf8(r.strName) + "'");
        if (watch && r.strFolder.empty())
            return UsageError("--folder is required for room '" + ToUtf8(r.strName) + "'");
        for (std::size_t j = 0; j < i; ++j)
            if (o.rooms[j].strName == r.strName)
                return UsageError("room '" + ToUtf8(r.strName) + "' given twice");
    }
    if (!watch && o.files.empty())
        return UsageError("no FILE given");
    return -1;
}

// The application object as the tools use it: no work-log file (its lines go
// to the standard error stream), no stored bankroll, the rooms and rates of
// the options.
void Configure(CTarnwickApp& app, const Options& o) {
    app.bDebug = o.bDebug ? 1 : 0;
    for (const auto& r : o.rooms) {
        CPokerRoom rec;
        rec.nRoomNumber = RoomNumberFromName(r.strName);
        rec.strNickname = r.strNick;
        rec.strHistoryPath = r.strFolder;
        app.SetRoom(r.strName, rec, rec.nRoomNumber);
    }
    RateSettings rates;
    rates.nDisplayCurrency = CurrencyFromCode(o.strDisplay);
    const CurrencyDefaults def = DefaultRatesFor(rates.nDisplayCurrency);
    rates.strRate = {def.szUSD, def.szEUR, def.szGBP};
    for (const auto& [code, text] : o.rates)
        rates.strRate[CurrencyFromCode(code)] = text;
    app.SetRates(rates);
}

CTarnwickApp::Options ToolOptions() {
    CTarnwickApp::Options opt;
    opt.bOpenLog = false;
    // Counting starts from zero: no stored bankroll, no debug switch of a
    // settings file that happens to lie beside the tool.
    opt.bLoadSettingsFile = false;
    return opt;
}

void PrintSummary(const CTarnwickApp& app, double seconds) {
    std::string summary =
        "{\"summary\":true,\"hands\":" + std::to_string(app.nTotalHands) +
        ",\"money\":" + Number(app.dTotalMoney) + ",\"bb\":" + Number(app.dTotalBB) +
        ",\"unread\":" + std::to_string(app.nUnreadHands) + ",\"seconds\":" + Number(seconds) +
        ",\"hands_per_second\":" + Number(seconds > 0 ? app.nTotalHands / seconds : 0) +
        ",\"peak_rss_kb\":" + std::to_string(PeakRssKb()) + "}\n";
    std::fwrite(summary.data(), 1, summary.size(), stdout);
    std::fflush(stdout);
}

// The session's rules and its recording, as the options ask for them: the
// rules run when an alarm, the bankroll or a session history is given, and
// the history records them. The hands reach the recorder first (it commits
// each batch), then the printer, then the ticker.
class CSessionRun {
public:
    CSessionRun(CTarnwickApp& application, const Options& o, ILogSink& log, CJsonPrinter& out)
        : app(application), printer(out) {
        if (o.alarms.bAny || !o.strDb.empty())
            ticker = std::make_unique<CSessionTicker>(app, o.alarms, printer);
        if (!o.strDb.empty()) {
            // A problem with the file is told on the standard error stream;
            // the session is counted all the same.
            store.SetLog(&log);
            bRecordingFailed = !store.Open(FromUtf8(o.strDb), std::time(nullptr)).bRecording;
            recorder = std::make_unique<CSessionRecorder>(store, ticker->Session(), app);
            // The day limits count the play day's earlier sessions.
            if (store.IsOpen())
                ticker->SetDayBefore(
                    DayResultOf(store.Sessions(), std::time(nullptr), o.alarms.nDayStartMinutes));
        } else if (ticker && (o.alarms.settings.bDayStopLoss || o.alarms.settings.bDayStopLossBB ||
                              o.alarms.settings.bDayTime)) {
            std::fprintf(stderr, "tarnwick-cli: no --db: the day limits count this session only\n");
        }
        app.AddHandListener(&printer);
        if (ticker)
            app.AddHandListener(ticker.get());
    }
    ~CSessionRun() {
        app.RemoveHandListener(&printer);
        if (ticker)
            app.RemoveHandListener(ticker.get());
    }
    CSessionRun(const CSessionRun&) = delete;
    CSessionRun& operator=(const CSessionRun&) = delete;

    void Start(const std::function<void()>& fnStartWatches = {}) {
        if (ticker)
            ticker->Start(fnStartWatches);
        else if (fnStartWatches)
            fnStartWatches();
    }
    // Call under the history lock.
    void Tick() {
        if (ticker)
            ticker->Tick();
    }
    // The run ends: so does its session (under the history lock).
    void End() {
        if (ticker)
            ticker->Stop(SessionEnd::kExit);
    }
    // A history was asked for and nothing could be recorded.
    bool RecordingFailed() const { return bRecordingFailed; }

private:
    CTarnwickApp& app;
    CJsonPrinter& printer;
    // Destroyed in reverse: the recorder, then the session it watches, then
    // the store.
    CHistoryStore store;
    std::unique_ptr<CSessionTicker> ticker;
    std::unique_ptr<CSessionRecorder> recorder;
    bool bRecordingFailed = false;
};

int Replay(int argc, char** argv) {
    Options o;
    if (int rc = ParseOptions(argc, argv, false, o); rc >= 0)
        return rc;
    CTarnwickApp app(ToolOptions());
    CStderrLog log;
    app.SetLog(&log);
    Configure(app, o);
    if (o.nReadBytes > 0)
        app.nReplayChunkBytes = o.nReadBytes;
    const std::wstring room = o.rooms.front().strName;

    CJsonPrinter printer;
    CSessionRun run(app, o, log, printer);
    run.Start();
    int status = 0;
    auto t0 = std::chrono::steady_clock::now();
    for (const std::string& f : o.files) {
        int rc = app.ReplayHistoryFile(FromUtf8(f), room);
        if (rc != 0) {
            std::fprintf(stderr, "tarnwick-cli: cannot read %s: %s\n", f.c_str(),
                         ToUtf8(HistoryFileErrorText(rc)).c_str());
            status = 1;
        }
    }
    run.End();
    PrintSummary(app, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    return run.RecordingFailed() ? 1 : status;
}

std::atomic<bool> gStop{false};

extern "C" void OnStopSignal(int) {
    gStop = true;
}

int Watch(int argc, char** argv) {
    Options o;
    if (int rc = ParseOptions(argc, argv, true, o); rc >= 0)
        return rc;
    CTarnwickApp app(ToolOptions());
    CStderrLog log;
    app.SetLog(&log);
    Configure(app, o);

    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    CJsonPrinter printer;
    printer.bDelay = true;
    // The session's alarms tick after every hand and every second, as the
    // window's clock does every 5 seconds.
    CSessionRun run(app, o, log, printer);
    auto lastTick = std::chrono::steady_clock::now();
    const auto t0 = std::chrono::steady_clock::now();
    {
        CRoomWatches watches(app, app.historyReader);
        // The session counts from zero before the watches can count a hand.
        run.Start([&] { watches.StartWatches(std::time(nullptr)); });
        std::fprintf(stderr, "tarnwick-cli: watching %zu folder(s)\n", watches.WatchCount());
        while (!gStop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            // Hands whose file went quiet count now.
            app.historyReader.FlushIdle(CHistoryFileReader::Clock::now());
            // A folder that went away, or was missing from the start, is
            // watched once it is there again; the work log (standard error
            // here) says when it goes and when it comes back.
            watches.CheckFolders(CRoomWatches::Clock::now());
            if (std::chrono::steady_clock::now() - lastTick >= std::chrono::seconds(1)) {
                auto lock = app.LockHistory();
                run.Tick();
                lastTick = std::chrono::steady_clock::now();
            }
            if (o.dSeconds >= 0 &&
                std::chrono::steady_clock::now() - t0 >= std::chrono::duration<double>(o.dSeconds))
                break;
        }
        watches.StopWatches();
    }
    // What was written before the end counts, in the session.
    app.historyReader.FlushAll();
    {
        auto lock = app.LockHistory();
        run.End();
    }
    PrintSummary(app, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    return run.RecordingFailed() ? 1 : 0;
}

// --- Reading the session history ---------------------------------------------

// The options of `sessions` and `hands`.
struct ReadOptions {
    std::string strDb;
    bool bCsv = false;
    std::int64_t nSession = -1;
    Period period = Period::kAllTime;
    int nDayStartMinutes = kDefaultDayStartMinutes;
};

int ParseReadOptions(int argc, char** argv, bool hands, ReadOptions& o) {
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--csv") {
            o.bCsv = true;
            continue;
        }
        if (a != "--db" && a != "--session" && a != "--period" && a != "--day-start")
            return UsageError("unknown option " + a);
        if (!v)
            return UsageError(a + " needs a value");
        ++i;
        if (a == "--db") {
            o.strDb = v;
        } else if (a == "--session" && hands) {
            const char* end = v + std::strlen(v);
            if (std::from_chars(v, end, o.nSession).ptr != end || o.nSession < 1)
                return UsageError("--session takes a session id, like 3");
        } else if (a == "--period" && !hands) {
            const std::string p = v;
            if (p == "today")
                o.period = Period::kToday;
            else if (p == "week")
                o.period = Period::kThisWeek;
            else if (p == "month")
                o.period = Period::kThisMonth;
            else if (p == "all")
                o.period = Period::kAllTime;
            else
                return UsageError("--period takes today, week, month or all");
        } else if (a == "--day-start" && !hands) {
            o.nDayStartMinutes = DayStartMinutes(v);
            if (o.nDayStartMinutes < 0)
                return UsageError("--day-start takes HH:MM, like 06:00");
        } else {
            return UsageError(a + " belongs to " + (hands ? "sessions" : "hands"));
        }
    }
    if (o.strDb.empty())
        return UsageError("--db is required");
    if (hands && o.nSession < 0)
        return UsageError("--session is required");
    return -1;
}

// One output record, written as a JSON object or as a CSV row with a header
// row before the first one.
class CRecordOut {
public:
    explicit CRecordOut(bool csv) : bCsv(csv) {}

    CRecordOut& Text(const char* name, const std::wstring& value) {
        std::string json;
        AppendJsonString(json, value);
        return Add(name, json, CsvField(ToUtf8(value)));
    }
    CRecordOut& Num(const char* name, double value) {
        const std::string n = Number(value);
        return Add(name, n, n);
    }
    CRecordOut& Int(const char* name, std::int64_t value) {
        const std::string n = std::to_string(value);
        return Add(name, n, n);
    }
    CRecordOut& Time(const char* name, std::int64_t t) {
        return t == 0 ? Add(name, "null", "") : Text(name, IsoLocalTime(t));
    }
    // A JSON value as it is; one CSV field holding its text.
    CRecordOut& Json(const char* name, const std::string& json) {
        return Add(name, json, CsvField(json));
    }
    // A field of the JSON object only, or of the CSV row only.
    CRecordOut& JsonOnly(const char* name, const std::string& json) {
        return bCsv ? *this : Add(name, json, "");
    }
    CRecordOut& CsvOnly(const char* name, const std::string& csv) {
        return bCsv ? Add(name, "", CsvField(csv)) : *this;
    }

    // Writes the record and starts the next.
    void End() {
        std::string line;
        if (bCsv && !bHeaderDone) {
            for (std::size_t i = 0; i < fields.size(); ++i)
                line += (i ? "," : "") + fields[i].strName;
            line += "\n";
            bHeaderDone = true;
        }
        if (!bCsv)
            line += "{";
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i)
                line += ",";
            if (bCsv) {
                line += fields[i].strCsv;
            } else {
                AppendJsonString(line, FromUtf8(fields[i].strName));
                line += ":" + fields[i].strJson;
            }
        }
        line += bCsv ? "\n" : "}\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        fields.clear();
    }

private:
    struct Field {
        std::string strName, strJson, strCsv;
    };
    CRecordOut& Add(const char* name, std::string json, std::string csv) {
        fields.push_back({name, std::move(json), std::move(csv)});
        return *this;
    }
    static std::string CsvField(const std::string& text) {
        if (text.find_first_of(",\"\r\n") == std::string::npos)
            return text;
        std::string quoted = "\"";
        for (char c : text) {
            if (c == '"')
                quoted += '"';
            quoted += c;
        }
        return quoted + "\"";
    }

    bool bCsv;
    bool bHeaderDone = false;
    std::vector<Field> fields;
};

// {"PokerStars":{"hands":120,"money":12.5,"bb":125}, ...}
std::string RoomsJson(const std::vector<ShareFigures>& rooms) {
    std::string json = "{";
    for (std::size_t i = 0; i < rooms.size(); ++i) {
        if (i)
            json += ",";
        AppendJsonString(json, rooms[i].strRoom);
        json += ":{\"hands\":" + std::to_string(rooms[i].nHands) +
                ",\"money\":" + Number(rooms[i].dMoney) + ",\"bb\":" + Number(rooms[i].dBigBlinds) +
                "}";
    }
    return json + "}";
}

// The figures every session line and the totals line carry.
void AddFigures(CRecordOut& out, const Figures& f) {
    out.Int("seconds", f.nSeconds)
        .Int("hands", f.nHands)
        .Num("money", f.dMoney)
        .Text("currency", f.strCurrency)
        .Num("bb", f.dBigBlinds)
        .Num("bb_per_100", f.dBBPer100)
        .Num("hands_per_hour", f.dHandsPerHour)
        .Num("money_per_hour", f.dMoneyPerHour)
        .Num("peak", f.dPeak)
        .Num("drawdown", f.dDrawdown);
}

bool OpenHistory(CHistoryStore& store, const std::string& path) {
    std::wstring error;
    if (store.OpenForReading(FromUtf8(path), error))
        return true;
    std::fprintf(stderr, "tarnwick-cli: cannot read the session history %s: %s\n", path.c_str(),
                 ToUtf8(error).c_str());
    return false;
}

int Sessions(int argc, char** argv) {
    ReadOptions o;
    if (int rc = ParseReadOptions(argc, argv, false, o); rc >= 0)
        return rc;
    CHistoryStore store;
    if (!OpenHistory(store, o.strDb))
        return 1;
    const std::vector<SessionRecord> sessions =
        SessionsIn(store.Sessions(), o.period, std::time(nullptr), o.nDayStartMinutes);
    CRecordOut out(o.bCsv);
    for (const SessionRecord& s : sessions) {
        const Figures f = FiguresOf(s);
        out.Int("id", s.nId).Time("start", s.tStart).Time("end", s.tEnd);
        AddFigures(out, f);
        out.Text("ended", SessionEndedName(s.ended)).Json("rooms", RoomsJson(f.vecRooms));
        out.End();
    }
    // The totals: the same figures over all the sessions listed.
    const Figures f = FiguresOf(sessions);
    out.JsonOnly("totals", "true");
    if (o.bCsv)
        out.Text("id", L"totals");
    else
        out.Int("sessions", f.nSessions);
    out.Time("start", sessions.empty() ? 0 : sessions.front().tStart)
        .Time("end", sessions.empty() ? 0 : sessions.back().tEnd);
    AddFigures(out, f);
    out.CsvOnly("ended", "").Json("rooms", RoomsJson(f.vecRooms));
    out.End();
    return 0;
}

int Hands(int argc, char** argv) {
    ReadOptions o;
    if (int rc = ParseReadOptions(argc, argv, true, o); rc >= 0)
        return rc;
    CHistoryStore store;
    if (!OpenHistory(store, o.strDb))
        return 1;
    SessionRecord session;
    if (!store.FindSession(o.nSession, session)) {
        std::fprintf(stderr, "tarnwick-cli: %s holds no session %lld\n", o.strDb.c_str(),
                     static_cast<long long>(o.nSession));
        return 1;
    }
    CRecordOut out(o.bCsv);
    for (const HandRow& h : store.Hands(o.nSession)) {
        out.Int("seq", h.nSeq)
            .Time("time", h.tCounted)
            .Text("room", h.strRoom)
            .Text("file", h.strFile)
            .Text("hand", h.strHandId)
            .Text("currency", h.strCurrency)
            .Num("bb", h.dBigBlind)
            .Num("result", h.dResult)
            .Num("money", h.dMoney)
            .Num("total", h.dTotal);
        out.End();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return UsageError("no command given");
    std::string cmd = argv[1];
    if (cmd == "replay")
        return Replay(argc, argv);
    if (cmd == "watch")
        return Watch(argc, argv);
    if (cmd == "sessions")
        return Sessions(argc, argv);
    if (cmd == "hands")
        return Hands(argc, argv);
    if (cmd == "--help" || cmd == "-h") {
        std::printf("%s\n", kUsage);
        return 0;
    }
    return UsageError("unknown command '" + cmd + "'");
}
