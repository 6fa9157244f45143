// The application object: owns the session model, the work log, the
// settings and the operations that turn history text into totals. Plain C++;
// the user interface reaches it from above, and the pieces of start-up that
// need the platform (profile store, message boxes, the version notice) are
// handed to it.
#pragma once

#include "app/Profile.h"
#include "app/UserMessages.h"
#include "app/ViewSettings.h"
#include "app/WorkLog.h"
#include "model/SessionModel.h"
#include "reading/HistoryFileReader.h"
#include "session/SessionAlarms.h"
#include "support/HistoryFile.h"

#include <functional>
#include <string>
#include <vector>

namespace tw {

class CTarnwickApp;

// One row of the settings dialog's room list: what the rooms file is saved
// from, in row order.
struct RoomRow {
    std::wstring strName;
    bool bActive = true;
};

// Its settings are three values, each read and set whole: the alarms
// (Alarms/SetAlarms, from CSessionAlarms, which also keeps where they stand
// in the run), the session window's look (View/SetView) and the currency
// rates (Rates/SetRates, from CSessionModel).
class CTarnwickApp : public CSessionModel, public CSessionAlarms {
public:
    struct Options {
        std::wstring strExecDir; // empty: the executable's folder
        // Folder of the work log, "Tarnwick.ini" and "Settings.xml"; empty:
        // strExecDir.
        std::wstring strDataDir;
        // The executable named in the log's run header; empty: this process's.
        std::wstring strExePath;
        bool bOpenLog = true; // false: run without a work log
        // false: leave the settings file alone (no debug switch, no bankroll
        // read at start or stored at exit), for tools that count from zero.
        bool bLoadSettingsFile = true;
        bool bRussianLocale = false;
        CWorkLog::Clock clock; // the log's clock; empty: system time
        IUserMessages* pMessages = nullptr;
        // The version notice, run once at the end of construction.
        std::function<int(CTarnwickApp&)> fnVersionNotice;
    };

    CTarnwickApp();
    explicit CTarnwickApp(const Options& options);
    ~CTarnwickApp() override;

    std::wstring strExecDir;
    std::wstring strDataDir; // where the program's files lie
    std::wstring strExePath;
    std::wstring strVersion;
    std::wstring strCreated;
    int bRussianLocale = 0;
    CWorkLog fileLog;

    int bLogOpen() const { return fileLog.IsOpen() ? 1 : 0; }
    void WriteLogLine(const std::wstring& text) { fileLog.WriteLogLine(text); }

    static constexpr const wchar_t* kSettingsFileName = L"Tarnwick.ini";
    static constexpr const wchar_t* kRoomsFileName = L"Settings.xml";
    std::wstring SettingsFilePath() const { return strDataDir + L"/" + kSettingsFileName; }
    std::wstring RoomsFilePath() const { return strDataDir + L"/" + kRoomsFileName; }

    // Start-up after construction: the run header of the log, the profile
    // settings and the rooms file; then `runSessionWindow`, which returns when
    // the window is closed. Returns false: the program ends afterwards.
    bool InitInstance(const std::function<void()>& runSessionWindow = {});

    // --- Settings file "Tarnwick.ini" (read during construction): the debug
    // switch, bankroll mode and the message switches of the hands and time
    // alarms ---
    int bBankroll = 0; // bankroll mode: the money total is kept across runs

    void LoadSettingsFile();
    // Stores dTotalMoney as the bankroll total; false (and a log line) when
    // it could not be written.
    bool StoreBankroll();
    // Stores the hands and time alarms' message switches in the settings
    // file, where they are read from; false (and a log line) on failure.
    bool StoreAlarmMessageSwitches();

    // --- Application profile ---
    // The store the profile operations use; null: an empty in-memory profile.
    void SetProfileStore(IProfileStore* store) { pProfile = store ? store : &memProfile; }
    int GetProfileInt(const std::wstring& section, const std::wstring& key, int def);
    std::wstring GetProfileString(const std::wstring& section, const std::wstring& key,
                                  const std::wstring& def);
    bool WriteProfileInt(const std::wstring& section, const std::wstring& key, int value);
    bool WriteProfileString(const std::wstring& section, const std::wstring& key,
                            const std::wstring& value);

    // Reads every option of the profile into the alarms, the view and the
    // rates; missing or malformed values give defaults.
    void LoadProfileSettings();
    // Writes every option back (all keys but the window position), in the
    // order the settings dialog saves them. False when a write failed.
    bool SaveProfileSettings();
    // Reads the money alarms and resets their levels, the peaks and the
    // big-blind total.
    void LoadMoneyAlarms();
    // Reads the warnings, the lock, the day limits and the break reminder
    // (section "Limits") into `alarms`.
    void LoadLimitSettings(AlarmSettings& alarms);

    // --- The session window's look ---
    const ViewSettings& View() const { return view; }
    void SetView(const ViewSettings& settings) { view = settings; }

    // --- Rooms file "Settings.xml" ---
    // Writes the rooms of `rows`, in that order, with each row's active flag
    // (which also becomes the room's bActive). On failure the old file stays,
    // the user is told and false is returned.
    bool SaveRooms(const std::vector<RoomRow>& rows);
    // Loads the configured rooms and their names' in-use marks from the rooms
    // file (each room marked with its number). False when the file does not
    // exist. Control characters in the file are dropped (and logged); a file
    // that is not well-formed XML is read by its fixed tags, with its
    // character references decoded all the same.
    bool LoadRooms();
    // The rooms file's text for `rows` (sets each room's bActive and drops
    // control characters from its nickname and folder, with a log line).
    std::wstring RoomsFileText(const std::vector<RoomRow>& rows);

    // --- Messages and the version notice ---
    void SetUserMessages(IUserMessages* messages) { pMessages = messages; }
    IUserMessages* UserMessages() const { return pMessages; }
    // The timed information box of the alarms (closes after 20 s). kIdNone
    // when no box can be shown.
    int ShowTimedMessage(const std::wstring& text, const std::wstring& caption);
    // An alarm's message: a notice that closes itself after 20 s and holds
    // nothing up meanwhile (see IUserMessages::ShowNotice). False when none
    // could be shown.
    bool ShowAlarmMessage(const std::wstring& text, const std::wstring& caption,
                          bool takeFocus = false);
    // Runs the version notice given at construction; 0 without one.
    int CheckVersion();

    // Reads a whole history file of the configured room `roomName` from its
    // start through the history file handler, as if the file had just been
    // added to the room's folder and written: a file-table entry at position
    // 0, reads of complete lines, hand splitting, and at the end the last
    // hand too. An iPoker file counts only when its <general> section is for
    // real money. A bare file name is a file of the current folder. Returns 0
    // when the whole file was read, else the read's error (see
    // ReadHistoryFileEx: a folder, FIFO or device is never read); an unknown
    // room gives EINVAL.
    int ReplayHistoryFile(const std::wstring& path, const std::wstring& roomName);

    // Most bytes one read of ReplayHistoryFile takes.
    std::size_t nReplayChunkBytes = kHistoryReadChunk;

    // Turns the file events of the watched folders into counted hands.
    CHistoryFileReader historyReader{*this};

private:
    void Construct(const Options& options);

    ViewSettings view;
    CMemoryProfile memProfile;
    IProfileStore* pProfile = &memProfile;
    IUserMessages* pMessages = nullptr;
    std::function<int(CTarnwickApp&)> fnVersionNotice;
};

} // namespace tw
