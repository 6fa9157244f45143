// iPoker throughput: the whole replay of a generated 50 000-game history
// file, and the parts of one game (XML reading, the hand parser).
#include "app/TarnwickApp.h"
#include "gen/IPokerSample.h"
#include "parsing/XmlDocument.h"
#include "parsing/formats/ipoker/IPoker.h"
#include "support/TextUtil.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

using namespace tw;

namespace {

constexpr int kReplayGames = 50000;

// A generated history file in a temporary folder, removed at exit.
struct SampleFile {
    std::string strPath;
    IPokerSampleTotals totals;

    SampleFile() {
        char dir[] = "/tmp/tarnwick-ipoker-bench-XXXXXX";
        if (!::mkdtemp(dir))
            std::abort();
        strPath = std::string(dir) + "/history.xml";
        std::ofstream out(strPath, std::ios::binary);
        IPokerSampleOptions options;
        options.nGames = kReplayGames;
        totals = WriteIPokerSample(out, options);
    }
    ~SampleFile() {
        std::remove(strPath.c_str());
        ::rmdir(strPath.substr(0, strPath.rfind('/')).c_str());
    }
};

const SampleFile& Sample() {
    static SampleFile file;
    return file;
}

// The lines of one generated game.
HandLines OneGame() {
    std::ostringstream out;
    IPokerSampleOptions options;
    options.nGames = 1;
    options.nSeed = 7;
    WriteIPokerSample(out, options);
    HandLines lines;
    std::istringstream in(out.str());
    std::string line;
    bool inGame = false;
    while (std::getline(in, line)) {
        std::wstring w = Trim(FromUtf8(line));
        inGame = inGame || StartsWith(w, kIPokerGameStart);
        if (inGame)
            lines.push_back(w);
        if (w == kIPokerGameEnd)
            break;
    }
    return lines;
}

void BM_ReplayIPokerFile(benchmark::State& state) {
    const SampleFile& sample = Sample();
    const std::wstring path = FromUtf8(sample.strPath);
    for (auto _ : state) {
        CTarnwickApp::Options opt;
        opt.bOpenLog = false;
        CTarnwickApp app(opt);
        CPokerRoom room;
        room.nRoomNumber = kRoomTitan;
        room.strNickname = L"HERO";
        app.SetRoom(L"Titan poker", room);
        app.SetRates(L"1.00", L"1.12", L"1.42");
        app.ReplayHistoryFile(path, L"Titan poker");
        if (app.nTotalHands != sample.totals.nGames ||
            std::fabs(app.dTotalMoney - sample.totals.nHeroNetCents / 100.0) > 0.005) {
            state.SkipWithError("the replay disagrees with the generated totals");
            break;
        }
    }
    state.counters["games/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kReplayGames, benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * sample.totals.nBytes);
}
BENCHMARK(BM_ReplayIPokerFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ParseHandIPoker(benchmark::State& state) {
    const HandLines game = OneGame();
    const std::wstring hero = L"HERO";
    for (auto _ : state) {
        double result = 0, bigBlind = 0;
        int currency = 0;
        std::wstring code;
        bool ok = ParseHandIPoker(game, hero, result, currency, bigBlind, code);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(result);
    }
    state.counters["games/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ParseHandIPoker);

void BM_XmlParseGame(benchmark::State& state) {
    std::wstring doc;
    for (const std::wstring& l : OneGame())
        doc += l;
    XmlParseSettings settings;
    for (auto _ : state) {
        CXmlNode root;
        benchmark::DoNotOptimize(Parse(root, doc, settings));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(doc.size() * sizeof(wchar_t)));
}
BENCHMARK(BM_XmlParseGame);

} // namespace

BENCHMARK_MAIN();
