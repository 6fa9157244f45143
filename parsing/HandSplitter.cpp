// The splitting loop: one loop for every room format, driven by the rows of
// parsing/HandFormat.h.
#include "parsing/HandEngine.h"
#include "parsing/HandFormat.h"
#include "support/TextUtil.h"

namespace tw {

namespace {

// Formats whose hands end at a line of their own (iPoker's "</game>"): every
// line belongs to a hand from the start; a hand ends at its end line and is
// passed on there. A hand whose end line never came is passed on when the
// next one starts or the batch ends; the reader decides whether it can be
// read. Lines between hands are dropped. Every hand starts from the file's
// currency (`table` as given), so that a hand whose amounts carry no sign
// reads the same whichever batch it comes in; `table` keeps the currency of
// the last hand.
BatchResult SplitAtEndLines(CSessionModel& model, const HandFormat& fmt,
                            const std::vector<std::wstring>& lines, TableState& table,
                            const HandSource& source) {
    BatchResult batch;
    HandLines hand;
    hand.reserve(64);
    bool open = false;
    const TableState fileTable = table;
    const std::wstring_view end = fmt.strEndLine;

    auto passOn = [&] {
        if (open) {
            const HandOutcome out = MakeMoneyDataOneHand(model, hand, fileTable, source);
            table.nCurrency = out.nCurrency;
            if (out.bInBatch) {
                ++batch.nHands;
                batch.dMoney += out.dMoney;
            }
        }
        open = false;
        hand.clear();
    };

    for (const std::wstring& line : lines) {
        std::wstring_view l = TrimView(line);
        bool consumed = false;
        while (StartsWith(l, end)) {
            hand.emplace_back(end);
            passOn();
            l = TrimView(l.substr(end.size()));
            consumed = true;
        }
        if (consumed && l.empty())
            continue;
        if (fmt.isHandStart(l, table.nRoom)) {
            passOn(); // a hand that never ended
            open = true;
        }
        hand.emplace_back(l);
    }
    passOn();
    return batch;
}

} // namespace

bool IsHandStart(std::wstring_view line, RoomNumber room) {
    const HandFormat* fmt = FormatOf(room);
    return fmt && fmt->isHandStart(line, room);
}

std::size_t UnfinishedTailStart(const std::vector<std::wstring>& lines, RoomNumber room) {
    const HandFormat* fmt = FormatOf(room);
    if (!fmt)
        return 0;
    for (std::size_t i = lines.size(); i-- > 0;) {
        std::wstring_view l = TrimView(lines[i]);
        if (!fmt->isHandStart(l, room)) {
            // A hand that ends at a line of its own is finished there.
            if (!fmt->strEndLine.empty() && StartsWith(l, fmt->strEndLine))
                return i + 1;
            continue;
        }
        return fmt->handBegin ? fmt->handBegin(lines, i) : i;
    }
    return 0;
}

bool IsHandComplete(const std::vector<std::wstring>& lines, RoomNumber room, std::size_t first) {
    const HandFormat* fmt = FormatOf(room);
    return fmt ? fmt->isComplete(lines, first) : IsSummaryComplete(lines, first, false);
}

std::wstring HandIdOf(const HandLines& hand, RoomNumber room) {
    const HandFormat* fmt = FormatOf(room);
    return fmt ? fmt->handId(hand) : std::wstring();
}

namespace {

BatchResult SplitBatch(CSessionModel& model, std::vector<std::wstring>& lines, TableState& table,
                       const HandSource& source) {
    const HandFormat* fmt = FormatOf(table.nRoom);
    if (fmt && !fmt->open)
        return SplitAtEndLines(model, *fmt, lines, table, source);

    BatchResult batch;
    SplitState s{table};
    bool inHand = false;
    HandLines hand;
    hand.reserve(64);

    auto passOn = [&] {
        if (fmt && fmt->isEmpty && fmt->isEmpty(hand)) {
            hand.clear();
            return;
        }
        const HandOutcome out = MakeMoneyDataOneHand(model, hand, s, source);
        s.nCurrency = out.nCurrency;
        if (out.bInBatch) {
            ++batch.nHands;
            batch.dMoney += out.dMoney;
        }
        hand.clear();
    };

    // Moves line i, trimmed, into the current hand.
    auto store = [&](std::size_t i) {
        std::wstring& str = lines[i];
        std::wstring_view t = TrimView(str);
        if (t.size() != str.size()) {
            std::size_t lead = static_cast<std::size_t>(t.data() - str.data());
            str.erase(lead + t.size());
            str.erase(0, lead);
        }
        hand.push_back(std::move(str));
    };

    const std::size_t count = lines.size();
    for (std::size_t i = 0; i < count; ++i) {
        std::wstring_view l = TrimView(lines[i]);

        if (!inHand) {
            OpenStep step = OpenStep::None;
            for (const HandFormat* f : HandFormats()) {
                if (f->open && (step = f->open(s, lines, i, l)) != OpenStep::None)
                    break;
            }
            switch (step) {
            case OpenStep::None:
            case OpenStep::Skip:
                store(i);
                continue;
            case OpenStep::OpenFresh:
                hand.clear();
                hand.emplace_back(l);
                break;
            case OpenStep::OpenBare:
                break;
            case OpenStep::Open:
                store(i);
                break;
            }
            inHand = true;
            fmt = FormatOf(s.nRoom);
            continue;
        }

        if (i + 1 == count) {
            store(i);
            inHand = false;
            passOn();
            continue;
        }

        if (fmt) {
            switch (fmt->line(s, l, hand)) {
            case LineStep::Keep:
                break;
            case LineStep::PassOnAndKeep:
                passOn();
                break;
            case LineStep::PassOnAndSkip:
                // Kept like a skipped hand at the open step: no hand opens.
                passOn();
                inHand = false;
                store(i);
                continue;
            case LineStep::StopBatch:
                // The rest of the batch is not read; the stakes stay as read.
                table = s;
                return batch;
            }
        }
        store(i);
    }
    // Lines that never reached a cash-game header are dropped.
    table = s;
    return batch;
}

// Tells the listeners that the batch's hands are all told, however the
// batch ends: a parser that throws ends the read, and the hands counted
// before it stay counted.
class BatchEndNotice {
public:
    explicit BatchEndNotice(const CSessionModel& model) : m(model) {}
    BatchEndNotice(const BatchEndNotice&) = delete;
    BatchEndNotice& operator=(const BatchEndNotice&) = delete;
    ~BatchEndNotice() { m.NotifyHandsBatchEnded(); }

private:
    const CSessionModel& m;
};

} // namespace

BatchResult MakeMoneyData(CSessionModel& model, std::vector<std::wstring>& lines, TableState& table,
                          const HandSource& source) {
    const BatchEndNotice notice(model);
    return SplitBatch(model, lines, table, source);
}

} // namespace tw
