// Where the program keeps its files (work log, settings file, rooms file).
#pragma once

#include <string>

namespace tw {

// True when a file can be created in `dir` (tried with a scratch file that is
// removed again).
bool IsFolderWritable(const std::wstring& dir);

// The executable's folder when files can be written there; otherwise
// `fallbackDir` (the user's application-data folder), created when missing.
// When neither can be written to, the executable's folder: the program then
// runs without its files, as it would with a read-only log.
std::wstring ChooseDataDir(const std::wstring& execDir, const std::wstring& fallbackDir);

} // namespace tw
