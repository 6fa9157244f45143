#include "store/SessionFigures.h"

#include "support/TextUtil.h"

#include <algorithm>
#include <ctime>
#include <map>
#include <utility>

namespace tw {

double HandBigBlinds(double result, double bigBlind) {
    return bigBlind > 0 ? result / bigBlind : 0.0;
}

void MoneyRun::Add(double money, double bigBlinds) {
    ++nHands;
    dMoney += money;
    dBigBlinds += bigBlinds;
    dPeak = std::max(dPeak, dMoney);
    dTrough = std::min(dTrough, dMoney);
    dDrawdown = std::max(dDrawdown, dPeak - dMoney);
}

void MoneyRun::Append(const MoneyRun& next) {
    // A fall may start at a peak of this run and end in the next one's
    // lowest point.
    dDrawdown = std::max({dDrawdown, next.dDrawdown, dPeak - (dMoney + next.dTrough)});
    dPeak = std::max(dPeak, dMoney + next.dPeak);
    dTrough = std::min(dTrough, dMoney + next.dTrough);
    nHands += next.nHands;
    dMoney += next.dMoney;
    dBigBlinds += next.dBigBlinds;
}

namespace {

constexpr std::pair<SessionEnded, const wchar_t*> kEndedNames[] = {
    {SessionEnded::kOpen, L"open"},
    {SessionEnded::kStop, L"stop"},
    {SessionEnded::kExit, L"exit"},
    {SessionEnded::kAlarm, L"alarm"},
    {SessionEnded::kInterrupted, L"interrupted"},
};

// Adds `share` into the sorted `shares`, keyed by room and file.
void AddShare(std::map<std::pair<std::wstring, std::wstring>, ShareFigures>& shares,
              const std::wstring& room, const std::wstring& file, const ShareFigures& share) {
    ShareFigures& to = shares[{room, file}];
    to.strRoom = room;
    to.strFile = file;
    to.nHands += share.nHands;
    to.dMoney += share.dMoney;
    to.dBigBlinds += share.dBigBlinds;
}

std::vector<ShareFigures>
Values(const std::map<std::pair<std::wstring, std::wstring>, ShareFigures>& shares) {
    std::vector<ShareFigures> out;
    out.reserve(shares.size());
    for (const auto& [key, share] : shares)
        out.push_back(share);
    return out;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// The year and month of a day since 1970-01-01, as year * 12 + month - 1.
std::int64_t MonthOfDay(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return (y + (m <= 2)) * 12 + m - 1;
}

// Weeks since the Monday before 1970-01-01 (a Thursday).
std::int64_t WeekOfDay(std::int64_t day) {
    const std::int64_t shifted = day + 3;
    return shifted >= 0 ? shifted / 7 : (shifted - 6) / 7;
}

} // namespace

const wchar_t* SessionEndedName(SessionEnded how) {
    for (const auto& [value, name] : kEndedNames)
        if (value == how)
            return name;
    return L"open";
}

SessionEnded SessionEndedFromName(const std::wstring& name) {
    for (const auto& [value, text] : kEndedNames)
        if (name == text)
            return value;
    return SessionEnded::kOpen;
}

std::int64_t SessionRecord::Seconds() const {
    const std::int64_t end = ended != SessionEnded::kOpen ? tEnd : std::max(tLastHand, tStart);
    return std::max<std::int64_t>(end - tStart - nPausedSeconds, 0);
}

Rates RatesOf(int hands, double bigBlinds, double money, std::int64_t seconds) {
    Rates r;
    if (hands > 0)
        r.dBBPer100 = bigBlinds * 100.0 / hands;
    if (seconds > 0) {
        const double hours = static_cast<double>(seconds) / 3600.0;
        r.dHandsPerHour = hands / hours;
        r.dMoneyPerHour = money / hours;
    }
    return r;
}

Figures FiguresOf(const SessionRecord& session) {
    return FiguresOf(std::vector<SessionRecord>{session});
}

Figures FiguresOf(const std::vector<SessionRecord>& sessions) {
    Figures f;
    MoneyRun run;
    std::map<std::pair<std::wstring, std::wstring>, ShareFigures> rooms, tables;
    for (std::size_t i = 0; i < sessions.size(); ++i) {
        const SessionRecord& s = sessions[i];
        run.Append(s.run);
        f.nSeconds += s.Seconds();
        if (i == 0)
            f.strCurrency = s.strCurrency;
        else if (f.strCurrency != s.strCurrency)
            f.strCurrency.clear();
        for (const ShareFigures& t : s.vecTables) {
            AddShare(tables, t.strRoom, t.strFile, t);
            AddShare(rooms, t.strRoom, std::wstring(), t);
        }
    }
    f.nSessions = static_cast<int>(sessions.size());
    f.nHands = run.nHands;
    f.dMoney = run.dMoney;
    f.dBigBlinds = run.dBigBlinds;
    f.dPeak = run.dPeak;
    f.dDrawdown = run.dDrawdown;
    const Rates rates = RatesOf(run.nHands, run.dBigBlinds, run.dMoney, f.nSeconds);
    f.dBBPer100 = rates.dBBPer100;
    f.dHandsPerHour = rates.dHandsPerHour;
    f.dMoneyPerHour = rates.dMoneyPerHour;
    f.vecRooms = Values(rooms);
    f.vecTables = Values(tables);
    return f;
}

std::int64_t PlayDay(std::int64_t t, int dayStartMinutes) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm local{};
    localtime_r(&tt, &local);
    std::int64_t day = DaysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                                     static_cast<unsigned>(local.tm_mday));
    // Before the day's start the time still belongs to the day before.
    if (local.tm_hour * 60 + local.tm_min < dayStartMinutes)
        --day;
    return day;
}

