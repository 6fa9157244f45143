#include "session/AlarmSettings.h"

#include "support/TextUtil.h"

#include <filesystem>

namespace tw {

void CAlarmSound::Set(const std::wstring& path) {
    strPath = path;
    std::error_code ec;
    bFileExists =
        !path.empty() && std::filesystem::is_regular_file(std::filesystem::path(ToUtf8(path)), ec);
}

std::wstring AlarmTimeText(int minutes) {
    return Format(L"%02d:%02d", minutes / 60, minutes % 60);
}

} // namespace tw
