// The rooms file reader on an arbitrary file: loads the rooms, saves them
// and loads the saved file again.
//
// Besides crashes, leaks and undefined behaviour it stops when a room loaded
// from the saved file differs from the room saved (its nickname, its active
// mark, its folder but for trailing separators): a nickname that changes on
// the way through the settings dialog would stop the hero's hands from
// counting. Names or folders with control characters, which no one can type,
// are left out of that comparison.
#include "app/TarnwickApp.h"
#include "fuzz/FuzzSupport.h"

using namespace tw;

namespace {

std::unique_ptr<CTarnwickApp> MakeApp() {
    CTarnwickApp::Options o;
    o.strExecDir = tw::FromUtf8(twfuzz::ScratchDir().string());
    o.bOpenLog = false;
    o.bLoadSettingsFile = false;
    return std::make_unique<CTarnwickApp>(o);
}

bool Typeable(const std::wstring& s) {
    for (wchar_t c : s) {
        if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF)
            return false;
    }
    return true;
}

std::wstring WithoutTrailingSeparators(std::wstring s) {
    while (!s.empty() && (s.back() == L'/' || s.back() == L'\\'))
        s.pop_back();
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto first = MakeApp();
    twfuzz::WriteFile(tw::ToUtf8(first->RoomsFilePath()), twfuzz::Bytes(data, size));
    FUZZ_CHECK(first->LoadRooms());

    std::vector<RoomRow> rows;
    for (const auto& [name, room] : first->Rooms()) {
        FUZZ_CHECK(RoomNumberFromName(name) == room.nRoomNumber);
        rows.push_back({name, room.bActive});
    }
    FUZZ_CHECK(first->SaveRooms(rows));

    auto second = MakeApp();
    FUZZ_CHECK(second->LoadRooms());
    FUZZ_CHECK(second->Rooms().size() == first->Rooms().size());
    for (const auto& [name, room] : first->Rooms()) {
        const CPokerRoom* again = second->FindRoom(name);
        FUZZ_CHECK(again);
        FUZZ_CHECK(again->nRoomNumber == room.nRoomNumber && again->bActive == room.bActive);
        if (Typeable(room.strNickname))
            FUZZ_CHECK(again->strNickname == room.strNickname);
        if (Typeable(room.strHistoryPath))
            FUZZ_CHECK(WithoutTrailingSeparators(again->strHistoryPath) ==
                       WithoutTrailingSeparators(room.strHistoryPath));
    }
    return 0;
}
