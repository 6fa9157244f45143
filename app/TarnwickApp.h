// The application object: owns the session model, the work log and the
// operations that turn history text into totals. Plain C++; the user
// interface reaches it from above.
#pragma once

#include "app/WorkLog.h"
#include "model/SessionModel.h"
#include "parsing/HandEngine.h"
#include "support/HistoryFile.h"
#include "watch/HistoryFileReader.h"

#include <string>
#include <vector>

namespace tw {

class CTarnwickApp : public CSessionModel {
public:
    struct Options {
        std::wstring strExecDir; // empty: the executable's folder
        bool bOpenLog = true;    // false: run without a work log
        bool bRussianLocale = false;
        CWorkLog::Clock clock; // the log's clock; empty: system time
    };

    CTarnwickApp();
    explicit CTarnwickApp(const Options& options);
    ~CTarnwickApp() override;

    std::wstring strExecDir;
    std::wstring strVersion;
    std::wstring strCreated;
    int bRussianLocale = 0;
    CWorkLog fileLog;

    int bLogOpen() const { return fileLog.IsOpen() ? 1 : 0; }
    void WriteLogLine(const std::wstring& text) { fileLog.WriteLogLine(text); }

    void MakeMoneyData(std::vector<std::wstring>& lines, RoomNumber& room,
                       const std::wstring& nickname, double& smallBlind, double& bigBlind,
                       int& currency, double& batchMoney, int& batchHands) {
        tw::MakeMoneyData(*this, lines, room, nickname, smallBlind, bigBlind, currency, batchMoney,
                          batchHands);
    }
    bool MakeMoneyDataOneHand(const HandLines& hand, RoomNumber room, int bbInt, int& currency,
                              double& money) {
        return tw::MakeMoneyDataOneHand(*this, hand, room, bbInt, currency, money);
    }

    // Reads a whole history file of the configured room `roomName` from its
    // start through the history file handler, as if the file had just been
    // added to the room's folder and written: a file-table entry at position
    // 0, reads of complete lines, hand splitting, and at the end the last
    // hand too. An iPoker file counts only when its <general> section is for
    // real money. Returns 0 or the read's errno value; an unknown room gives
    // EINVAL.
    int ReplayHistoryFile(const std::wstring& path, const std::wstring& roomName);

    // Most bytes one read of ReplayHistoryFile takes.
    std::size_t nReplayChunkBytes = kHistoryReadChunk;

    // Turns the file events of the watched folders into counted hands.
    CHistoryFileReader historyReader{*this};

private:
    void Construct(const Options& options);
};

} // namespace tw
