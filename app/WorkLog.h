// The work log "Tarnwick.log": a UTF-8 text file that every run appends to,
// with time-stamped lines flushed as they are written.
#pragma once

#include "support/LogSink.h"
#include "support/StdioFileEx.h"

#include <ctime>
#include <functional>
#include <string>

namespace tw {

class CWorkLog : public ILogSink {
public:
    using Clock = std::function<std::time_t()>;

    // Trims a log over 200 000 bytes to about its last 80 000 and opens it
    // for appending (creating it when missing). False when it cannot be
    // opened; the log then stays closed and nothing is ever written.
    bool OpenLog(const std::wstring& execDir);
    bool IsOpen() const { return bLogOpen != 0; }
    const std::wstring& Path() const { return strPath; }

    // "<d.m.Y  H:M:S>  text\n", flushed at once; nothing while closed.
    void WriteLogLine(const std::wstring& text) override;
    // Text written as it is, without a time prefix.
    void WriteRaw(const std::wstring& text);

    void WriteBanner(const std::wstring& created, const std::wstring& version);
    // The run header: the local time and the executable's path, one line each.
    void WriteRunHeader(const std::wstring& exePath);
    void WriteEndLine();
    void Close();

    // Tests set the clock; by default the system time.
    void SetClock(Clock clock) { fnClock = std::move(clock); }

    static constexpr const wchar_t* kFileName = L"Tarnwick.log";

private:
    std::wstring TimeText(const char* format) const;

    CStdioFileEx fileLog;
    int bLogOpen = 0;
    std::wstring strPath;
    Clock fnClock;
};

} // namespace tw
