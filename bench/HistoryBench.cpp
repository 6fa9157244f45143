// The session history at size: a database of 1 000 000 generated hands in
// 2 000 sessions, and the time to open it, to compute the totals (today,
// this week, this month, all time), to get one session's graph, to list the
// sessions as `tarnwick-cli sessions` does, and to record one hand.
//
// usage: tarnwick_history_bench [--db FILE] [--cli TARNWICK_CLI] [benchmark flags]
//   --db   where the database lies; it is filled when it holds no sessions
//          (default: a new file in the temporary folder, removed afterwards)
//   --cli  also time `tarnwick-cli sessions --db FILE`
#include "store/HistoryStore.h"
#include "store/SessionFigures.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace tw;

namespace {

constexpr int kSessions = 2000;
constexpr int kHandsPerSession = 500;
constexpr int kTablesPerSession = 6;
constexpr int kTableFiles = 240;

std::wstring gDb;
std::string gCli;

std::int64_t Now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

// Two sessions a day, back from now; hands every 8 to 20 seconds on six
// table files of three rooms, written in batches of one to three hands.
void Fill(CHistoryStore& store) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> gap(8, 20), batch(1, 3), table(0, kTableFiles - 1);
    std::normal_distribution<double> result(0.0, 1.5);
    const wchar_t* rooms[] = {L"PokerStars", L"888 poker", L"Titan poker"};
    const std::int64_t first = Now() - static_cast<std::int64_t>(kSessions / 2 + 1) * 86400;
    long long handId = 300000000000;
    const auto t0 = std::chrono::steady_clock::now();
    for (int s = 0; s < kSessions; ++s) {
        std::int64_t t = first + (s / 2) * 86400 + (s % 2) * 43200 + 19 * 3600;
        store.BeginSession(t, L"USD", {});
        int files[kTablesPerSession];
        for (int& f : files)
            f = table(rng);
        for (int h = 0; h < kHandsPerSession;) {
            const int n = std::min(batch(rng), kHandsPerSession - h);
            for (int i = 0; i < n; ++i, ++h) {
                t += gap(rng);
                const int f = files[(h + i) % kTablesPerSession];
                HandEntry e;
                e.tCounted = t;
                e.strRoom = rooms[f % 3];
                e.strFile = L"/home/player/HandHistory/HERO/HH20261208 Table " +
                            std::to_wstring(f) + L" - $0.05-$0.10 - USD No Limit Hold'em.txt";
                e.strHandId = std::to_wstring(++handId);
                e.strCurrency = L"USD";
                e.dBigBlind = 0.1;
                e.dResult = std::round(result(rng) * 100.0) / 100.0;
                e.dMoney = e.dResult;
                store.AddHand(e);
            }
            store.EndBatch(0);
        }
        store.EndSession(t + 30, 0, SessionEnded::kStop);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::fprintf(stderr, "filled %d hands in %.1f s (%.0f hands/s, %.0f batches/s)\n",
                 kSessions * kHandsPerSession, seconds, kSessions * kHandsPerSession / seconds,
                 kSessions * kHandsPerSession / 2.0 / seconds);
}

void BM_OpenForRecording(benchmark::State& state) {
    for (auto _ : state) {
        CHistoryStore store;
        const auto r = store.Open(gDb, Now());
        benchmark::DoNotOptimize(r);
        if (!r.bRecording)
            state.SkipWithError("cannot open");
    }
}

void BM_OpenForReading(benchmark::State& state) {
    for (auto _ : state) {
        CHistoryStore store;
        std::wstring error;
        if (!store.OpenForReading(gDb, error))
            state.SkipWithError("cannot open");
    }
}

void BM_Totals(benchmark::State& state) {
    CHistoryStore store;
    std::wstring error;
    store.OpenForReading(gDb, error);
    for (auto _ : state) {
        const PeriodTotals totals = TotalsOf(store.Sessions(), Now());
        benchmark::DoNotOptimize(totals);
        if (totals.all.nHands != kSessions * kHandsPerSession)
            state.SkipWithError("wrong hand count");
    }
}

void BM_SessionGraph(benchmark::State& state) {
    CHistoryStore store;
    std::wstring error;
    store.OpenForReading(gDb, error);
    for (auto _ : state) {
        const auto points = store.Graph(kSessions / 2);
        benchmark::DoNotOptimize(points);
        if (points.size() != kHandsPerSession)
            state.SkipWithError("wrong point count");
    }
}

void BM_CliSessions(benchmark::State& state) {
    const std::string cmd =
        "'" + gCli + "' sessions --db '" + std::filesystem::path(gDb).string() + "'";
    for (auto _ : state) {
        FILE* p = ::popen(cmd.c_str(), "r");
        char buf[65536];
        std::size_t lines = 0;
        while (std::fgets(buf, sizeof buf, p))
            ++lines;
        if (::pclose(p) != 0 || lines != kSessions + 1)
            state.SkipWithError("tarnwick-cli sessions failed");
    }
}

// One hand committed as its own batch: what recording adds to a hand. Into
// a database of its own beside the big one, which stays as filled.
void BM_RecordHand(benchmark::State& state) {
    const std::wstring path = gDb + L".record-bench";
    CHistoryStore store;
    store.Open(path, Now());
    store.BeginSession(Now(), L"USD", {});
    long long id = 900000000000;
    for (auto _ : state) {
        HandEntry e;
        e.tCounted = Now();
        e.strRoom = L"PokerStars";
        e.strFile = L"/home/player/HandHistory/HERO/HH20261208 Table 1 - $0.05-$0.10 - USD No "
                    L"Limit Hold'em.txt";
        e.strHandId = std::to_wstring(++id);
        e.strCurrency = L"USD";
        e.dBigBlind = 0.1;
        e.dResult = e.dMoney = 0.25;
        store.AddHand(e);
        store.EndBatch(0);
    }
    store.EndSession(Now(), 0, SessionEnded::kStop);
    store.Close();
    for (const wchar_t* suffix : {L"", L".lock", L"-wal", L"-shm"}) {
        std::error_code ec;
        std::filesystem::remove(std::filesystem::path(path + suffix), ec);
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::filesystem::path temp;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--db")
            gDb = std::filesystem::path(argv[++i]).wstring();
        else if (std::string(argv[i]) == "--cli")
            gCli = argv[++i];
    }
    if (gDb.empty()) {
        temp = std::filesystem::temp_directory_path() /
               ("tarnwick-history-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(temp);
        gDb = (temp / "Tarnwick.db").wstring();
    }
    {
        CHistoryStore store;
        const auto r = store.Open(gDb, Now());
        if (!r.bRecording) {
            std::fprintf(stderr, "cannot open the database\n");
            return 1;
        }
        if (store.Sessions().empty())
            Fill(store);
    }
    const auto size = std::filesystem::file_size(std::filesystem::path(gDb));
    std::fprintf(stderr, "database: %ju bytes, %.1f bytes a hand\n",
                 static_cast<std::uintmax_t>(size),
                 static_cast<double>(size) / (kSessions * kHandsPerSession));

    benchmark::RegisterBenchmark("BM_OpenForRecording", BM_OpenForRecording)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_OpenForReading", BM_OpenForReading)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Totals", BM_Totals)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_SessionGraph", BM_SessionGraph)->Unit(benchmark::kMillisecond);
    if (!gCli.empty())
        benchmark::RegisterBenchmark("BM_CliSessions", BM_CliSessions)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_RecordHand", BM_RecordHand)->Unit(benchmark::kMicrosecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!temp.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(temp, ec);
    }
    return 0;
}
