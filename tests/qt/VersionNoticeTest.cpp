#include "update/VersionNotice.h"
#include "app/TarnwickApp.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"
#include "tests/app/FakeMessages.h"
#include "tests/qt/LoopbackHttpServer.h"
#include "update/InternetFile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

using namespace tw;
using twtest::LoopbackHttpServer;
using twtest::ReadBytes;
using twtest::TempDir;
using twtest::WriteBytes;

namespace {

std::string List(const std::string& date, const std::string& version) {
    return "[Tarnwick]\r\ndate=" + date + "\r\nversion=" + version + "\r\n";
}

using Lines = std::vector<std::string>;

class VersionNotice : public ::testing::Test {
protected:
    void SetUp() override {
        CTarnwickApp::Options o;
        o.strExecDir = FromUtf8(dir.path().string());
        o.pMessages = &messages;
        o.bRussianLocale = russian;
        app = std::make_unique<CTarnwickApp>(o);
        texts = ProgramNoticeTexts(false);
        texts.strListUrl = server.Url("/ToolList.txt");
        texts.strNewUrl = server.Url("/new.zip");
    }

    int Check() { return CheckVersion(*app, internet, texts); }
    bool Exists(const std::string& name) const {
        return std::filesystem::exists(dir.path() / name);
    }
    // The "VerComparison" lines of the log, without their time, in order.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> out;
        std::string log = ReadBytes(dir.file("Tarnwick.log"));
        std::size_t at = 0;
        while ((at = log.find("VerComparison: ", at)) != std::string::npos) {
            std::size_t end = log.find('\n', at);
            out.push_back(log.substr(at + 15, end - at - 15));
            at = end;
        }
        return out;
    }

    bool russian = false;
    TempDir dir;
    LoopbackHttpServer server;
    twtest::RecordingMessages messages;
    CQtInternetFile internet;
    std::unique_ptr<CTarnwickApp> app;
    NoticeTexts texts;
};

} // namespace

TEST(VersionCompare, NewerByVersionThenByDateAndNeverForUnreadableEntries) {
    struct Case {
        const wchar_t* date;
        const wchar_t* version;
        bool newer;
    } cases[] = {
        {L"26.02.2021", L"3.1", false},
        {L"27.02.2021", L"3.1", true},
        {L"25.02.2021", L"3.1", false},
        {L"1.3.2021", L"3.1", true},
        {L"01.01.2030", L"3.0", false},
        {L"01.01.2000", L"3.2", true},
        {L"26.02.2021", L"4.0", true},
        {L"26.02.2021", L"2.9", false},
        {L"26.02.2021", L"3.10", true},
        {L" 27.02.2021 ", L" 3.1 ", true},
        {L"", L"", false},
        {L"27.02.2021", L"", false},
        {L"", L"3.2", false},
        {L"31.02.2022", L"3.2", false},
        {L"29.02.2024", L"3.2", true},
        {L"29.02.2023", L"3.2", false},
        {L"01.01.1969", L"3.2", false},
        {L"27.02.2021", L"v3.2", false},
        {L"27.02.2021", L"3", false},
        {L"27.02.2021", L"99999999999.0", false},
        {L"2021-02-27", L"3.2", false},
        {L"27.02.2021 junk", L"3.2", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsPublishedNewer(c.date, c.version), c.newer)
            << ToUtf8(c.date) << " / " << ToUtf8(c.version);
}

TEST(VersionCompare, TheProgramsStoredTextsDecipherForBothLanguages) {
    const NoticeTexts en = ProgramNoticeTexts(false), ru = ProgramNoticeTexts(true);
    EXPECT_TRUE(StartsWith(en.strListUrl, L"https://")) << ToUtf8(en.strListUrl);
    EXPECT_EQ(en.strListUrl, ru.strListUrl);
    EXPECT_TRUE(EndsWith(en.strNewUrl, en.strNewFileName));
    EXPECT_TRUE(EndsWith(ru.strNewUrl, ru.strNewFileName));
    EXPECT_NE(en.strNewUrl, ru.strNewUrl);
    EXPECT_EQ(en.strSection, L"Tarnwick");
    EXPECT_EQ(en.strNewFileName.find_first_of(L"/\\"), std::wstring::npos);
    EXPECT_NE(en.strAskText.find(L"new version"), std::wstring::npos) << ToUtf8(en.strAskText);
    EXPECT_NE(ru.strAskText.find(L"новая версия"), std::wstring::npos) << ToUtf8(ru.strAskText);
    for (const std::wstring* t : {&ru.strAskCaption, &ru.strFailedText, &ru.strDoneText})
        EXPECT_NE(t->find_first_of(L"абвгдеёжзийклмнопрстуфхцчшщыьэюя"), std::wstring::npos);
}

TEST_F(VersionNotice, ANewerVersionIsOfferedAndDownloadedOnYes) {
    server.Set("/ToolList.txt", {200, List("01.03.2021", "3.2")});
    server.Set("/new.zip", {200, std::string("PK\x03\x04 new version", 17)});
    messages.answers = {kIdYes, kIdOk};
    EXPECT_EQ(Check(), kNoticeDownloaded);
    EXPECT_EQ(ReadBytes(dir.file("TarnwickNew.zip")), std::string("PK\x03\x04 new version", 17));
    EXPECT_FALSE(Exists("ToolList.txt"));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].strText, texts.strAskText);
    EXPECT_EQ(messages.shown[0].nStyle, 0x00052044u);
    EXPECT_EQ(messages.shown[0].nTimeoutMs, 20000);
    EXPECT_EQ(messages.shown[1].nStyle, 0x00052040u);
    EXPECT_NE(messages.shown[1].strText.find(FromUtf8(dir.file("TarnwickNew.zip"))),
              std::wstring::npos);
    EXPECT_EQ(LogLines(), (Lines{"0", "S_OK", "k = 1", "New", "S_OK", "return 2"}));
}

