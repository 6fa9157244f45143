// Reading the lines a poker client has appended to a history file since the
// last read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tw {

class ILogSink;

enum class TextEncoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Cp1252 };

// The default most bytes one call reads (a little more when a single line is
// longer). Callers that want the whole rest of the file pass 0.
inline constexpr std::size_t kHistoryReadChunk = 4u << 20;
// A line longer than this is skipped whole (the position moves past it), so a
// file without line ends can never make the reader hold it all in memory.
inline constexpr std::size_t kHistoryMaxLine = 16u << 20;

// The result for a FIFO, socket or device: opening or reading one can block
// without end, so such a file is never read (and never opened for reading).
inline constexpr int kHistoryNotAFile = -1;

// Reads the complete lines (ended by LF or CRLF) from byte offset `pos` on and
// appends them, without line ends and NUL characters, to `lines`. `pos` moves
// to just after the last complete line, so a line still being written is read
// next time. A file now shorter than `pos` was truncated or replaced: it is
// read again from 0 and a line goes to `log`.
//
// The text is decoded per file: UTF-8 with BOM, UTF-16 LE/BE with BOM, else
// UTF-8 when the bytes are valid UTF-8, else Windows-1252. A read that starts
// in the middle of a file decodes it the same way as its start would be.
//
// At most `maxBytes` bytes are read (0: no limit); call again while the
// position is short of the file's size. With `takeUnendedLast` a last line
// without a line end counts as complete too (a file read as a whole, not one
// still being written). Returns 0, an errno value (EISDIR for a folder), or
// kHistoryNotAFile; it never blocks, whatever the file is.
int ReadHistoryFileEx(const std::wstring& path, std::int64_t& pos, std::vector<std::wstring>& lines,
                      std::size_t maxBytes = kHistoryReadChunk, ILogSink* log = nullptr,
                      bool takeUnendedLast = false);

// The size of a file in bytes, or -1 when it cannot be read.
std::int64_t HistoryFileSize(const std::wstring& path);

// Opens `path` the way ReadHistoryFileEx does and closes it again: 0 when it
// is a regular file that may be read, else the error a read would return.
int CheckHistoryFile(const std::wstring& path);

// What a result of ReadHistoryFileEx or CheckHistoryFile means, in words.
std::wstring HistoryFileErrorText(int rc);

} // namespace tw
