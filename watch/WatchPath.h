// Path pieces the folder watcher needs: the separator it reports paths with,
// joining a folder and a name, and the key that identifies a watched folder.
#pragma once

#include <string>
#include <string_view>

namespace tw {

#ifdef _WIN32
inline constexpr wchar_t kWatchPathSeparator = L'\\';
inline bool IsWatchPathSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}
#else
inline constexpr wchar_t kWatchPathSeparator = L'/';
inline bool IsWatchPathSeparator(wchar_t c) {
    return c == L'/';
}
#endif

inline bool EndsWithSeparator(std::wstring_view folder) {
    return !folder.empty() && IsWatchPathSeparator(folder.back());
}

// The folder, a separator unless the folder already ends with one, and the name.
inline std::wstring JoinWatchPath(std::wstring_view folder, std::wstring_view name) {
    std::wstring path(folder);
    if (!EndsWithSeparator(folder))
        path += kWatchPathSeparator;
    path += name;
    return path;
}

// Two spellings of one folder that differ only in trailing separators name the
// same watch. Folder names are compared exactly: Linux file names are
// case-sensitive, so "Hands" and "hands" are two folders.
inline std::wstring WatchedFolderKey(std::wstring_view folder) {
    std::size_t n = folder.size();
    while (n > 1 && IsWatchPathSeparator(folder[n - 1]))
        --n;
    return std::wstring(folder.substr(0, n));
}

} // namespace tw
