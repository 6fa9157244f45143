#include "app/TarnwickApp.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"
#include "tests/app/FakeMessages.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>

using namespace tw;
using twtest::AddRoom;
using twtest::ReadBytes;
using twtest::TempDir;
using twtest::WriteBytes;

namespace {

std::unique_ptr<CTarnwickApp> AppIn(const TempDir& dir) {
    CTarnwickApp::Options o;
    o.strExecDir = FromUtf8(dir.path().string());
    return std::make_unique<CTarnwickApp>(o);
}

std::string LogOf(const TempDir& dir) {
    return ReadBytes(dir.file("Tarnwick.log"));
}

} // namespace

TEST(RoomsFile, SaveAndLoadKeepEveryFieldOfEveryNickname) {
    TempDir dir;
    const std::wstring tricky = L"A&B <C> \"q\" 'a' &amp; ]]>";
    {
        auto app = AppIn(dir);
        AddRoom(*app, L"888 poker", {tricky, L"/home/u/hh & more/<888>", 1.5});
        AddRoom(*app, L"PokerStars", {L"Игрок_Müller 李", L"C:\\HH\\Stars", 0.8912});
        // A NUL (only ever from a damaged file) is dropped: XML cannot hold
        // it, and the other rooms must still read back as they were.
        AddRoom(*app, L"Titan poker", {std::wstring(L"  spaced \0 ", 11), L"/t", 1.0});
        ASSERT_TRUE(
            app->SaveRooms({{L"888 poker", false}, {L"PokerStars", true}, {L"Titan poker", true}}));
    }
    auto app = AppIn(dir);
    ASSERT_TRUE(app->LoadRooms());
    ASSERT_EQ(app->Rooms().size(), 3u);

    const CPokerRoom& r888 = app->Rooms().at(L"888 poker");
    EXPECT_EQ(r888.nRoomNumber, 13);
    EXPECT_FALSE(r888.bActive);
    EXPECT_EQ(r888.strNickname, tricky);
    EXPECT_EQ(r888.strHistoryPath, L"/home/u/hh & more/<888>");
    EXPECT_DOUBLE_EQ(r888.dExchangeRate, 1.5);

    const CPokerRoom& stars = app->Rooms().at(L"PokerStars");
    EXPECT_EQ(stars.nRoomNumber, 2);
    EXPECT_TRUE(stars.bActive);
    EXPECT_EQ(stars.strNickname, L"Игрок_Müller 李");
    EXPECT_EQ(stars.strHistoryPath, L"C:\\HH\\Stars");
    EXPECT_DOUBLE_EQ(stars.dExchangeRate, 0.8912);

    EXPECT_EQ(app->Rooms().at(L"Titan poker").strNickname, L"  spaced  ");

    for (const auto& [name, mark] : app->RoomNames()) {
        const int want = name == L"888 poker"     ? 13
                         : name == L"PokerStars"  ? 2
                         : name == L"Titan poker" ? 17
                                                  : 0;
        EXPECT_EQ(mark, want) << ToUtf8(name);
    }
}

TEST(RoomsFile, IsWrittenInItsFixedLayoutInRowOrder) {
    TempDir dir;
    auto app = AppIn(dir);
    AddRoom(*app, L"PokerStars", {L"Hero", L"/hh/stars", 1.5});
    AddRoom(*app, L"888 poker",
            {.strNickname = L"Hero8", .strFolder = L"/hh/888", .bActive = true});
    ASSERT_TRUE(app->SaveRooms({{L"PokerStars", true}, {L"888 poker", false}}));
    EXPECT_FALSE(app->Rooms().at(L"888 poker").bActive); // the row's check box wins
    EXPECT_EQ(ReadBytes(dir.file("Settings.xml")),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?><Settings><Rooms>\n"
              "<Room Id = \"PokerStars\" active = \"1\"><NickName>Hero</NickName>"
              "<HistoryPath>/hh/stars</HistoryPath>"
              "<CurrencyExchangeRate>1.5000</CurrencyExchangeRate></Room>\n"
              "<Room Id = \"888 poker\" active = \"0\"><NickName>Hero8</NickName>"
              "<HistoryPath>/hh/888</HistoryPath>"
              "<CurrencyExchangeRate>1.0000</CurrencyExchangeRate></Room>\n"
              "</Rooms>\n"
              "\t</Settings>");
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              2); // the rooms file and the log
}

