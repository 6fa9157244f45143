// The INI reader and writer on an arbitrary file: reads the program's keys
// (and short ones the fuzzer finds easily), then writes the bankroll total
// and a new key.
//
// Besides crashes, leaks and undefined behaviour it stops when a written key
// does not read back as written, or a write changes what another key reads.
#include "fuzz/FuzzSupport.h"
#include "support/Ini.h"

#include <array>
#include <cmath>

using namespace tw;

namespace {

const std::array<const wchar_t*, 4> kSections = {L"Bankroll", L"Debug", L"AlarmMessage", L"a"};
const std::array<const wchar_t*, 6> kKeys = {L"Total", L"Use", L"Debug", L"Hand", L"Time", L"a"};

using Values = std::array<std::wstring, kSections.size() * kKeys.size()>;

Values ReadAll(const CIni& ini) {
    Values v;
    std::size_t i = 0;
    for (const wchar_t* s : kSections) {
        for (const wchar_t* k : kKeys)
            v[i++] = ini.ReadText(s, k, L"\x1Fmissing");
    }
    return v;
}

// Writes `value` to one key and checks that it reads back and that no other
// key changed; `values` holds what every key read before and then after.
void WriteAndCheck(const CIni& ini, Values& values, std::size_t section, std::size_t key,
                   const std::wstring& value) {
    FUZZ_CHECK(ini.WriteText(kSections[section], kKeys[key], value) == 0);
    values[section * kKeys.size() + key] = value;
    FUZZ_CHECK(ReadAll(ini) == values);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string file = twfuzz::ScratchFile("Tarnwick.ini");
    twfuzz::WriteFile(file, twfuzz::Bytes(data, size));
    const CIni ini(tw::FromUtf8(file));

    // The number readers take any text.
    for (const wchar_t* s : kSections) {
        for (const wchar_t* k : kKeys) {
            ini.ReadInteger(s, k);
            FUZZ_CHECK(!std::isnan(ini.ReadDouble(s, k, 0.0)));
        }
    }
    Values values = ReadAll(ini);
    WriteAndCheck(ini, values, 0, 0, L"1250.500000");
    WriteAndCheck(ini, values, 3, 5, L"a b");
    FUZZ_CHECK(ini.WriteTotal(-0.25) == 0);
    FUZZ_CHECK(ini.ReadText(L"bankroll", L"TOTAL") == L"-0.250000");
    return 0;
}
