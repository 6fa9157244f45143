#include "support/StdioFileEx.h"

#include "support/TextUtil.h"

namespace tw {

bool CStdioFileEx::Open(const std::wstring& path, unsigned flags) {
    Close();
    std::string p = ToUtf8(path);
    if (flags & modeWrite) {
        if (flags & modeNoTruncate) {
            fp = std::fopen(p.c_str(), "r+b");
            if (!fp && (flags & modeCreate))
                fp = std::fopen(p.c_str(), "w+b");
        } else {
            fp = std::fopen(p.c_str(), "w+b");
        }
    } else {
        fp = std::fopen(p.c_str(), "rb");
    }
    bAtStart = true;
    return fp != nullptr;
}

bool CStdioFileEx::ReadString(std::wstring& line) {
    line.clear();
    if (!fp)
        return false;
    std::string bytes;
    int c;
    bool any = false;
    while ((c = std::fgetc(fp)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        bytes.push_back(static_cast<char>(c));
    }
    if (!any)
        return false;
    if (!bytes.empty() && bytes.back() == '\r')
        bytes.pop_back();
    if (bAtStart && bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    bAtStart = false;
    line = FromUtf8(bytes);
    return true;
}

bool CStdioFileEx::WriteString(const std::wstring& text) {
    if (!fp)
        return false;
    std::string bytes = ToUtf8(text);
    return std::fwrite(bytes.data(), 1, bytes.size(), fp) == bytes.size();
}

void CStdioFileEx::SeekToEnd() {
    if (fp)
        std::fseek(fp, 0, SEEK_END);
}

void CStdioFileEx::Flush() {
    if (fp)
        std::fflush(fp);
}

void CStdioFileEx::Close() {
    if (fp) {
        std::fclose(fp);
        fp = nullptr;
    }
}

} // namespace tw
