// Support operations: the executable's folder, log trimming, XML element
// content lookup and the remainder helper of the version notice.
#pragma once

#include <cstdint>
#include <string>

namespace tw {

// Folder of the running executable, without a trailing separator.
std::wstring GetExecDir();
// Full path of the running executable; empty when it cannot be found.
std::wstring GetExecPath();

// Keeps a log file small: when it is larger than `maxSize` bytes, only about
// its last `keepSize` bytes remain, cut at the start of a line. Returns false
// when the file exists but could not be trimmed.
bool TrimLogFile(const std::wstring& path, std::uint64_t keepSize, std::uint64_t maxSize);

// The content between the first start tag of `element` and its end tag, inner
// markup kept verbatim; empty when the element is absent or not closed.
std::wstring GetDataFromXML(const std::wstring& xml, const std::wstring& element);

// The remainder of a divided by b (0 when b is 0).
std::int64_t mod_SSE2(std::int64_t a, std::int64_t b);

} // namespace tw
