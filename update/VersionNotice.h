// The version notice: once per run, the version list published for the
// program is compared with the running version, and a newer version can be
// downloaded into the program's folder.
#pragma once

#include <cstdint>
#include <string>

namespace tw {

class CTarnwickApp;

// How long and how much a download may take.
struct DownloadLimits {
    int nTotalMs = 5000;                // the whole transfer
    int nIdleMs = 5000;                 // without a byte arriving
    std::int64_t nMaxBytes = 64 * 1024; // larger answers are refused
};

class IInternetFile {
public:
    virtual ~IInternetFile() = default;
    // Saves the resource at `url` as `localPath`. True only when the whole
    // resource arrived with a success status and was saved; otherwise no
    // file is left at `localPath`.
    virtual bool GetInternetFile(const std::wstring& url, const std::wstring& localPath,
                                 const DownloadLimits& limits) = 0;
};

// Addresses and texts of the notice, for one language variant.
struct NoticeTexts {
    std::wstring strListUrl;     // the version list
    std::wstring strSection;     // its section holding "date" and "version"
    std::wstring strNewUrl;      // the new version's file
    std::wstring strNewFileName; // the name it is saved under
    std::wstring strAskText, strAskCaption;
    std::wstring strFailedText, strFailedCaption;
    std::wstring strDoneText, strDoneCaption;
};

// The running program's addresses and texts (stored enciphered), in the
// Russian variant or the one for every other language.
NoticeTexts ProgramNoticeTexts(bool russian);

// Turns a run of stored numbers, one per character, back into text
// (scripts/encipher-text makes the runs).
std::wstring Decipher(const std::int64_t* codes, std::size_t count);

// Whether a published list entry names a version newer than the running one
// (3.1 of 26.02.2021): a higher major, or the same major and a higher minor,
// or the same version published on a later day. A date that is not
// "d.m.yyyy" (a real day from 1970 on) or a version that is not "major.minor"
// means not newer.
bool IsPublishedNewer(const std::wstring& date, const std::wstring& version);

// CheckVersion's results.
enum : int {
    kNoticeNotNewer = 0,  // also: the list or the download failed
    kNoticeDeclined = 1,  // newer, but the user did not ask for it
    kNoticeDownloaded = 2 // newer, and saved into the program's folder
};

// Downloads the version list ("ToolList.txt" in the program's folder, removed
// again in every case), compares it with the running version, asks whether
// to download a newer one (a message that closes itself after 20 s and then
// counts as No) and reports the download. Writes its "VerComparison" lines to
// the work log.
int CheckVersion(CTarnwickApp& app, IInternetFile& internet, const NoticeTexts& texts);

} // namespace tw
