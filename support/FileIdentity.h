// Which file or folder a path names: a file deleted and made anew under the
// same name is another file, even where the system gives it the old number.
#pragma once

#include <cstdint>
#include <string>

namespace tw {

struct FileIdentity {
    std::uint64_t nDevice = 0, nInode = 0;
    std::int64_t nBirth = 0; // creation time in ns; 0 where unknown
    bool operator==(const FileIdentity&) const = default;
    // The same file, on a drive that may have been mounted again under
    // another device number: with a known birth time the device is not
    // compared.
    bool SameAcrossMounts(const FileIdentity& other) const {
        if (nBirth != 0 && other.nBirth != 0)
            return nInode == other.nInode && nBirth == other.nBirth;
        return *this == other;
    }
};

// The identity of what `path` names, links followed. 0, or the system's
// error number; `isFolder` (when given) tells whether it is a folder.
int ReadFileIdentity(const std::wstring& path, FileIdentity& id, bool* isFolder = nullptr);

} // namespace tw
