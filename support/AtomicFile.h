// Replacing a file whole, so that a crash or a full disk never leaves it half
// written: the bytes go to a temporary file in the same folder, which is then
// renamed over the old one.
#pragma once

#include <string>
#include <string_view>

namespace tw {

// Writes `bytes` as the new content of `path`. Returns 0, or the errno value
// of the step that failed; the old file is then untouched and no temporary
// file is left behind. A new file takes the mode of the file it replaces.
int WriteFileAtomic(const std::wstring& path, std::string_view bytes);

} // namespace tw
