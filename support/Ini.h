// CIni: one INI file read and written the way Windows profile files are.
//
// Sections ("[name]") and keys ("key=value") are found case-insensitively
// (ASCII letters); only the first section of a name counts, and in it the
// first line of the key. Values are trimmed of blanks, and one pair of
// matching quotes around a value is removed. Lines starting with ";" are
// comments. Writing a key changes only that key's line (or adds the key at
// the end of its section, or the section at the end of the file); every other
// line, comments and blank lines included, stays as it was, and the file keeps
// its line ends. The file is read as UTF-8 (with or without a byte order
// mark), UTF-16 with a byte order mark, or else Windows-1252; it is written as
// UTF-8, whole, through a temporary file.
#pragma once

#include <string>

namespace tw {

class CIni {
public:
    CIni() = default;
    explicit CIni(std::wstring path) : strPath(std::move(path)) {}
    virtual ~CIni() = default;

    // An empty path stands for no file: reads give their defaults and writes
    // fail.
    void SetPath(std::wstring path) { strPath = std::move(path); }
    const std::wstring& Path() const { return strPath; }

    // The value of `key` in `section`, or `def` (empty when null) when the
    // file, the section or the key is missing, or section or key is null.
    std::wstring ReadText(const wchar_t* section, const wchar_t* key,
                          const wchar_t* def = nullptr) const;

    // The value as an unsigned decimal number taken as int, so "-1" reads as
    // -1: leading digits only ("7x" is 7), 0 for a missing or empty value or
    // one that does not start with a number. At most the first 64 characters
    // count.
    int ReadInteger(const wchar_t* section, const wchar_t* key) const;

    // The value as a decimal number with a point; `def` when it is missing or
    // empty, 0.0 when it does not start with a number.
    double ReadDouble(const wchar_t* section, const wchar_t* key, double def) const;

    // Sets `key` in `section` to `value`, creating the file, section or key as
    // needed. Returns 0, or an errno value (EINVAL for a section, key or value
    // that cannot be written as one line); the file is then unchanged.
    int WriteText(const wchar_t* section, const wchar_t* key, const std::wstring& value) const;

    // Writes the bankroll: key "Total" of section "Bankroll" as "%f" of
    // `value` (1250.5 is written as 1250.500000).
    int WriteTotal(double value) const;

private:
    std::wstring strPath;
};

} // namespace tw
