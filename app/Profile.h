// The application profile: the options of the settings dialog and the
// window, kept per user between runs as section / key / value.
//
// Values may come back as text whatever type they were written with (a
// profile file read in a new process holds only text), so integer reads
// always convert, and a value that is not an integer gives the default.
#pragma once

#include <map>
#include <string>
#include <utility>

namespace tw {

class IProfileStore {
public:
    virtual ~IProfileStore() = default;
    virtual int GetProfileInt(const std::wstring& section, const std::wstring& key, int def) = 0;
    virtual std::wstring GetProfileString(const std::wstring& section, const std::wstring& key,
                                          const std::wstring& def) = 0;
    // False when the value could not be stored.
    virtual bool WriteProfileInt(const std::wstring& section, const std::wstring& key,
                                 int value) = 0;
    virtual bool WriteProfileString(const std::wstring& section, const std::wstring& key,
                                    const std::wstring& value) = 0;
};

// Converts a stored integer value: decimal with an optional sign, or
// hexadecimal after "0x", blanks around it allowed. Values up to 0xFFFFFFFF
// are taken as their 32-bit pattern (colours, written as DWORDs elsewhere).
// Anything else gives `def`.
int ProfileIntFromText(const std::wstring& text, int def);

// A profile held in memory, as text, for tests and for a run without a
// profile store.
class CMemoryProfile : public IProfileStore {
public:
    int GetProfileInt(const std::wstring& section, const std::wstring& key, int def) override;
    std::wstring GetProfileString(const std::wstring& section, const std::wstring& key,
                                  const std::wstring& def) override;
    bool WriteProfileInt(const std::wstring& section, const std::wstring& key, int value) override;
    bool WriteProfileString(const std::wstring& section, const std::wstring& key,
                            const std::wstring& value) override;

    // Section and key -> the value as text.
    std::map<std::pair<std::wstring, std::wstring>, std::wstring> mapValues;
};

} // namespace tw
