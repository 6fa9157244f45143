#include "model/RoomTable.h"

namespace tw {

const std::array<RoomInfo, 16> kSupportedRooms = {{
    {1, L"PartyPoker"},
    {2, L"PokerStars"},
    {3, L"PokerStars2"},
    {8, L"PokerBros"},
    {9, L"PokerBros2"},
    {10, L"PokerBros3"},
    {11, L"PokerBros4"},
    {4, L"UPoker"},
    {5, L"UPoker2"},
    {6, L"UPoker3"},
    {7, L"UPoker4"},
    {13, L"888 poker"},
    {17, L"Titan poker"},
    {18, L"William Hill poker"},
    {19, L"Betfair poker"},
    {16, L"TigerGaming"},
}};

RoomNumber RoomNumberFromName(const std::wstring& name, bool includeTiger) {
    for (const RoomInfo& r : kSupportedRooms) {
        if (name == r.szName) {
            if (r.nNumber == kRoomTigerGaming && !includeTiger)
                return kRoomNone;
            return r.nNumber;
        }
    }
    return kRoomNone;
}

std::wstring RoomNameFromNumber(RoomNumber room) {
    for (const RoomInfo& r : kSupportedRooms) {
        if (r.nNumber == room)
            return r.szName;
    }
    return {};
}

} // namespace tw
