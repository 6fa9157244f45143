#include "store/SessionCsv.h"

#include "support/TextUtil.h"

#include <charconv>

namespace tw {

namespace {

// Builds one CSV line field by field.
class CCsvLine {
public:
    explicit CCsvLine(std::string& out) : out(out) {}

    CCsvLine& Text(const std::wstring& text) { return Field(CsvField(ToUtf8(text))); }
    CCsvLine& Int(std::int64_t value) { return Field(std::to_string(value)); }
    CCsvLine& Num(double value) {
        if (value == 0)
            value = 0; // no "-0"
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 10);
        return Field(std::string(buf, r.ptr));
    }
    // Empty for 0 (an open session has no end yet).
    CCsvLine& Time(std::int64_t t) { return t == 0 ? Field({}) : Text(IsoLocalTime(t)); }
    void End() { out += '\n'; }

private:
    CCsvLine& Field(const std::string& text) {
        if (!bFirst)
            out += ',';
        bFirst = false;
        out += text;
        return *this;
    }

    std::string& out;
    bool bFirst = true;
};

} // namespace

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string SessionsCsv(const std::vector<SessionRecord>& sessions) {
    std::string out = "id,start,end,seconds,hands,money,currency,bb,bb_per_100,hands_per_hour,"
                      "money_per_hour,peak,drawdown,ended\n";
    for (const SessionRecord& s : sessions) {
        const Figures f = FiguresOf(s);
        CCsvLine(out)
            .Int(s.nId)
            .Time(s.tStart)
            .Time(s.tEnd)
            .Int(f.nSeconds)
            .Int(f.nHands)
            .Num(f.dMoney)
            .Text(f.strCurrency)
            .Num(f.dBigBlinds)
            .Num(f.dBBPer100)
            .Num(f.dHandsPerHour)
            .Num(f.dMoneyPerHour)
            .Num(f.dPeak)
            .Num(f.dDrawdown)
            .Text(SessionEndedName(s.ended))
            .End();
    }
    return out;
}

std::string HandsCsv(const std::vector<HandRow>& hands) {
    std::string out = "seq,time,room,file,hand,currency,bb,result,money,total\n";
    for (const HandRow& h : hands)
        CCsvLine(out)
            .Int(h.nSeq)
            .Time(h.tCounted)
            .Text(h.strRoom)
            .Text(h.strFile)
            .Text(h.strHandId)
            .Text(h.strCurrency)
            .Num(h.dBigBlind)
            .Num(h.dResult)
            .Num(h.dMoney)
            .Num(h.dTotal)
            .End();
    return out;
}

} // namespace tw
