// The rooms file "Settings.xml": the configured rooms, one Room element each.
#include "app/TarnwickApp.h"

#include "support/AtomicFile.h"
#include "support/Markup.h"
#include "support/NumberText.h"
#include "support/StdioFileEx.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

namespace tw {

namespace {

// A control character (C0, DEL, C1) belongs in no room name, nickname or
// folder path: one that got into the rooms file (a NUL from a damaged disk or
// an editor) is dropped rather than kept, escaped or written back.
bool IsControlChar(wchar_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Removes the control characters of `s` (a tab too when `keepTab` is false);
// returns how many there were.
std::size_t DropControlChars(std::wstring& s, bool keepTab = false) {
    const auto end = std::remove_if(s.begin(), s.end(), [keepTab](wchar_t c) {
        return IsControlChar(c) && !(keepTab && c == L'\t');
    });
    const auto n = static_cast<std::size_t>(s.end() - end);
    s.erase(end, s.end());
    return n;
}

// Text as XML character data or attribute value (free of control characters).
std::wstring XmlEscape(std::wstring_view s) {
    std::wstring out;
    out.reserve(s.size());
    for (wchar_t c : s) {
        switch (c) {
        case L'&':
            out += L"&amp;";
            break;
        case L'<':
            out += L"&lt;";
            break;
        case L'>':
            out += L"&gt;";
            break;
        case L'"':
            out += L"&quot;";
            break;
        case L'\'':
            out += L"&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Decodes the five named entities and numeric character references, as an
// XML parser does. An "&" that starts none of them stays as it is: files
// written without escaping hold bare ones.
std::wstring XmlUnescape(std::wstring_view s) {
    static constexpr struct {
        std::wstring_view ref;
        wchar_t c;
    } kNamed[] = {
        {L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&apos;", L'\''}};
    std::wstring out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] != L'&') {
            out += s[i++];
            continue;
        }
        bool decoded = false;
        for (const auto& n : kNamed) {
            if (s.substr(i, n.ref.size()) == n.ref) {
                out += n.c;
                i += n.ref.size();
                decoded = true;
                break;
            }
        }
        if (!decoded && s.substr(i, 2) == L"&#") {
            // "&#10;" or "&#xA;"
            const bool hex = s.substr(i + 2, 1) == L"x" || s.substr(i + 2, 1) == L"X";
            const std::size_t first = i + (hex ? 3 : 2);
            const std::size_t semi = s.find(L';', first);
            if (semi != std::wstring_view::npos && semi > first && semi - first <= 8) {
                unsigned long v = 0;
                bool ok = true;
                for (std::size_t k = first; k < semi && ok; ++k) {
                    const wchar_t d = s[k];
                    int digit = -1;
                    if (d >= L'0' && d <= L'9')
                        digit = d - L'0';
                    else if (hex && d >= L'a' && d <= L'f')
                        digit = d - L'a' + 10;
                    else if (hex && d >= L'A' && d <= L'F')
                        digit = d - L'A' + 10;
                    ok = digit >= 0;
                    v = v * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
                }
                if (ok && v > 0 && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF)) {
                    out += static_cast<wchar_t>(v);
                    i = semi + 1;
                    decoded = true;
                }
            }
        }
        if (!decoded)
            out += s[i++];
    }
    return out;
}

// One Room element as read from the file, before it is checked.
struct RoomEntry {
    std::wstring strId;
    std::wstring strActive;
    std::wstring strNickname;
    std::wstring strPath;
    std::optional<std::wstring> strRate;
};

// Reads the rooms the way the file is laid out: root element, "Rooms", its
// "Room" children. False when the text is not well-formed XML.
bool ReadRoomsStrict(const std::wstring& text, std::vector<RoomEntry>& rooms) {
    CMarkup xml;
    if (!xml.SetDoc(text))
        return false;
    xml.FindElem();
    xml.IntoElem();
    xml.FindElem(L"Rooms");
    if (!xml.IntoElem())
        return true;
    while (xml.FindElem(L"Room")) {
        RoomEntry e;
        e.strId = xml.GetAttrib(L"Id");
        e.strActive = xml.GetAttrib(L"active");
        // Each child is looked up from the first one, so their order does not
        // matter; a missing child leaves its field empty.
        xml.ResetChildPos();
        if (xml.FindChildElem(L"NickName"))
            e.strNickname = xml.GetChildData();
        xml.ResetChildPos();
        if (xml.FindChildElem(L"HistoryPath"))
            e.strPath = xml.GetChildData();
        xml.ResetChildPos();
        if (xml.FindChildElem(L"CurrencyExchangeRate"))
            e.strRate = xml.GetChildData();
        rooms.push_back(std::move(e));
    }
    return true;
}

// The text between `open` and `close` after `from` inside [from, end); empty
// when absent.
std::optional<std::wstring> Between(const std::wstring& text, std::size_t from, std::size_t end,
                                    const std::wstring& open, const std::wstring& close) {
    std::size_t a = text.find(open, from);
    if (a == std::wstring::npos || a >= end)
        return std::nullopt;
    a += open.size();
    std::size_t b = text.find(close, a);
    if (b == std::wstring::npos || b > end)
        return std::nullopt;
    return text.substr(a, b - a);
}

// The value of `name = "..."` in a start tag.
std::wstring AttributeIn(std::wstring_view tag, std::wstring_view name) {
    std::size_t at = 0;
    while ((at = tag.find(name, at)) != std::wstring_view::npos) {
        std::size_t i = at + name.size();
        const bool startsName = at > 0 && (tag[at - 1] == L' ' || tag[at - 1] == L'\t');
        while (i < tag.size() && (tag[i] == L' ' || tag[i] == L'\t'))
            ++i;
        if (startsName && i < tag.size() && tag[i] == L'=') {
            ++i;
            while (i < tag.size() && (tag[i] == L' ' || tag[i] == L'\t'))
                ++i;
            if (i < tag.size() && (tag[i] == L'"' || tag[i] == L'\'')) {
                std::size_t close = tag.find(tag[i], i + 1);
                if (close != std::wstring_view::npos)
                    return std::wstring(tag.substr(i + 1, close - i - 1));
            }
        }
        at += name.size();
    }
    return {};
}

// Reads rooms files that are not well-formed XML (written without escaping,
// so that values may hold a bare "<" or "&"): each "<Room ...>...</Room>" is
// taken apart by its fixed tags, and the references in its values are decoded
// as the strict reader decodes them.
void ReadRoomsLoose(const std::wstring& text, std::vector<RoomEntry>& rooms) {
    const std::wstring roomOpen = L"<Room ", roomClose = L"</Room>";
    std::size_t at = 0;
    while ((at = text.find(roomOpen, at)) != std::wstring::npos) {
        std::size_t end = text.find(roomClose, at);
        if (end == std::wstring::npos)
            break;
        std::size_t tagEnd = text.find(L'>', at);
        if (tagEnd == std::wstring::npos || tagEnd > end)
            tagEnd = end;
        std::wstring_view tag(text.data() + at, tagEnd - at);
        RoomEntry e;
        e.strId = XmlUnescape(AttributeIn(tag, L"Id"));
        e.strActive = XmlUnescape(AttributeIn(tag, L"active"));
        e.strNickname =
            XmlUnescape(Between(text, tagEnd, end, L"<NickName>", L"</NickName>").value_or(L""));
        e.strPath = XmlUnescape(
            Between(text, tagEnd, end, L"<HistoryPath>", L"</HistoryPath>").value_or(L""));
        e.strRate =
            Between(text, tagEnd, end, L"<CurrencyExchangeRate>", L"</CurrencyExchangeRate>");
        rooms.push_back(std::move(e));
        at = end + roomClose.size();
    }
}

} // namespace

std::wstring CTarnwickApp::RoomsFileText(const std::vector<RoomRow>& rows) {
    std::wstring text = L"<?xml version=\"1.0\" encoding=\"utf-8\"?><Settings><Rooms>\n";
    for (const RoomRow& row : rows) {
        const CPokerRoom* known = FindRoom(row.strName);
        CPokerRoom room = known ? *known : CPokerRoom();
        room.bActive = row.bActive;
        // What is saved is what the session uses.
        if (DropControlChars(room.strNickname) + DropControlChars(room.strHistoryPath) > 0)
            WriteLogLine(Format(L"Room <%ls>: control characters in its nickname or folder "
                                L"were dropped",
                                row.strName.c_str()));
        SetRoom(row.strName, room);
        text += L"<Room Id = \"" + XmlEscape(row.strName) + L"\" active = \"" +
                (room.bActive ? L"1" : L"0") + L"\"><NickName>" + XmlEscape(room.strNickname) +
                L"</NickName><HistoryPath>" + XmlEscape(room.strHistoryPath) +
                L"</HistoryPath><CurrencyExchangeRate>" + FormatFixed(room.dExchangeRate, 4) +
                L"</CurrencyExchangeRate></Room>\n";
    }
    text += L"</Rooms>\n\t</Settings>";
    return text;
}

bool CTarnwickApp::SaveRooms(const std::vector<RoomRow>& rows) {
    const std::wstring path = RoomsFilePath();
    int err = WriteFileAtomic(path, ToUtf8(RoomsFileText(rows)));
    if (err == 0)
        return true;
    const std::wstring reason = FromUtf8(std::strerror(err));
    WriteLogLine(Format(L"File <%ls> could not be written: %ls", path.c_str(), reason.c_str()));
    if (pMessages)
        pMessages->MessageBoxInfo(Format(L"The rooms could not be saved to\n%ls\n\n%ls\n\nThe "
                                         L"rooms file keeps its previous content.",
                                         path.c_str(), reason.c_str()),
                                  L"Tarnwick");
    return false;
}

bool CTarnwickApp::LoadRooms() {
    const std::wstring path = RoomsFilePath();
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::path(ToUtf8(path)), ec)) {
        WriteLogLine(Format(L"File <%ls> could not be opened!", path.c_str()));
        return false;
    }
    std::wstring text;
    {
        CStdioFileEx file;
        file.SetCodePage(65001);
        if (file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText |
                                CStdioFileEx::shareDenyNone)) {
            std::wstring line;
            while (file.ReadString(line))
                text += line;
        }
    }

