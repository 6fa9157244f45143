// Throughput of the 888poker reader: the hand parser alone, and hand splitting
// with dispatch into the totals, over 50 000 generated hands.
#include "gen/Hand888Generator.h"
#include "gen/TextLines.h"
#include "parsing/HandEngine.h"
#include "parsing/formats/888/Poker888.h"
#include "support/TextUtil.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

using namespace tw;

constexpr int kHands = 50000;

// The generated text as lines, decoded once for every benchmark.
const std::vector<std::wstring>& AllLines() {
    static const std::vector<std::wstring> lines = [] {
        bench::Generated888 g = bench::Generate888(kHands, "HERO");
        return twgen::SplitLines(g.strText);
    }();
    return lines;
}

// The same text cut into hands at each "#Game No :" line.
const std::vector<HandLines>& AllHands() {
    static const std::vector<HandLines> hands = [] {
        std::vector<HandLines> out;
        for (const std::wstring& l : AllLines()) {
            if (StartsWith(l, L"#Game No :"))
                out.emplace_back();
            if (!out.empty())
                out.back().push_back(Trim(l));
        }
        return out;
    }();
    return hands;
}

void BM_ParseHand888(benchmark::State& state) {
    const std::vector<HandLines>& hands = AllHands();
    const std::wstring hero = L"HERO";
    for (auto _ : state) {
        double total = 0;
        for (const HandLines& h : hands) {
            double money = 0;
            if (ParseHand888(h, hero, money))
                total += money;
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(hands.size()));
}
BENCHMARK(BM_ParseHand888)->Unit(benchmark::kMillisecond);

void BM_MakeMoneyData888(benchmark::State& state) {
    const std::vector<std::wstring>& lines = AllLines();
    CSessionModel model;
    CPokerRoom room;
    room.nRoomNumber = kRoom888;
    room.strNickname = L"HERO";
    model.SetRoom(L"888 poker", room);
    model.SetRates(L"1.00", L"1.12", L"1.42");
    int counted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::wstring> batch = lines; // the engine consumes its batch
        model.nTotalHands = 0;
        state.ResumeTiming();
        TableState table;
        table.nRoom = kRoom888;
        const BatchResult result = MakeMoneyData(model, batch, table);
        counted = model.nTotalHands;
        benchmark::DoNotOptimize(result);
    }
    if (counted != kHands)
        state.SkipWithError("not every generated hand was counted");
    state.SetItemsProcessed(state.iterations() * kHands);
}
BENCHMARK(BM_MakeMoneyData888)->Unit(benchmark::kMillisecond);

} // namespace
