// The addresses and texts of the version notice, stored enciphered: each
// character is kept as a number that Decipher turns back into it.
// scripts/encipher-text makes the numbers from a text.
#include "update/VersionNotice.h"

#include "support/SupportLib.h"

#include <cstdint>
#include <iterator>

namespace tw {

namespace {

constexpr std::int64_t kCipherFactor = 40503;
constexpr std::int64_t kCipherModulus = 65537;

// The version list's address.
const std::int64_t kListUrl[] = {
    63317, 32813, 32813, 42981, 35355, 49175, 11600, 11600, 25187, 25187, 25187, 14142, 40439,
    30271, 60775, 53149, 53149, 2864,  5406,  48065, 14142, 5406,  22645, 15574, 50607, 42981,
    53149, 5406,  11600, 32813, 15574, 37897, 48065, 25187, 60775, 10490, 55691, 11600, 48620,
    45523, 45523, 53149, 3419,  60775, 35355, 32813, 14142, 32813, 22645, 32813,
};

// The list's section.
const std::int64_t kSection[] = {
    48620, 15574, 37897, 48065, 25187, 60775, 10490, 55691,
};

// The new version's address.
const std::int64_t kNewUrl[] = {
    63317, 32813, 32813, 42981, 35355, 49175, 11600, 11600, 25187, 25187, 25187, 14142, 40439,
    30271, 60775, 53149, 53149, 2864,  5406,  48065, 14142, 5406,  22645, 15574, 50607, 42981,
    53149, 5406,  11600, 32813, 15574, 37897, 48065, 25187, 60775, 10490, 55691, 11600, 7948,
    45523, 25187, 48065, 53149, 45523, 15574, 7948,  11600, 48620, 15574, 37897, 48065, 25187,
    60775, 10490, 55691, 63872, 5406,  25187, 14142, 17561, 60775, 42981,
};

// The new version's address, Russian variant.
const std::int64_t kNewUrlRu[] = {
    63317, 32813, 32813, 42981, 35355, 49175, 11600, 11600, 25187, 25187, 25187, 14142, 40439,
    30271, 60775, 53149, 53149, 2864,  5406,  48065, 14142, 5406,  22645, 15574, 50607, 42981,
    53149, 5406,  11600, 37897, 30271, 11600, 32813, 15574, 37897, 48065, 25187, 60775, 10490,
    55691, 11600, 7948,  45523, 25187, 48065, 53149, 45523, 15574, 7948,  11600, 48620, 15574,
    37897, 48065, 25187, 60775, 10490, 55691, 63872, 5406,  25187, 14142, 17561, 60775, 42981,
};

// The name the new version is saved under.
const std::int64_t kNewFileName[] = {
    48620, 15574, 37897, 48065, 25187, 60775, 10490, 55691,
    63872, 5406,  25187, 14142, 17561, 60775, 42981,
};

// The question.
const std::int64_t kAskText[] = {
    31381, 49730, 48065, 5406,  25187, 49730, 27729, 5406,  37897, 35355, 60775, 45523,
    48065, 49730, 45523, 2864,  49730, 48620, 15574, 37897, 48065, 25187, 60775, 10490,
    55691, 49730, 60775, 35355, 49730, 15574, 27729, 15574, 60775, 53149, 15574, 13032,
    53149, 5406,  14142, 40117, 23755, 45523, 49730, 20103, 45523, 30271, 49730, 25187,
    15574, 48065, 32813, 49730, 32813, 45523, 49730, 7948,  45523, 25187, 48065, 53149,
    45523, 15574, 7948,  49730, 60775, 32813, 49730, 48065, 45523, 25187, 36465,
};

// The question, Russian.
const std::int64_t kAskTextRu[] = {
    33169, 57479, 49853, 47311, 44769, 54937, 60021, 27530, 49730, 60021, 57479, 22446, 27530,
    14265, 49730, 22446, 14820, 52395, 49853, 7194,  14265, 49730, 48620, 15574, 37897, 48065,
    25187, 60775, 10490, 55691, 14142, 40117, 25543, 27530, 19904, 52395, 44769, 9736,  7194,
    47311, 21891, 49730, 14820, 9181,  49730, 49853, 14820, 4652,  34601, 27530, 49853, 36465,
};

// The caption of the three boxes.
const std::int64_t kCaption[] = {
    48620, 15574, 37897, 48065, 25187, 60775, 10490, 55691,
    49730, 30271, 42981, 7948,  15574, 32813, 5406,
};

// The caption of the three boxes, Russian.
const std::int64_t kCaptionRu[] = {
    7749,  24988, 60021, 57479, 22446, 65105, 14820, 60021, 7194,  14820,
    49730, 48620, 15574, 37897, 48065, 25187, 60775, 10490, 55691,
};

// Download failed.
const std::int64_t kFailedText[] = {
    48620, 63317, 5406,  49730, 48065, 5406,  25187, 49730, 27729, 5406,
    37897, 35355, 60775, 45523, 48065, 49730, 10490, 45523, 30271, 53149,
    7948,  49730, 48065, 45523, 32813, 49730, 13032, 5406,  49730, 7948,
    45523, 25187, 48065, 53149, 45523, 15574, 7948,  5406,  7948,  14142,
};

// Download failed, Russian.
const std::int64_t kFailedTextRu[] = {
    10291, 14820, 49730, 44769, 17362, 27530, 65105, 57479, 49853, 21891, 49730, 9736,
    27530, 19904, 52395, 44769, 9736,  7194,  47311, 21891, 49730, 60021, 57479, 22446,
    44769, 16807, 49730, 22446, 14820, 52395, 49853, 7194,  16807, 14142,
};

// Download done (the file's path follows).
const std::int64_t kDoneText[] = {
    48620, 63317, 5406,  49730, 48065, 5406,  25187, 49730, 27729, 5406, 37897, 35355,
    60775, 45523, 48065, 49730, 63317, 15574, 35355, 49730, 13032, 5406, 5406,  48065,
    49730, 7948,  45523, 25187, 48065, 53149, 45523, 15574, 7948,  5406, 7948,  49175,
};

// Download done, Russian.
const std::int64_t kDoneTextRu[] = {
    10291, 57479, 22446, 27530, 14265, 49730, 22446, 14820, 52395, 49853, 7194,  14265,
    49730, 9736,  27530, 19904, 52395, 44769, 12278, 14820, 60021, 27530, 49175,
};

template <std::size_t N> std::wstring Text(const std::int64_t (&codes)[N]) {
    return Decipher(codes, N);
}

} // namespace

std::wstring Decipher(const std::int64_t* codes, std::size_t count) {
    std::wstring text;
    text.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        text.push_back(static_cast<wchar_t>(mod_SSE2(codes[i] * kCipherFactor, kCipherModulus)));
    return text;
}

NoticeTexts ProgramNoticeTexts(bool russian) {
    NoticeTexts t;
    t.strListUrl = Text(kListUrl);
    t.strSection = Text(kSection);
    t.strNewUrl = russian ? Text(kNewUrlRu) : Text(kNewUrl);
    t.strNewFileName = Text(kNewFileName);
    t.strAskText = russian ? Text(kAskTextRu) : Text(kAskText);
    t.strAskCaption = t.strFailedCaption = t.strDoneCaption =
        russian ? Text(kCaptionRu) : Text(kCaption);
    t.strFailedText = russian ? Text(kFailedTextRu) : Text(kFailedText);
    t.strDoneText = russian ? Text(kDoneTextRu) : Text(kDoneText);
    return t;
}

} // namespace tw
