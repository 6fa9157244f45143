#include "update/VersionNotice.h"

#include "app/TarnwickApp.h"
#include "support/Ini.h"
#include "support/TextUtil.h"

#include <boost/regex.hpp>
#include <filesystem>
#include <tuple>

namespace tw {

namespace {

// The running version and the day it was built.
constexpr int kOwnMajor = 3;
constexpr int kOwnMinor = 1;
const wchar_t* const kOwnDate = L"26.02.2021";

const wchar_t* const kListFileName = L"ToolList.txt";

// The version list is small; the new version may be large but must keep
// arriving.
const DownloadLimits kListLimits{5000, 5000, 64 * 1024};
const DownloadLimits kNewVersionLimits{10 * 60 * 1000, 5000, std::int64_t(512) << 20};

using Day = std::tuple<int, int, int>; // year, month, day

// A group of decimal digits as an int; false when it does not fit.
bool GroupInt(const boost::wsmatch& m, int group, int& value) {
    const std::wstring digits = m[group].str();
    if (digits.empty() || digits.size() > 9)
        return false;
    int v = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9')
            return false;
        v = v * 10 + (c - L'0');
    }
    value = v;
    return true;
}

bool ParseDay(const std::wstring& text, Day& day) {
    static const boost::wregex pattern(L"([0-9]{1,2}).([0-9]{1,2}).([0-9]{4})");
    boost::wsmatch m;
    const std::wstring t = Trim(text);
    if (!boost::regex_match(t, m, pattern))
        return false;
    int d = 0, mo = 0, y = 0;
    if (!GroupInt(m, 1, d) || !GroupInt(m, 2, mo) || !GroupInt(m, 3, y))
        return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1970 || mo < 1 || mo > 12 || d < 1)
        return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    const int days = kDays[mo - 1] + (mo == 2 && leap ? 1 : 0);
    if (d > days)
        return false;
    day = {y, mo, d};
    return true;
}

bool ParseVersion(const std::wstring& text, int& major, int& minor) {
    static const boost::wregex pattern(L"(\\d+).(\\d+)");
    boost::wsmatch m;
    const std::wstring t = Trim(text);
    return boost::regex_match(t, m, pattern) && GroupInt(m, 1, major) && GroupInt(m, 2, minor);
}

void RemoveFile(const std::wstring& path) {
    std::error_code ec;
    std::filesystem::remove(std::filesystem::path(ToUtf8(path)), ec);
}

} // namespace

bool IsPublishedNewer(const std::wstring& date, const std::wstring& version) {
    Day published, own;
    int major = 0, minor = 0;
    if (!ParseDay(date, published) || !ParseDay(kOwnDate, own) ||
        !ParseVersion(version, major, minor))
        return false;
    if (major != kOwnMajor)
        return major > kOwnMajor;
    if (minor != kOwnMinor)
        return minor > kOwnMinor;
    return published > own;
}

int CheckVersion(CTarnwickApp& app, IInternetFile& internet, const NoticeTexts& texts) {
    app.WriteLogLine(Format(L"VerComparison: %d", app.bRussianLocale));

    const std::wstring listPath = app.strDataDir + L"/" + kListFileName;
    RemoveFile(listPath); // never read a list left over from an earlier run
    if (!internet.GetInternetFile(texts.strListUrl, listPath, kListLimits)) {
        RemoveFile(listPath);
        app.WriteLogLine(L"VerComparison: FAILED");
        return kNoticeNotNewer;
    }
    app.WriteLogLine(L"VerComparison: S_OK");
    std::wstring date, version;
    {
        CIni list(listPath);
        date = list.ReadText(texts.strSection.c_str(), L"date", L"");
        version = list.ReadText(texts.strSection.c_str(), L"version", L"");
    }
    RemoveFile(listPath);

    const bool newer = IsPublishedNewer(date, version);
    app.WriteLogLine(Format(L"VerComparison: k = %d", newer ? 1 : 0));
    if (!newer) {
        app.WriteLogLine(Format(L"VerComparison: return %d", kNoticeNotNewer));
        return kNoticeNotNewer;
    }

    IUserMessages* messages = app.UserMessages();
    const int answer = messages
                           ? messages->MessageBoxTimeout(texts.strAskText, texts.strAskCaption,
                                                         kMbTimedQuestionStyle, kTimedMessageMs)
                           : kIdNone;
    if (answer != kIdYes) {
        app.WriteLogLine(Format(L"VerComparison: return %d", kNoticeDeclined));
        return kNoticeDeclined;
    }

    app.WriteLogLine(L"VerComparison: New");
    const std::wstring newPath = app.strDataDir + L"/" + texts.strNewFileName;
    if (!internet.GetInternetFile(texts.strNewUrl, newPath, kNewVersionLimits)) {
        app.WriteLogLine(L"VerComparison: FAILED");
        if (messages)
            messages->MessageBoxTimeout(texts.strFailedText, texts.strFailedCaption,
                                        kMbTimedInfoStyle, kTimedMessageMs);
        return kNoticeNotNewer;
    }
    app.WriteLogLine(L"VerComparison: S_OK");
    if (messages)
        messages->MessageBoxTimeout(texts.strDoneText + L"\n" + newPath, texts.strDoneCaption,
                                    kMbTimedInfoStyle, kTimedMessageMs);
    app.WriteLogLine(Format(L"VerComparison: return %d", kNoticeDownloaded));
    return kNoticeDownloaded;
}

} // namespace tw
