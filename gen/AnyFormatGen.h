// One entry to the generators of every format, by the format's name as the
// tools write it.
#pragma once

#include "gen/PokerStarsGen.h"

#include <string>

namespace twgen {

// The formats, in the order the tools list them.
inline constexpr const char* kFormats[] = {"pokerstars", "888", "partypoker", "tigergaming",
                                           "ipoker"};
// The room a file of that format belongs to, as the rooms are named.
const wchar_t* RoomOfFormat(const std::string& format);

// `hands` hands of `format` with hero "HERO"; false for an unknown format.
// Money is in cents; an iPoker document is one whole session.
bool Generate(const std::string& format, int hands, GeneratedText& out);

} // namespace twgen
