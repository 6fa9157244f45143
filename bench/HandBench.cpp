// Throughput of the PokerStars-format hand path.
#include "app/TarnwickApp.h"
#include "gen/PokerStarsGen.h"
#include "gen/TextLines.h"
#include "parsing/HandEngine.h"
#include "parsing/formats/pokerstars/PokerStars.h"
#include "support/TextUtil.h"

#include <benchmark/benchmark.h>

using namespace tw;

namespace {

// The hands of a generated text, each as its own line array.
std::vector<HandLines> Hands(int count) {
    auto lines = twgen::SplitLines(twgen::GeneratePokerStars(count).text);
    std::vector<HandLines> hands;
    for (auto& l : lines) {
        if (StartsWith(l, L"PokerStars Hand #"))
            hands.emplace_back();
        hands.back().push_back(std::move(l));
    }
    return hands;
}

void BM_ParseHandPokerStars(benchmark::State& state) {
    const auto hands = Hands(1000);
    std::size_t i = 0;
    for (auto _ : state) {
        double money = 0;
        ParseHandPokerStars(hands[i], L"HERO", money, 10);
        benchmark::DoNotOptimize(money);
        i = (i + 1) % hands.size();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_ParseHandPokerStars);

void BM_MakeMoneyDataBatch(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const auto lines = twgen::SplitLines(twgen::GeneratePokerStars(count).text);
    CTarnwickApp::Options opt;
    opt.bOpenLog = false;
    CTarnwickApp app(opt);
    CPokerRoom room;
    room.nRoomNumber = kRoomPokerStars;
    room.strNickname = L"HERO";
    app.SetRoom(L"PokerStars", room);
    app.SetRates(L"1.00", L"1.12", L"1.42");
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::wstring> batch = lines; // the engine consumes its batch
        state.ResumeTiming();
        TableState table;
        table.nRoom = kRoomPokerStars;
        const BatchResult result = MakeMoneyData(app, batch, table);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * count);
}
BENCHMARK(BM_MakeMoneyDataBatch)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
