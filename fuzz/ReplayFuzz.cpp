// The history path on arbitrary bytes: the bytes become a history file of one
// room (TARNWICK_FUZZ_ROOM, its name) and are read twice:
//  - whole, as tarnwick-cli replay reads a file (read positions, complete
//    lines, hand splitting, the room's parser, the currency rates);
//  - as the watcher meets them: appended to the file in pieces of a few
//    bytes, each piece followed by a change notice, with the debug lines on.
//
// Besides crashes, leaks and undefined behaviour it stops on a counted hand
// or a total that is not a finite number. iPoker games, which end at their
// end tag, must come out of both reads the same: where the reads fall must
// not change what counts. A text hand counts once its summary is complete,
// so the two reads may cut malformed text (lines after a complete summary, a
// hand header in the middle of a line) differently; they are not compared.
#include "app/TarnwickApp.h"
#include "fuzz/FuzzSupport.h"
#include "support/LogSink.h"

#include <cmath>
#include <vector>

#ifndef TARNWICK_FUZZ_ROOM
#error "TARNWICK_FUZZ_ROOM names the room whose history the bytes are"
#endif

using namespace tw;

namespace {

// The nickname the seeds give the hero.
const wchar_t kHero[] = L"HERO";

// Debug lines are formatted and dropped.
class CNullLog : public ILogSink {
public:
    void WriteLogLine(const std::wstring&) override {}
};

struct CHands : IHandListener {
    std::vector<HandRecord> hands;
    void HandCounted(const HandRecord& h) override { hands.push_back(h); }
};

// An application with the one room, its folder the scratch folder.
struct CRun {
    CNullLog log; // outlives the application, which may still write to it
    CHands counted;
    CTarnwickApp app{[] {
        CTarnwickApp::Options o;
        o.strExecDir = FromUtf8(twfuzz::ScratchDir().string());
        o.bOpenLog = false;
        o.bLoadSettingsFile = false;
        return o;
    }()};
    const std::wstring room = TARNWICK_FUZZ_ROOM;

    explicit CRun(bool debug) {
        app.SetLog(&log);
        app.bDebug = debug ? 1 : 0;
        CPokerRoom r;
        r.nRoomNumber = RoomNumberFromName(room);
        r.strNickname = kHero;
        r.strHistoryPath = FromUtf8(twfuzz::ScratchDir().string());
        app.SetRoom(room, r);
        app.SetRates(L"1.00", L"1.12", L"1.42");
        app.AddHandListener(&counted);
    }
    ~CRun() { app.RemoveHandListener(&counted); }

    std::vector<HandRecord> Hands() {
        for (const HandRecord& h : counted.hands) {
            FUZZ_CHECK(std::isfinite(h.dBigBlind) && std::isfinite(h.dResult) &&
                       std::isfinite(h.dMoney));
        }
        FUZZ_CHECK(std::isfinite(app.dTotalMoney) && std::isfinite(app.dTotalBB));
        FUZZ_CHECK(app.nTotalHands >= 0 &&
                   static_cast<std::size_t>(app.nTotalHands) <= counted.hands.size());
        return std::move(counted.hands);
    }
};

std::vector<HandRecord> ReadWhole(const std::string& text) {
    static const std::string file = twfuzz::ScratchFile("whole");
    twfuzz::WriteFile(file, text);
    CRun run(false);
    FUZZ_CHECK(run.app.ReplayHistoryFile(FromUtf8(file), run.room) == 0);
    return run.Hands();
}

// Appends the text in pieces of a few bytes, a change notice after each; the
// last `tail` bytes go in one piece.
std::vector<HandRecord> ReadInPieces(const std::string& text, std::size_t tail) {
    static const std::string file = twfuzz::ScratchFile("pieces");
    static const std::wstring path = FromUtf8(file);
    twfuzz::WriteFile(file, {});
    CRun run(true);
    CHistoryFileReader& reader = run.app.historyReader;
    reader.FileAdded(path);
    static const std::size_t kPieces[] = {29, 1, 113, 7, 64, 3, 401};
    std::ofstream out(file, std::ios::binary | std::ios::app);
    const std::size_t body = text.size() - tail;
    for (std::size_t at = 0, k = 0; at < text.size(); ++k) {
        std::size_t n = std::min(kPieces[k % std::size(kPieces)], body - at);
        if (at == body)
            n = tail;
        out.write(text.data() + at, static_cast<std::streamsize>(n));
        out.flush();
        at += n;
        reader.FileModified(path);
    }
    // The file is complete: its last line counts without a line end, and the
    // hand still waiting counts too.
    reader.bTakeUnendedLast = true;
    reader.FileModified(path);
    reader.FlushAll();
    return run.Hands();
}

// The end of an iPoker document, in the document's encoding. The watcher
// reads an unfinished last game only once its end is written (and not for
// fewer than 20 new bytes), where a replay of the whole file takes it as it
// is; with this end both reads see the last game finished.
std::string ClosingTail(const std::string& text) {
    const std::string end = "\r\n </game>\r\n</session>\r\n";
    const bool le = text.rfind("\xFF\xFE", 0) == 0, be = text.rfind("\xFE\xFF", 0) == 0;
    if (!le && !be)
        return end;
    std::string wide(text.size() % 2, '\0'); // a half code unit made whole
    for (char c : end)
        wide += le ? std::string{c, '\0'} : std::string{'\0', c};
    return wide;
}

bool SameGame(const HandRecord& a, const HandRecord& b) {
    return a.strHandId == b.strHandId && a.nRoom == b.nRoom && a.bCounted == b.bCounted &&
           a.nCurrency == b.nCurrency && a.dBigBlind == b.dBigBlind && a.dResult == b.dResult;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    if (!IsIPoker(RoomNumberFromName(TARNWICK_FUZZ_ROOM))) {
        ReadWhole(text);
        ReadInPieces(text, 0);
        return 0;
    }
    const std::string tail = ClosingTail(text);
    text += tail;
    const std::vector<HandRecord> whole = ReadWhole(text);
    const std::vector<HandRecord> pieces = ReadInPieces(text, tail.size());
    FUZZ_CHECK(whole.size() == pieces.size());
    for (std::size_t i = 0; i < whole.size(); ++i)
        FUZZ_CHECK(SameGame(whole[i], pieces[i]));
    return 0;
}
