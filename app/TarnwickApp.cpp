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

    ClearRooms();
    dTotalMoney = 0;
    dTotalBB = 0;
    if (options.bLoadSettingsFile)
        LoadSettingsFile();
    alarmState.dPeakMoney = dTotalMoney;
    alarmState.dPeakBB = dTotalBB;
    WriteLogLine(Format(L"AlarmMessage: Hand=%d  Time=%d Debug = %d\n", Alarms().bHandMessage,
                        Alarms().bTimeMessage, bDebug));

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

bool CTarnwickApp::ShowAlarmMessage(const std::wstring& text, const std::wstring& caption,
                                    bool takeFocus) {
    return pMessages && pMessages->ShowNotice(text, caption, kTimedMessageMs, takeFocus);
}

int CTarnwickApp::ReplayHistoryFile(const std::wstring& path, const std::wstring& roomName) {
    auto lock = LockHistory();
    const CPokerRoom* room = FindRoom(roomName);
    if (!room)
        return EINVAL;
    // The reader finds a file's room by its folder: a bare name is "./name".
    const std::size_t slash = path.find_last_of(L"/\\");
    const std::wstring file = slash == std::wstring::npos ? L"./" + path : path;
    if (const int rc = CheckHistoryFile(file); rc != 0)
        return rc;
    // The room's folder is the file's own for the time of the replay.
    const CPokerRoom saved = *room;
    CPokerRoom replayed = saved;
    replayed.strHistoryPath = slash == std::wstring::npos ? L"." : path.substr(0, slash);
    replayed.bActive = true;
    if (replayed.strHistoryPath.empty())
        replayed.strHistoryPath = L"/";
    SetRoom(roomName, replayed);

    historyReader.nReadChunk = nReplayChunkBytes;
    historyReader.bTakeUnendedLast = true;
    historyReader.FileAdded(file);
    historyReader.FileModified(file);
    historyReader.FlushAll();
    historyReader.bTakeUnendedLast = false;
    historyReader.nReadChunk = kHistoryReadChunk;
    SetRoom(roomName, saved);
    return historyReader.ReadError(file);
}

} // namespace tw