bool InPeriod(std::int64_t t, Period period, std::int64_t now, int dayStartMinutes) {
    if (period == Period::kAllTime)
        return true;
    const std::int64_t day = PlayDay(t, dayStartMinutes);
    const std::int64_t today = PlayDay(now, dayStartMinutes);
    switch (period) {
    case Period::kToday:
        return day == today;
    case Period::kThisWeek:
        return WeekOfDay(day) == WeekOfDay(today);
    case Period::kThisMonth:
        return MonthOfDay(day) == MonthOfDay(today);
    case Period::kAllTime:
        break;
    }
    return true;
}

std::vector<SessionRecord> SessionsIn(const std::vector<SessionRecord>& sessions, Period period,
                                      std::int64_t now, int dayStartMinutes) {
    std::vector<SessionRecord> in;
    for (const SessionRecord& s : sessions)
        if (InPeriod(s.tStart, period, now, dayStartMinutes))
            in.push_back(s);
    return in;
}

DayResult DayResultOf(const std::vector<SessionRecord>& sessions, std::int64_t now,
                      int dayStartMinutes) {
    const Figures day = FiguresOf(SessionsIn(sessions, Period::kToday, now, dayStartMinutes));
    return {day.nSessions, day.dMoney, day.dBigBlinds, day.nSeconds};
}

PeriodTotals TotalsOf(const std::vector<SessionRecord>& sessions, std::int64_t now,
                      int dayStartMinutes) {
    PeriodTotals totals;
    totals.today = FiguresOf(SessionsIn(sessions, Period::kToday, now, dayStartMinutes));
    totals.week = FiguresOf(SessionsIn(sessions, Period::kThisWeek, now, dayStartMinutes));
    totals.month = FiguresOf(SessionsIn(sessions, Period::kThisMonth, now, dayStartMinutes));
    totals.all = FiguresOf(sessions);
    return totals;
}

std::vector<GraphPoint> GraphOf(const std::vector<HandRow>& hands) {
    std::vector<GraphPoint> points;
    points.reserve(hands.size());
    MoneyRun run;
    for (const HandRow& h : hands) {
        run.Add(h.dMoney, HandBigBlinds(h.dResult, h.dBigBlind));
        points.push_back({h.tCounted, run.nHands, run.dMoney, run.dBigBlinds});
    }
    return points;
}

std::wstring IsoLocalTime(std::int64_t t) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm local{};
    localtime_r(&tt, &local);
    const long offset = local.tm_gmtoff;
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    return Format(L"%04d-%02d-%02dT%02d:%02d:%02d%lc%02ld:%02ld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  offset < 0 ? L'-' : L'+', minutes / 60, minutes % 60);
}

} // namespace tw
