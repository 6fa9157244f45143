// Downloading one file over HTTP(S) with Qt Network, synchronously.
#pragma once

#include "update/VersionNotice.h"

namespace tw {

class CQtInternetFile : public IInternetFile {
public:
    // Runs a local event loop until the transfer ends or a limit is reached.
    // Only http and https addresses are fetched; redirects are followed only
    // to equally safe addresses. The file is written under a temporary name
    // and renamed when complete.
    bool GetInternetFile(const std::wstring& url, const std::wstring& localPath,
                         const DownloadLimits& limits) override;
};

} // namespace tw
