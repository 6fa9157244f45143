// The work log as the lower layers see it: one call that appends a line.
#pragma once

#include <string>

namespace tw {

class ILogSink {
public:
    virtual ~ILogSink() = default;
    // Appends one time-stamped line (the text without its line end).
    virtual void WriteLogLine(const std::wstring& text) = 0;
};

} // namespace tw
