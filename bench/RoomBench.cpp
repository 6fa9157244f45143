// Throughput of the PartyPoker and Tiger Gaming readers over generated text.
#include "gen/HandGenerator.h"
#include "gen/TextLines.h"
#include "parsing/HandEngine.h"
#include "parsing/formats/partypoker/PartyPoker.h"
#include "parsing/formats/tigergaming/TigerGaming.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace tw;
using namespace tw::bench;

namespace {

constexpr int kHands = 50000;

struct Corpus {
    std::vector<std::wstring> lines;
    std::vector<HandLines> hands;
    long long heroNet = 0;
};

const Corpus& Generated(GenFormat format) {
    static const auto make = [](GenFormat f) {
        Corpus c;
        GeneratedHands g = GenerateHands(f, kHands, 7, "HERO");
        c.heroNet = g.nHeroNet;
        c.lines = twgen::SplitLines(g.strText);
        const std::wstring start = f == GenFormat::PartyPoker ? L"Game #" : L"Tiger Gaming Game #";
        for (const std::wstring& l : c.lines) {
            if (l.rfind(start, 0) == 0 || c.hands.empty())
                c.hands.emplace_back();
            c.hands.back().push_back(l);
        }
        return c;
    };
    static const Corpus party = make(GenFormat::PartyPoker);
    static const Corpus tiger = make(GenFormat::TigerGaming);
    return format == GenFormat::PartyPoker ? party : tiger;
}

void CheckTotal(benchmark::State& state, double hundredths, long long expected) {
    if (std::llround(hundredths) != expected)
        state.SkipWithError("the generated hands were counted wrong");
}

void BM_ParseHandPartyPoker(benchmark::State& state) {
    const Corpus& c = Generated(GenFormat::PartyPoker);
    const std::wstring hero = L"HERO";
    for (auto _ : state) {
        double total = 0;
        for (const HandLines& h : c.hands) {
            double money = 0;
            ParseHandPartyPoker(h, hero, money);
            total += money;
        }
        CheckTotal(state, total, c.heroNet);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(c.hands.size()));
}

void BM_ParseHandTigerGaming(benchmark::State& state) {
    const Corpus& c = Generated(GenFormat::TigerGaming);
    const std::wstring hero = L"HERO";
    for (auto _ : state) {
        double total = 0;
        for (const HandLines& h : c.hands) {
            double money = 0;
            ParseHandTigerGaming(h, hero, money);
            total += money;
        }
        CheckTotal(state, total, c.heroNet);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(c.hands.size()));
}

// Splitting, header reading, dispatch and totals for the whole text.
void MakeMoneyDataOver(benchmark::State& state, GenFormat format, const wchar_t* roomName,
                       RoomNumber roomNumber) {
    const Corpus& c = Generated(format);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::wstring> batch = c.lines; // the engine consumes its batch
        state.ResumeTiming();
        CSessionModel model;
        CPokerRoom hero;
        hero.strNickname = L"HERO";
        model.SetRoom(roomName, hero);
        model.SetRates(L"1.00", L"1.12", L"1.42");
        TableState table;
        table.nRoom = roomNumber;
        const BatchResult result = MakeMoneyData(model, batch, table);
        if (result.nHands != kHands)
            state.SkipWithError("hands were lost or split wrongly");
        CheckTotal(state, result.dMoney * 100.0, c.heroNet);
    }
    state.SetItemsProcessed(state.iterations() * kHands);
}

void BM_MakeMoneyDataPartyPoker(benchmark::State& state) {
    MakeMoneyDataOver(state, GenFormat::PartyPoker, L"PartyPoker", kRoomPartyPoker);
}

void BM_MakeMoneyDataTigerGaming(benchmark::State& state) {
    MakeMoneyDataOver(state, GenFormat::TigerGaming, L"TigerGaming", kRoomTigerGaming);
}

} // namespace

BENCHMARK(BM_ParseHandPartyPoker)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseHandTigerGaming)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeMoneyDataPartyPoker)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeMoneyDataTigerGaming)->Unit(benchmark::kMillisecond);