TEST_F(VersionNotice, NoAnswerWithinTheTimeMeansNoAndNothingIsDownloaded) {
    server.Set("/ToolList.txt", {200, List("27.02.2021", "3.1")});
    server.Set("/new.zip", {200, "should not be fetched"});
    EXPECT_EQ(Check(), kNoticeDeclined); // the recorded box times out
    messages.answers = {kIdNo};
    EXPECT_EQ(Check(), kNoticeDeclined);
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_FALSE(Exists("TarnwickNew.zip"));
    EXPECT_FALSE(Exists("ToolList.txt"));
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/ToolList.txt", "/ToolList.txt"}));

    // Without any way to show a box the answer cannot be yes either.
    app->SetUserMessages(nullptr);
    EXPECT_EQ(Check(), kNoticeDeclined);
}

TEST_F(VersionNotice, AnOlderOrUnreadableListAsksNothingAndLeavesNoListBehind) {
    server.Set("/ToolList.txt", {200, List("01.01.2030", "3.0")});
    EXPECT_EQ(Check(), kNoticeNotNewer);
    server.Set("/ToolList.txt", {200, std::string("\x00\xFF garbage \r\n[[[", 17)});
    EXPECT_EQ(Check(), kNoticeNotNewer);
    server.Set("/ToolList.txt", {200, "[Other]\ndate=01.01.2030\nversion=9.0\n"});
    EXPECT_EQ(Check(), kNoticeNotNewer);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(Exists("ToolList.txt"));
    EXPECT_EQ(LogLines(), (Lines{"0", "S_OK", "k = 0", "return 0", "0", "S_OK", "k = 0", "return 0",
                                 "0", "S_OK", "k = 0", "return 0"}));
}

TEST_F(VersionNotice, FailedDownloadsAreLoggedAndALeftoverListIsNeverRead) {
    // A list from an earlier run that died before removing it.
    WriteBytes(dir.file("ToolList.txt"), List("01.01.2030", "9.9"));
    server.Set("/ToolList.txt", {404, "gone"});
    EXPECT_EQ(Check(), kNoticeNotNewer);
    EXPECT_FALSE(Exists("ToolList.txt"));
    EXPECT_TRUE(messages.shown.empty());

    server.Set("/ToolList.txt", {200, List("26.02.2021", "3.5")});
    server.Set("/new.zip", {500, "broken"});
    messages.answers = {kIdYes};
    EXPECT_EQ(Check(), kNoticeNotNewer);
    EXPECT_FALSE(Exists("TarnwickNew.zip"));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].strText, texts.strFailedText);
    EXPECT_EQ(messages.shown[1].nStyle, 0x00052040u);
    EXPECT_EQ(LogLines(), (Lines{"0", "FAILED", "0", "S_OK", "k = 1", "New", "FAILED"}));
}

TEST(InternetFile, SavesOnlyWholeSuccessfulAnswersWithinTheirLimits) {
    TempDir dir;
    LoopbackHttpServer server;
    CQtInternetFile internet;
    const DownloadLimits limits{2000, 300, 1000};
    const std::wstring target = FromUtf8(dir.file("got.txt"));

    server.Set("/ok", {200, "hello"});
    ASSERT_TRUE(internet.GetInternetFile(server.Url("/ok"), target, limits));
    EXPECT_EQ(ReadBytes(dir.file("got.txt")), "hello");

    // Failures never leave a file, and never touch one already there.
    server.Set("/big", {200, std::string(5000, 'x')});
    server.Set("/hang", {200, "", true});
    EXPECT_FALSE(internet.GetInternetFile(server.Url("/missing"), target, limits));
    EXPECT_FALSE(internet.GetInternetFile(server.Url("/big"), target, limits));
    EXPECT_FALSE(internet.GetInternetFile(server.Url("/hang"), target, limits));
    EXPECT_FALSE(internet.GetInternetFile(L"file:///etc/hostname", target, limits));
    EXPECT_FALSE(internet.GetInternetFile(L"http://127.0.0.1:1/x", target, limits));
    EXPECT_EQ(ReadBytes(dir.file("got.txt")), "hello");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(Startup, TheVersionNoticeRunsAtTheEndOfConstructionWithTheRussianVariant) {
    TempDir dir;
    CTarnwickApp::Options o;
    o.strExecDir = FromUtf8(dir.path().string());
    o.bRussianLocale = true;
    std::vector<std::string> seen;
    o.fnVersionNotice = [&](CTarnwickApp& app) {
        // By now the log is open and the settings file has been read.
        seen.push_back(ReadBytes(dir.file("Tarnwick.log")));
        return app.bRussianLocale;
    };
    {
        CTarnwickApp app(o);
        EXPECT_EQ(seen.size(), 1u);
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NE(seen[0].find("Version number: v3.1\n"), std::string::npos);
    EXPECT_NE(seen[0].find("AlarmMessage: Hand=0  Time=0 Debug = 0"), std::string::npos);
}
