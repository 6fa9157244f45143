#include "app/WorkLog.h"

#include "support/SupportLib.h"
#include "support/TextUtil.h"

#include <filesystem>

namespace tw {

bool CWorkLog::OpenLog(const std::wstring& execDir) {
    Close();
    strPath = execDir + L"/" + kFileName;
    fileLog.SetCodePage(65001);
    std::error_code ec;
    bool exists = std::filesystem::exists(std::filesystem::path(ToUtf8(strPath)), ec);
    bool ok;
    if (!exists) {
        ok = fileLog.Open(strPath, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite |
                                       CStdioFileEx::shareDenyNone);
    } else {
        TrimLogFile(strPath, 80000, 200000);
        ok = fileLog.Open(strPath, CStdioFileEx::modeWrite | CStdioFileEx::modeNoTruncate |
                                       CStdioFileEx::shareDenyNone);
        if (ok)
            fileLog.SeekToEnd();
    }
    bLogOpen = ok ? 1 : 0;
    return ok;
}

std::wstring CWorkLog::TimeText(const char* format) const {
    std::time_t t = fnClock ? fnClock() : std::time(nullptr);
    std::tm tmv{};
    if (!localtime_r(&t, &tmv))
        return {};
    char buf[128];
    std::size_t n = std::strftime(buf, sizeof buf, format, &tmv);
    return n == 0 ? std::wstring() : FromUtf8(std::string(buf, n));
}

void CWorkLog::WriteLogLine(const std::wstring& text) {
    if (!bLogOpen)
        return;
    fileLog.WriteString(TimeText("%d.%m.%Y  %H:%M:%S  "));
    fileLog.WriteString(text);
    fileLog.WriteString(L"\n");
    fileLog.Flush();
}

void CWorkLog::WriteRaw(const std::wstring& text) {
    if (!bLogOpen)
        return;
    fileLog.WriteString(text);
    fileLog.Flush();
}

void CWorkLog::WriteBanner(const std::wstring& created, const std::wstring& version) {
    WriteRaw(L"\n" + std::wstring(59, L'-') + L"\n");
    WriteRaw(Format(L"\n%ls\nVersion number: %ls\n", created.c_str(), version.c_str()));
}

void CWorkLog::WriteRunHeader(const std::wstring& exePath) {
    WriteRaw(TimeText("%d.%m.%Y  %H:%M:%S") + L"\n");
    WriteRaw(exePath + L"\n");
}

void CWorkLog::WriteEndLine() {
    WriteRaw(L"\n------------- End of work ---------------------------------------------\n");
}

void CWorkLog::Close() {
    fileLog.Close();
    bLogOpen = 0;
}

} // namespace tw
