// The rooms file "Settings.xml": the configured rooms, one Room element each.
#include "app/TarnwickApp.h"

#include "support/AtomicFile.h"
#include "support/Markup.h"
#include "support/NumberText.h"
#include "support/StdioFileEx.h"
#include "support/TextUtil.h"

#include <cstring>
#include <filesystem>
#include <optional>

namespace tw {

namespace {

// Text as XML character data or attribute value. Line ends are written as
// character references, since the reader joins the file's lines.
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
        case L'\n':
            out += L"&#10;";
            break;
        case L'\r':
            out += L"&#13;";
            break;
        case L'\0':
            break; // XML has no way to hold it
        default:
            out += c;
        }
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

// Reads rooms files written without escaping, whose values may hold "<" or
// "&" and so are not XML: each "<Room ...>...</Room>" is taken apart by its
// fixed tags, and the values are taken as they stand.
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
        e.strId = AttributeIn(tag, L"Id");
        e.strActive = AttributeIn(tag, L"active");
        e.strNickname = Between(text, tagEnd, end, L"<NickName>", L"</NickName>").value_or(L"");
        e.strPath = Between(text, tagEnd, end, L"<HistoryPath>", L"</HistoryPath>").value_or(L"");
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
        CPokerRoom& room = mapRooms[row.strName];
        room.bActive = row.bActive;
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

    mapRooms.clear();
    for (auto& [name, mark] : mapRoomNames)
        mark = 0;

    std::vector<RoomEntry> entries;
    if (!ReadRoomsStrict(text, entries)) {
        entries.clear();
        ReadRoomsLoose(text, entries);
    }
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
        mapRoomNames[e.strId] = number;
        CPokerRoom& room = mapRooms[e.strId];
        room.nRoomNumber = number;
        room.bActive = LeadingInt(e.strActive) != 0;
        room.strHistoryPath = historyPath;
        room.strNickname = e.strNickname;
        room.dExchangeRate = e.strRate ? LeadingDouble(*e.strRate) : 1.0;
    }
    return true;
}

} // namespace tw
