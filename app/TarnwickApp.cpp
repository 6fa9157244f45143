#include "app/TarnwickApp.h"

#include "support/HistoryFile.h"
#include "support/SupportLib.h"
#include "support/TextUtil.h"

#include <cerrno>

namespace tw {

CTarnwickApp::CTarnwickApp() {
    Construct(Options{});
}

CTarnwickApp::CTarnwickApp(const Options& options) {
    Construct(options);
}

void CTarnwickApp::Construct(const Options& options) {
    bRussianLocale = options.bRussianLocale ? 1 : 0;
    strExecDir = options.strExecDir.empty() ? GetExecDir() : options.strExecDir;
    strDataDir = options.strDataDir.empty() ? strExecDir : options.strDataDir;
    strExePath = options.strExePath.empty() ? GetExecPath() : options.strExePath;
    pMessages = options.pMessages;
    fnVersionNotice = options.fnVersionNotice;
    if (options.clock)
        fileLog.SetClock(options.clock);
    if (options.bOpenLog)
        fileLog.OpenLog(strDataDir);
    strCreated = L"Creation date:  26.02.2021";
    strVersion = L"v3.1";
    if (fileLog.IsOpen())
        fileLog.WriteBanner(strCreated, strVersion);
    SetLog(&fileLog);

    mapRooms.clear();
    mapRoomNames.clear();
    for (const RoomInfo& r : kSupportedRooms)
        mapRoomNames[r.szName] = 0;
    mapCurrency.clear();
    dTotalMoney = 0;
    dTotalBB = 0;
    if (options.bLoadSettingsFile)
        LoadSettingsFile();
    dPeakMoney = dTotalMoney;
    dPeakBB = dTotalBB;
    WriteLogLine(
        Format(L"AlarmMessage: Hand=%d  Time=%d Debug = %d\n", bHandMessage, bTimeMessage, bDebug));

    CheckVersion();
}

CTarnwickApp::~CTarnwickApp() {
    if (bBankroll)
        StoreBankroll();
    if (fileLog.IsOpen()) {
        fileLog.WriteEndLine();
        fileLog.Close();
    }
    SetLog(nullptr);
}

bool CTarnwickApp::InitInstance(const std::function<void()>& runSessionWindow) {
    if (fileLog.IsOpen()) {
        fileLog.WriteRunHeader(strExePath);
        fileLog.WriteRaw(L"Files in: " + strDataDir + L"\n");
    }
    LoadProfileSettings();
    LoadRooms();
    if (runSessionWindow)
        runSessionWindow();
    return false;
}

int CTarnwickApp::CheckVersion() {
    return fnVersionNotice ? fnVersionNotice(*this) : 0;
}

int CTarnwickApp::ShowTimedMessage(const std::wstring& text, const std::wstring& caption) {
    if (!pMessages)
        return kIdNone;
    return pMessages->MessageBoxTimeout(text, caption, kMbTimedInfoStyle, kTimedMessageMs);
}

int CTarnwickApp::ReplayHistoryFile(const std::wstring& path, const std::wstring& roomName) {
    std::lock_guard<std::recursive_mutex> lock(csHistory);
    const CPokerRoom* room = FindRoom(roomName);
    if (!room)
        return EINVAL;
    const std::wstring nickname = room->strNickname;
    const RoomNumber roomNumber = room->nRoomNumber;

    mapFileTest[path] = 0;
    strCurrentHistoryFile = path;
    std::vector<std::wstring> pending;

    auto process = [&](std::vector<std::wstring>& batch) {
        if (batch.empty())
            return;
        RoomNumber r = roomNumber;
        double smallBlind = 0, bigBlind = 0, batchMoney = 0;
        int currency = 0, batchHands = 0;
        MakeMoneyData(batch, r, nickname, smallBlind, bigBlind, currency, batchMoney, batchHands);
    };

    for (;;) {
        std::int64_t& pos = mapFileTest[path];
        const std::int64_t before = pos;
        std::vector<std::wstring> lines;
        int rc = ReadHistoryFileEx(path, pos, lines, kHistoryReadChunk, &fileLog, true);
        if (rc != 0) {
            strCurrentHistoryFile.clear();
            return rc;
        }
        const std::int64_t size = HistoryFileSize(path);
        const bool atEnd = pos == before || size < 0 || pos >= size;
        pending.insert(pending.end(), std::make_move_iterator(lines.begin()),
                       std::make_move_iterator(lines.end()));
        if (atEnd) {
            process(pending);
            break;
        }
        // Process what ends before the last hand start; that hand waits for
        // the next read, which may hold its rest.
        std::size_t tail = UnfinishedTailStart(pending, roomNumber);
        if (tail == 0 && pending.size() < kMaxPendingLines)
            continue;
        if (tail == 0)
            tail = pending.size();
        std::vector<std::wstring> rest(
            std::make_move_iterator(pending.begin() + static_cast<std::ptrdiff_t>(tail)),
            std::make_move_iterator(pending.end()));
        pending.resize(tail);
        process(pending);
        pending = std::move(rest);
    }
    strCurrentHistoryFile.clear();
    return 0;
}

} // namespace tw
