// The fixed table of supported rooms: names, numbers and format families.
#pragma once

#include <array>
#include <string>

namespace tw {

// The number that names a supported room and selects its hand-history format.
using RoomNumber = int;

enum : RoomNumber {
    kRoomNone = 0,
    kRoomPartyPoker = 1,
    kRoomPokerStars = 2,
    kRoomPokerStars2 = 3,
    kRoomUPoker = 4,
    kRoomUPoker4 = 7,
    kRoomPokerBros = 8,
    kRoomPokerBros4 = 11,
    kRoom888 = 13,
    kRoomTigerGaming = 16,
    kRoomTitan = 17,
    kRoomWilliamHill = 18,
    kRoomBetfair = 19,
};

struct RoomInfo {
    RoomNumber nNumber;
    const wchar_t* szName;
};

// The sixteen supported rooms in the order the application inserts them.
extern const std::array<RoomInfo, 16> kSupportedRooms;

// The number of an exact room name, or 0. "TigerGaming" is found only when
// `includeTiger` is set (the rooms file knows it; session start does not).
RoomNumber RoomNumberFromName(const std::wstring& name, bool includeTiger = true);
// The name of a room number, or an empty string.
std::wstring RoomNameFromNumber(RoomNumber room);

inline bool IsPokerStarsFamily(RoomNumber r) {
    return r >= kRoomPokerStars && r <= kRoomPokerBros4;
}
inline bool IsUPoker(RoomNumber r) {
    return r >= kRoomUPoker && r <= kRoomUPoker4;
}
inline bool IsPokerBros(RoomNumber r) {
    return r >= kRoomPokerBros && r <= kRoomPokerBros4;
}
inline bool IsIPoker(RoomNumber r) {
    return r >= kRoomTitan && r <= kRoomBetfair;
}
// Text formats count results in hundredths of the currency; iPoker in units.
inline bool IsTextFormat(RoomNumber r) {
    return r >= kRoomPartyPoker && r <= kRoomTigerGaming;
}

} // namespace tw
