// Helpers shared by the tests: temporary folders and files, configured rooms,
// changed settings.
#pragma once

#include "model/SessionModel.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace twtest {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        auto base = std::filesystem::temp_directory_path();
        for (int i = 0; i < 100; ++i) {
            path_ = base / ("tarnwick-test-" + std::to_string(rd()));
            if (std::filesystem::create_directory(path_))
                return;
        }
        throw std::runtime_error("no temporary folder");
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// The local time zone (a TZ value, "UTC0") set for the life of the object.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* tz) {
        if (const char* old = std::getenv("TZ"))
            strOld = old, bHadOld = true;
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (bHadOld)
            ::setenv("TZ", strOld.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::string strOld;
    bool bHadOld = false;
};

// `settings` with `change` made to it. Settings are values set whole, so a
// test changes a field as the program does: a copy, changed, set back.
template <class T, class F> T Changed(T settings, F change) {
    change(settings);
    return settings;
}

// The alarms or the view of `app` (the application or the session's alarms)
// with `change` made to them, set whole.
template <class App, class F> void ChangeAlarms(App& app, F change) {
    app.SetAlarms(Changed(app.Alarms(), change));
}
template <class App, class F> void ChangeView(App& app, F change) {
    app.SetView(Changed(app.View(), change));
}

inline void WriteBytes(const std::string& path, const std::string& bytes, bool append = false) {
    std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What a test configures of a room; the rest is as the rooms file leaves it.
struct RoomSetup {
    std::wstring strNickname;
    std::wstring strFolder{}; // empty: the room has no history folder
    double dRate = 1.0;
    bool bActive = true;
};

// Configures the room `name` as loading the rooms file does: numbered by its
// name and marked in use with that number. Replaces an earlier record.
inline void AddRoom(tw::CSessionModel& model, const std::wstring& name, const RoomSetup& setup) {
    tw::CPokerRoom room;
    room.nRoomNumber = tw::RoomNumberFromName(name);
    room.strNickname = setup.strNickname;
    room.strHistoryPath = setup.strFolder;
    room.dExchangeRate = setup.dRate;
    room.bActive = setup.bActive;
    model.SetRoom(name, room, room.nRoomNumber);
}

} // namespace twtest
