// tarnwick-cli: the hand engine on the command line.
//
//   tarnwick-cli replay --room NAME --nick NICK [--rate USD=1.00] [--rate EUR=1.12]
//                       [--rate GBP=1.42] [--display USD] [--debug] FILE...
//
// Prints one JSON line per counted hand, one marked "counted":false per hand
// the room cancelled (which changes no total), and a summary line.
#include "app/TarnwickApp.h"
#include "support/LogSink.h"
#include "support/TextUtil.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace tw;

namespace {

const char kUsage[] =
    "usage: tarnwick-cli replay --room NAME --nick NICK [--rate CUR=RATE]... [--display CUR] "
    "[--debug] FILE...";

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

class CJsonPrinter : public IHandListener {
public:
    void HandCounted(const HandRecord& h) override {
        line.clear();
        line += "{\"file\":";
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
        std::fwrite(line.data(), 1, line.size(), stdout);
    }

private:
    std::string line;
};

long PeakRssKb() {
    struct rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

int Replay(int argc, char** argv) {
    std::wstring room, nick;
    bool haveNick = false, debug = false;
    std::wstring display = L"USD";
    std::vector<std::pair<std::wstring, std::wstring>> rates;
    std::vector<std::string> files;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc)
                return nullptr;
            (void)name;
            return argv[++i];
        };
        if (a == "--room") {
            const char* v = value("--room");
            if (!v)
                return UsageError("--room needs a room name");
            room = FromUtf8(v);
        } else if (a == "--nick") {
            const char* v = value("--nick");
            if (!v)
                return UsageError("--nick needs a nickname");
            nick = FromUtf8(v);
            haveNick = true;
        } else if (a == "--rate") {
            const char* v = value("--rate");
            if (!v)
                return UsageError("--rate needs CUR=RATE");
            std::wstring r = FromUtf8(v);
            std::size_t eq = r.find(L'=');
            double d = 0;
            if (eq == std::wstring::npos || CurrencyFromCode(r.substr(0, eq)) < 0 ||
                !ParseDecimal(r.substr(eq + 1), d))
                return UsageError("bad --rate '" + std::string(v) +
                                  "' (want USD=1.00, EUR=1.12 or GBP=1.42)");
            rates.emplace_back(r.substr(0, eq), r.substr(eq + 1));
        } else if (a == "--display") {
            const char* v = value("--display");
            if (!v || CurrencyFromCode(FromUtf8(v)) < 0)
                return UsageError("--display takes USD, EUR or GBP");
            display = FromUtf8(v);
        } else if (a == "--debug") {
            debug = true;
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            return UsageError("unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    if (room.empty())
        return UsageError("--room is required");
    if (RoomNumberFromName(room) == kRoomNone)
        return UsageError("unknown room '" + ToUtf8(room) + "'");
    if (!haveNick)
        return UsageError("--nick is required");
    if (files.empty())
        return UsageError("no FILE given");

    CTarnwickApp::Options opt;
    opt.bOpenLog = false;
    // A replay counts from zero: no stored bankroll, no debug switch of a
    // settings file that happens to lie beside the tool.
    opt.bLoadSettingsFile = false;
    CTarnwickApp app(opt);
    CStderrLog log;
    app.SetLog(&log);
    app.bDebug = debug ? 1 : 0;

    CPokerRoom rec;
    rec.nRoomNumber = RoomNumberFromName(room);
    rec.strNickname = nick;
    app.mapRooms[room] = rec;
    app.mapRoomNames[room] = rec.nRoomNumber;
    app.nDisplayCurrency = CurrencyFromCode(display);
    CurrencyDefaults def = DefaultRatesFor(app.nDisplayCurrency);
    std::wstring usd = def.szUSD, eur = def.szEUR, gbp = def.szGBP;
    for (auto& [code, text] : rates) {
        if (code == L"USD")
            usd = text;
        else if (code == L"EUR")
            eur = text;
        else
            gbp = text;
    }
    app.SetRates(usd, eur, gbp);

    CJsonPrinter printer;
    app.AddHandListener(&printer);
    int status = 0;
    auto t0 = std::chrono::steady_clock::now();
    for (const std::string& f : files) {
        int rc = app.ReplayHistoryFile(FromUtf8(f), room);
        if (rc != 0) {
            std::fprintf(stderr, "tarnwick-cli: cannot read %s: %s\n", f.c_str(),
                         std::strerror(rc));
            status = 1;
        }
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::string summary =
        "{\"summary\":true,\"hands\":" + std::to_string(app.nTotalHands) +
        ",\"money\":" + Number(app.dTotalMoney) + ",\"bb\":" + Number(app.dTotalBB) +
        ",\"seconds\":" + Number(seconds) +
        ",\"hands_per_second\":" + Number(seconds > 0 ? app.nTotalHands / seconds : 0) +
        ",\"peak_rss_kb\":" + std::to_string(PeakRssKb()) + "}\n";
    std::fwrite(summary.data(), 1, summary.size(), stdout);
    app.RemoveHandListener(&printer);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return UsageError("no command given");
    std::string cmd = argv[1];
    if (cmd == "replay")
        return Replay(argc, argv);
    if (cmd == "--help" || cmd == "-h") {
        std::printf("%s\n", kUsage);
        return 0;
    }
    return UsageError("unknown command '" + cmd + "'");
}