TEST(RoomsFile, LoadingTrimsOneTrailingSeparatorAndFillsMissingParts) {
    TempDir dir;
    WriteBytes(dir.file("Settings.xml"),
               "<?xml version=\"1.0\" encoding=\"utf-8\"?><Settings><Rooms>\n"
               "<Room Id = \"PokerStars\" active = \"1\"><NickName>a</NickName>"
               "<HistoryPath>C:\\HH\\</HistoryPath></Room>\n"
               "<Room Id = \"PokerStars2\" active = \"yes\"><HistoryPath>C:\\HH\\\\</HistoryPath>"
               "<NickName>b</NickName><CurrencyExchangeRate>x</CurrencyExchangeRate></Room>\n"
               "<Room Id = \"UPoker\"><NickName>c</NickName><HistoryPath>/u/</HistoryPath></Room>\n"
               "<Room Id = \"Poker Planet\" active = \"1\"><NickName>d</NickName></Room>\n"
               "<Room Id = \"UPoker\" active = \"1\"><NickName>c2</NickName></Room>\n"
               "</Rooms>\n\t</Settings>");
    auto app = AppIn(dir);
    AddRoom(*app, L"TigerGaming", {}); // whatever was there before is replaced
    ASSERT_TRUE(app->LoadRooms());
    ASSERT_EQ(app->Rooms().size(), 3u);
    const CPokerRoom& a = app->Rooms().at(L"PokerStars");
    EXPECT_EQ(a.strHistoryPath, L"C:\\HH");
    EXPECT_DOUBLE_EQ(a.dExchangeRate, 1.0);
    const CPokerRoom& b = app->Rooms().at(L"PokerStars2");
    EXPECT_EQ(b.nRoomNumber, 3);
    EXPECT_EQ(b.strHistoryPath, L"C:\\HH\\");
    EXPECT_EQ(b.strNickname, L"b"); // the children's order does not matter
    EXPECT_FALSE(b.bActive);
    EXPECT_DOUBLE_EQ(b.dExchangeRate, 0.0);
    // A second Room of a name replaces the first; a missing path is empty.
    const CPokerRoom& c = app->Rooms().at(L"UPoker");
    EXPECT_EQ(c.strNickname, L"c2");
    EXPECT_TRUE(c.bActive);
    EXPECT_EQ(c.strHistoryPath, L"");
    EXPECT_EQ(app->RoomNames().count(L"Poker Planet"), 0u);
    EXPECT_NE(LogOf(dir).find("Room <Poker Planet> in <" + dir.file("Settings.xml") +
                              "> is not a supported room; skipped"),
              std::string::npos);
}

TEST(RoomsFile, AFileWrittenWithoutEscapingStillLoads) {
    TempDir dir;
    WriteBytes(dir.file("Settings.xml"),
               "<?xml version=\"1.0\" encoding=\"utf-8\"?><Settings><Rooms>\n"
               "<Room Id = \"PokerStars\" active = \"1\"><NickName>x<y&z</NickName>"
               "<HistoryPath>C:\\Hands & Co\\</HistoryPath>"
               "<CurrencyExchangeRate>1.1200</CurrencyExchangeRate></Room>\n"
               "<Room Id = \"888 poker\" active = \"0\"><NickName>R&D</NickName>"
               "<HistoryPath>D:\\888</HistoryPath>"
               "<CurrencyExchangeRate>1.0000</CurrencyExchangeRate></Room>\n"
               "</Rooms>\n\t</Settings>");
    auto app = AppIn(dir);
    ASSERT_TRUE(app->LoadRooms());
    ASSERT_EQ(app->Rooms().size(), 2u);
    EXPECT_EQ(app->Rooms().at(L"PokerStars").strNickname, L"x<y&z");
    EXPECT_EQ(app->Rooms().at(L"PokerStars").strHistoryPath, L"C:\\Hands & Co");
    EXPECT_DOUBLE_EQ(app->Rooms().at(L"PokerStars").dExchangeRate, 1.12);
    EXPECT_EQ(app->Rooms().at(L"888 poker").strNickname, L"R&D");
    EXPECT_FALSE(app->Rooms().at(L"888 poker").bActive);
}

TEST(RoomsFile, BrokenOrMissingFilesLeaveNoRoomsAndNeverFail) {
    TempDir dir;
    {
        auto app = AppIn(dir);
        AddRoom(*app, L"PokerStars", {});
        EXPECT_FALSE(app->LoadRooms());
        EXPECT_EQ(app->Rooms().size(), 1u); // a missing file changes nothing
        EXPECT_NE(LogOf(dir).find("File <" + dir.file("Settings.xml") + "> could not be opened!"),
                  std::string::npos);
    }
    for (const std::string& text :
         {std::string(""), std::string("\xEF\xBB\xBF"), std::string("<Settings><Rooms><Room Id="),
          std::string("<Settings><Rooms><Room Id = \"PokerStars\" active = \"1\"><NickName>a"),
          std::string("<Settings/>"), std::string("<Rooms><Room Id=\"Nope\"/></Rooms>"),
          std::string("\x00\x01\xFF<<<>>>&&&", 12), std::string(100000, '<')}) {
        WriteBytes(dir.file("Settings.xml"), text);
        auto app = AppIn(dir);
        AddRoom(*app, L"PokerStars", {});
        EXPECT_TRUE(app->LoadRooms());
        EXPECT_TRUE(app->Rooms().empty()) << text.substr(0, 60);
    }
}

