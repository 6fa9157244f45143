// A text file read and written as UTF-8, line by line.
#pragma once

#include <cstdio>
#include <string>

namespace tw {

class CStdioFileEx {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        shareDenyNone = 0x0040,
    };

    CStdioFileEx() = default;
    ~CStdioFileEx() { Close(); }
    CStdioFileEx(const CStdioFileEx&) = delete;
    CStdioFileEx& operator=(const CStdioFileEx&) = delete;

    // Only 65001 (UTF-8) is supported; other code pages are treated as it.
    void SetCodePage(unsigned codePage) { nCodePage = codePage; }

    // modeCreate without modeNoTruncate truncates; modeWrite with
    // modeNoTruncate opens an existing file (creating it only with modeCreate).
    bool Open(const std::wstring& path, unsigned flags);
    bool IsOpen() const { return fp != nullptr; }
    // The next line without its line end; false at end of file. A UTF-8 byte
    // order mark at the start of the file is skipped.
    bool ReadString(std::wstring& line);
    bool WriteString(const std::wstring& text);
    void SeekToEnd();
    void Flush();
    void Close();

private:
    std::FILE* fp = nullptr;
    unsigned nCodePage = 65001;
    bool bAtStart = true;
};

} // namespace tw
