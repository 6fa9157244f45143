#include "app/DataDir.h"

#include "app/DesktopId.h"
#include "support/TextUtil.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace tw {

bool IsFolderWritable(const std::wstring& dir) {
    if (dir.empty())
        return false;
    std::string pattern = ToUtf8(dir) + "/.tarnwick-write-test-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(name.data());
    return true;
}

bool IsInstalledProgram(const std::wstring& execDir) {
    const std::filesystem::path bin(ToUtf8(execDir));
    if (execDir.empty() || bin.filename() != "bin")
        return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(
        bin.parent_path() / "share" / "applications" / (ToUtf8(kDesktopId) + ".desktop"), ec);
}

std::wstring ChooseDataDir(const std::wstring& execDir, const std::wstring& fallbackDir) {
    if ((IsFolderWritable(execDir) && !IsInstalledProgram(execDir)) || fallbackDir.empty())
        return execDir;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(ToUtf8(fallbackDir)), ec);
    return IsFolderWritable(fallbackDir) ? fallbackDir : execDir;
}

} // namespace tw
