// Starting the program with the desktop session: a desktop entry in the
// user's autostart folder ($XDG_CONFIG_HOME/autostart, by default
// ~/.config/autostart). Whether the entry is there is the whole setting.
#pragma once

#include <string>

namespace tw {

// The entry's path; empty when neither XDG_CONFIG_HOME nor HOME names a
// folder.
std::wstring AutostartFilePath();

// True when the entry exists.
bool IsAutostartOn();

// Writes the entry, starting `execPath` (on), or removes it (off). Returns an
// empty text when done, else what went wrong, for the user. The entry is
// written to a temporary file beside it and renamed into place, so the
// folder never holds a half-written entry; an entry already absent (off) is
// no failure.
std::wstring SetAutostart(bool on, const std::wstring& execPath);

} // namespace tw