TEST(RoomsFile, AFailedSaveKeepsTheOldFileAndTellsTheUser) {
    TempDir dir;
    twtest::RecordingMessages messages;
    auto app = AppIn(dir);
    app->SetUserMessages(&messages);
    AddRoom(*app, L"PokerStars", {L"Hero", L"/hh"});
    ASSERT_TRUE(app->SaveRooms({{L"PokerStars", true}}));
    const std::string before = ReadBytes(dir.file("Settings.xml"));

    // A disk that fills up during the write: the file size limit makes the
    // write fail part-way.
    AddRoom(*app, L"PokerStars", {std::wstring(4000, L'N'), L"/hh"});
    struct sigaction ignore {
    }, old{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &old);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved_ok = app->SaveRooms({{L"PokerStars", true}});
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &old, nullptr);

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(ReadBytes(dir.file("Settings.xml")), before);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].strText.find(FromUtf8(dir.file("Settings.xml"))),
              std::wstring::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              2); // no temporary file left
    EXPECT_NE(LogOf(dir).find("could not be written"), std::string::npos);
}

TEST(RoomsFile, ControlCharactersAreDroppedAndEveryLoadAndSaveKeepsTheValues) {
    // The nickname as the file holds it, escaped; a NUL or another control
    // character elsewhere must not change how it is read.
    const std::string nickXml = "O&apos;Brien &amp; &lt;Co&gt; &quot;q&quot;";
    const std::wstring nick = L"O'Brien & <Co> \"q\"";
    struct Case {
        const char* name;
        std::string nick, path, otherPath;
        std::wstring wantPath, wantOtherPath;
    } cases[] = {
        {"NUL in a path", nickXml, std::string("/hh/Sta\0rs", 10), "/hh/888", L"/hh/Stars",
         L"/hh/888"},
        {"control characters in the nickname",
         "O&apos;Brien\x01 &amp; &lt;Co&gt;\x1F &quot;q\t&quot;", "/hh/Stars", "/hh/888",
         L"/hh/Stars", L"/hh/888"},
        // A bare "<" makes the file not well-formed: the forgiving reader
        // takes over and must decode the entities all the same.
        {"NUL and a bare angle bracket", nickXml, std::string("/hh/Sta\0rs", 10),
         "D:\\<Hands & Co>", L"/hh/Stars", L"D:\\<Hands & Co>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteBytes(dir.file("Settings.xml"),
                   "<?xml version=\"1.0\" encoding=\"utf-8\"?><Settings><Rooms>\n"
                   "<Room Id = \"PokerStars\" active = \"1\"><NickName>" +
                       c.nick + "</NickName><HistoryPath>" + c.path +
                       "</HistoryPath><CurrencyExchangeRate>1.0000</CurrencyExchangeRate>"
                       "</Room>\n<Room Id = \"888 poker\" active = \"0\"><NickName>" +
                       nickXml + "</NickName><HistoryPath>" + c.otherPath +
                       "</HistoryPath></Room>\n</Rooms>\n\t</Settings>");
        std::string firstSave;
        for (int round = 0; round < 2; ++round) {
            auto app = AppIn(dir);
            ASSERT_TRUE(app->LoadRooms());
            ASSERT_EQ(app->Rooms().size(), 2u);
            EXPECT_EQ(app->Rooms().at(L"PokerStars").strNickname, nick) << "round " << round;
            EXPECT_EQ(app->Rooms().at(L"PokerStars").strHistoryPath, c.wantPath);
            EXPECT_EQ(app->Rooms().at(L"888 poker").strNickname, nick);
            EXPECT_EQ(app->Rooms().at(L"888 poker").strHistoryPath, c.wantOtherPath);
            if (round == 0) {
                EXPECT_NE(LogOf(dir).find("control character"), std::string::npos);
            }
            ASSERT_TRUE(app->SaveRooms({{L"PokerStars", true}, {L"888 poker", false}}));
            const std::string saved = ReadBytes(dir.file("Settings.xml"));
            for (unsigned char b : saved)
                ASSERT_TRUE(b >= 0x20 || b == '\n' || b == '\t') << "byte " << int(b);
            if (round == 0)
                firstSave = saved;
            else
                EXPECT_EQ(saved, firstSave); // nothing grows from one save to the next
        }
    }
}

TEST(RoomsFile, ASaveDropsControlCharactersTypedIntoARoom) {
    TempDir dir;
    auto app = AppIn(dir);
    AddRoom(*app, L"PokerStars", {L"He\x7Fro\n", L"/hh/\x85stars\r"});
    ASSERT_TRUE(app->SaveRooms({{L"PokerStars", true}}));
    EXPECT_EQ(app->Rooms().at(L"PokerStars").strNickname, L"Hero");
    EXPECT_NE(ReadBytes(dir.file("Settings.xml"))
                  .find("<NickName>Hero</NickName><HistoryPath>/hh/stars</HistoryPath>"),
              std::string::npos);
    EXPECT_NE(LogOf(dir).find("control character"), std::string::npos);
}
