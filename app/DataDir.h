// Where the program keeps its files (work log, settings file, rooms file).
#pragma once

#include <string>

namespace tw {

// True when a file can be created in `dir` (tried with a scratch file that is
// removed again).
bool IsFolderWritable(const std::wstring& dir);

// True when `execDir` is the bin/ folder of an installation: the program's
// desktop entry lies in ../share/applications/ beside it.
bool IsInstalledProgram(const std::wstring& execDir);

// The executable's folder when files can be written there and the program
// is not installed (a build or a copy of its own); otherwise `fallbackDir`
// (the user's application-data folder), created when missing. An installed
// program never writes beside itself, even run by a user who may write
// there. When neither can be written to, the executable's folder: the
// program then runs without its files, as it would with a read-only log.
std::wstring ChooseDataDir(const std::wstring& execDir, const std::wstring& fallbackDir);

} // namespace tw
