#include "support/HistoryFile.h"

#include "support/LogSink.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

class CFd {
public:
    explicit CFd(int fd) : fd_(fd) {}
    ~CFd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Reads exactly `len` bytes at `off` unless the file ends first; returns the
// number read, or -1 with errno set.
ssize_t PreadAll(int fd, char* buf, std::size_t len, std::int64_t off) {
    std::size_t done = 0;
    while (done < len) {
        ssize_t n = ::pread(fd, buf + done, len - done, static_cast<off_t>(off + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

int FileTypeError(mode_t mode) {
    if (S_ISREG(mode))
        return 0;
    return S_ISDIR(mode) ? EISDIR : kHistoryNotAFile;
}

// Opens a history file for reading without ever blocking: its type is checked
// before the open, so that a FIFO or a device is not opened at all, and again
// on the open file, in case another file took the name in between (the open
// does not wait for a FIFO's writer). `fd` is set whenever the open succeeded.
int OpenHistoryFile(const std::wstring& path, int& fd, struct stat& st) {
    fd = -1;
    const std::string native = ToUtf8(path);
    if (::stat(native.c_str(), &st) != 0)
        return errno;
    if (const int rc = FileTypeError(st.st_mode); rc != 0)
        return rc;
    fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return errno;
    if (::fstat(fd, &st) != 0)
        return errno;
    return FileTypeError(st.st_mode);
}

constexpr std::size_t kHeadCheck = 64u << 10;

bool IsUtf16(TextEncoding e) {
    return e == TextEncoding::Utf16Le || e == TextEncoding::Utf16Be;
}

// Position of the last line feed in `buf` (the index of its last byte), or npos.
std::size_t LastLineEnd(const std::string& buf, TextEncoding enc) {
    if (!IsUtf16(enc)) {
        return buf.rfind('\n');
    }
    std::size_t units = buf.size() / 2;
    for (std::size_t u = units; u-- > 0;) {
        unsigned char a = static_cast<unsigned char>(buf[2 * u]);
        unsigned char b = static_cast<unsigned char>(buf[2 * u + 1]);
        bool lf = enc == TextEncoding::Utf16Le ? (a == 0x0A && b == 0) : (a == 0 && b == 0x0A);
        if (lf)
            return 2 * u + 1;
    }
    return std::string::npos;
}

void DecodeUtf16(std::string_view bytes, bool littleEndian, std::wstring& out) {
    std::size_t units = bytes.size() / 2;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t u = 0; u < units; ++u) {
        char32_t c =
            littleEndian ? (p[2 * u] | (p[2 * u + 1] << 8)) : ((p[2 * u] << 8) | p[2 * u + 1]);
        if (c >= 0xD800 && c <= 0xDBFF && u + 1 < units) {
            char32_t d = littleEndian ? (p[2 * u + 2] | (p[2 * u + 3] << 8))
                                      : ((p[2 * u + 2] << 8) | p[2 * u + 3]);
            if (d >= 0xDC00 && d <= 0xDFFF) {
                out.push_back(static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00)));
                ++u;
                continue;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        out.push_back(static_cast<wchar_t>(c));
    }
}

enum class ByteDecoding { Utf8Strict, Utf8Lenient, Cp1252 };

// Splits 8-bit text at LF (dropping a CR before it and NUL bytes) and decodes
// each line straight into its own string. False when strict UTF-8 decoding
// meets an invalid sequence; the lines appended so far are then removed.
bool DecodeLines8(std::string_view bytes, ByteDecoding mode, std::vector<std::wstring>& lines) {
    const std::size_t base = lines.size();
    std::size_t start = 0, n = bytes.size();
    std::string scratch;
    std::wstring wide; // reused: each line is then allocated once, at its size
    while (start < n) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = n;
        std::size_t stop = end;
        if (stop > start && bytes[stop - 1] == '\r')
            --stop;
        std::string_view line = bytes.substr(start, stop - start);
        if (line.find('\0') != std::string_view::npos) {
            scratch.assign(line);
            scratch.erase(std::remove(scratch.begin(), scratch.end(), '\0'), scratch.end());
            line = scratch;
        }
        wide.clear();
        switch (mode) {
        case ByteDecoding::Utf8Strict:
            if (!DecodeUtf8Strict(line, wide)) {
                lines.resize(base);
                return false;
            }
            break;
        case ByteDecoding::Utf8Lenient:
            wide = FromUtf8(line);
            break;
        case ByteDecoding::Cp1252:
            DecodeCp1252(line, wide);
            break;
        }
        lines.emplace_back(wide);
        start = end + 1;
    }
    return true;
}

void SplitLines(const std::wstring& text, std::vector<std::wstring>& lines) {
    std::size_t start = 0, n = text.size();
    while (start < n) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = n;
        std::size_t stop = end;
        if (stop > start && text[stop - 1] == L'\r')
            --stop;
        std::wstring line(text, start, stop - start);
        if (line.find(L'\0') != std::wstring::npos)
            line.erase(std::remove(line.begin(), line.end(), L'\0'), line.end());
        lines.push_back(std::move(line));
        start = end + 1;
    }
}

} // namespace

std::int64_t HistoryFileSize(const std::wstring& path) {
    struct stat st {};
    if (::stat(ToUtf8(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

int CheckHistoryFile(const std::wstring& path) {
    struct stat st {};
    int rawFd = -1;
    const int rc = OpenHistoryFile(path, rawFd, st);
    CFd fd(rawFd);
    return rc;
}

std::wstring HistoryFileErrorText(int rc) {
    if (rc == kHistoryNotAFile)
        return L"not a regular file (a FIFO, socket or device)";
    return FromUtf8(std::strerror(rc));
}

int ReadHistoryFileEx(const std::wstring& path, std::int64_t& pos, std::vector<std::wstring>& lines,
                      std::size_t maxBytes, ILogSink* log, bool takeUnendedLast) {
    if (pos < 0)
        return EINVAL;
    struct stat st {};
    int rawFd = -1;
    const int openRc = OpenHistoryFile(path, rawFd, st);
    CFd fd(rawFd);
    if (openRc != 0)
        return openRc;
    const std::int64_t size = static_cast<std::int64_t>(st.st_size);
    if (size < pos) {
        if (log)
            log->WriteLogLine(Format(L"File %ls is shorter (%lld) than its read position (%lld): "
                                     L"reading it again from the start",
                                     path.c_str(), static_cast<long long>(size),
                                     static_cast<long long>(pos)));
        pos = 0;
    }

    // The byte-order mark decides the encoding of the whole file.
    unsigned char bom[3] = {0, 0, 0};
    ssize_t bomRead = PreadAll(fd.get(), reinterpret_cast<char*>(bom), 3, 0);
    if (bomRead < 0)
        return errno;
    TextEncoding enc = TextEncoding::Utf8;
    std::int64_t bomLen = 0;
    if (bomRead >= 3 && bom[0] == 0xEF && bom[1] == 0xBB && bom[2] == 0xBF) {
        enc = TextEncoding::Utf8Bom;
        bomLen = 3;
    } else if (bomRead >= 2 && bom[0] == 0xFF && bom[1] == 0xFE) {
        enc = TextEncoding::Utf16Le;
        bomLen = 2;
    } else if (bomRead >= 2 && bom[0] == 0xFE && bom[1] == 0xFF) {
        enc = TextEncoding::Utf16Be;
        bomLen = 2;
    }
    std::int64_t start = std::max(pos, bomLen);
    if (IsUtf16(enc) && (start - bomLen) % 2 != 0)
        ++start; // a position inside a code unit: realign to the next one
    if (start >= size)
        return 0;

    // Read a chunk; when it holds no complete line and more of the file
    // follows, keep reading until a line end or the line limit.
    std::string buf;
    std::size_t want = static_cast<std::size_t>(size - start);
    if (maxBytes != 0 && want > maxBytes)
        want = maxBytes;
    std::size_t lastEnd = std::string::npos;
    for (;;) {
        std::size_t have = buf.size();
        buf.resize(have + want);
        ssize_t got =
            PreadAll(fd.get(), buf.data() + have, want, start + static_cast<std::int64_t>(have));
        if (got < 0)
            return errno;
        buf.resize(have + static_cast<std::size_t>(got));
        lastEnd = LastLineEnd(buf, enc);
        bool atEof = start + static_cast<std::int64_t>(buf.size()) >= size || got == 0;
        if (lastEnd != std::string::npos || atEof)
            break;
        if (buf.size() >= kHistoryMaxLine) {
            // One line longer than any hand-history line can be: skip past
            // its end without holding it.
            std::int64_t scan = start + static_cast<std::int64_t>(buf.size());
            std::string block(1u << 20, '\0');
            for (;;) {
                ssize_t n = PreadAll(fd.get(), block.data(), block.size(), scan);
                if (n <= 0) {
                    scan = -1;
                    break;
                }
                std::string_view view(block.data(), static_cast<std::size_t>(n));
                std::size_t lf = view.find('\n');
                if (IsUtf16(enc)) {
                    // Only an LF at an even code-unit offset is a line end.
                    lf = std::string::npos;
                    std::string tmp(view);
                    std::size_t rel = static_cast<std::size_t>((scan - bomLen) % 2);
                    for (std::size_t i = rel; i + 1 < tmp.size(); i += 2) {
                        unsigned char a = tmp[i], b = tmp[i + 1];
                        if (enc == TextEncoding::Utf16Le ? (a == 0x0A && b == 0)
                                                         : (a == 0 && b == 0x0A)) {
                            lf = i + 1;
                            break;
                        }
                    }
                }
                if (lf != std::string::npos) {
                    scan += static_cast<std::int64_t>(lf) + 1;
                    break;
                }
                scan += n;
            }
            if (log)
                log->WriteLogLine(
                    Format(L"File %ls: a line longer than %zu bytes at %lld was skipped",
                           path.c_str(), kHistoryMaxLine, static_cast<long long>(start)));
            if (scan < 0) {
                pos = size; // the over-long line runs to the end: wait for more
                return 0;
            }
            pos = scan;
            return 0;
        }
        std::size_t more = maxBytes != 0 ? maxBytes : (1u << 20);
        want = std::min<std::size_t>(more, static_cast<std::size_t>(size - start) - buf.size());
        if (want == 0)
            break;
    }
    std::size_t takeLen = lastEnd == std::string::npos ? 0 : lastEnd + 1;
    std::int64_t consumed = static_cast<std::int64_t>(takeLen);
    const bool atEnd = start + static_cast<std::int64_t>(buf.size()) >= size;
    if (takeUnendedLast && atEnd && takeLen < buf.size()) {
        consumed = static_cast<std::int64_t>(buf.size());
        takeLen = buf.size();
        if (IsUtf16(enc) && takeLen % 2 != 0)
            --takeLen; // half a code unit cannot be decoded
    }
    if (takeLen == 0)
        return 0; // only a line still being written

    std::string_view complete(buf.data(), takeLen);
    switch (enc) {
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be: {
        std::wstring text;
        text.reserve(complete.size() / 2);
        DecodeUtf16(complete, enc == TextEncoding::Utf16Le, text);
        SplitLines(text, lines);
        break;
    }
    case TextEncoding::Utf8Bom:
        DecodeLines8(complete, ByteDecoding::Utf8Lenient, lines);
        break;
    default: {
        // No mark: UTF-8 when valid, else Windows-1252. A read in the middle of
        // the file follows what the start of the file says.
        bool startIsUtf8 = true;
        if (start > 0) {
            std::string head(static_cast<std::size_t>(std::min<std::int64_t>(size, kHeadCheck)),
                             '\0');
            ssize_t h = PreadAll(fd.get(), head.data(), head.size(), 0);
            if (h < 0)
                return errno;
            head.resize(static_cast<std::size_t>(h));
            startIsUtf8 = IsValidUtf8(head, true);
        }
        if (!startIsUtf8 || !DecodeLines8(complete, ByteDecoding::Utf8Strict, lines))
            DecodeLines8(complete, ByteDecoding::Cp1252, lines);
        break;
    }
    }
    pos = start + consumed;
    return 0;
}

} // namespace tw