    ClearRooms();

    // A stray control character would make the whole file not well-formed
    // and hand it to the forgiving reader; the values never hold one.
    std::size_t dropped = DropControlChars(text, true);
    std::vector<RoomEntry> entries;
    if (!ReadRoomsStrict(text, entries)) {
        entries.clear();
        ReadRoomsLoose(text, entries);
    }
    for (RoomEntry& e : entries)
        dropped += DropControlChars(e.strId) + DropControlChars(e.strNickname) +
                   DropControlChars(e.strPath);
    if (dropped > 0)
        WriteLogLine(
            Format(L"File <%ls>: %zu control characters were dropped", path.c_str(), dropped));
    for (const RoomEntry& e : entries) {
        const RoomNumber number = RoomNumberFromName(e.strId);
        if (number == kRoomNone) {
            WriteLogLine(Format(L"Room <%ls> in <%ls> is not a supported room; skipped",
                                e.strId.c_str(), path.c_str()));
            continue;
        }
        std::wstring historyPath = e.strPath;
        if (!historyPath.empty() && (historyPath.back() == L'\\' || historyPath.back() == L'/'))
            historyPath.pop_back();
        CPokerRoom room;
        room.nRoomNumber = number;
        room.bActive = LeadingInt(e.strActive) != 0;
        room.strHistoryPath = historyPath;
        room.strNickname = e.strNickname;
        room.dExchangeRate = e.strRate ? LeadingDouble(*e.strRate) : 1.0;
        SetRoom(e.strId, room, number);
    }
    return true;
}

} // namespace tw
