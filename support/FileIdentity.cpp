#include "support/FileIdentity.h"

#include "support/TextUtil.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace tw {

int ReadFileIdentity(const std::wstring& path, FileIdentity& id, bool* isFolder) {
    struct statx sx {};
    if (::statx(AT_FDCWD, ToUtf8(path).c_str(), 0, STATX_TYPE | STATX_INO | STATX_BTIME, &sx) != 0)
        return errno;
    id.nDevice = (static_cast<std::uint64_t>(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
    id.nInode = sx.stx_ino;
    id.nBirth =
        (sx.stx_mask & STATX_BTIME)
            ? static_cast<std::int64_t>(sx.stx_btime.tv_sec) * 1000000000 + sx.stx_btime.tv_nsec
            : 0;
    if (isFolder)
        *isFolder = S_ISDIR(sx.stx_mode);
    return 0;
}

} // namespace tw
