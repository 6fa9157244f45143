#include "support/SupportLib.h"
#include "support/StdioFileEx.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace tw;
using twtest::ReadBytes;
using twtest::TempDir;
using twtest::WriteBytes;

TEST(TrimLogFile, KeepsTheLastPartFromALineStartOnlyWhenTooLarge) {
    TempDir dir;
    std::string path = dir.file("Tarnwick.log");
    std::string text;
    for (int i = 0; text.size() < 250000; ++i)
        text += "line number " + std::to_string(i) + "\n";
    WriteBytes(path, text);
    ASSERT_TRUE(TrimLogFile(FromUtf8(path), 80000, 200000));
    std::string kept = ReadBytes(path);
    EXPECT_LE(kept.size(), 80000u);
    EXPECT_GT(kept.size(), 79000u);
    EXPECT_EQ(kept.rfind("line number ", 0), 0u); // starts at a whole line
    EXPECT_EQ(text.substr(text.size() - kept.size()), kept);

    std::string small(150000, 'a');
    WriteBytes(path, small);
    ASSERT_TRUE(TrimLogFile(FromUtf8(path), 80000, 200000));
    EXPECT_EQ(ReadBytes(path).size(), small.size());
    EXPECT_TRUE(TrimLogFile(FromUtf8(dir.file("none.log")), 80000, 200000));
}

TEST(GetDataFromXML, ReturnsInnerMarkupOfTheNamedElementOnly) {
    std::wstring xml = L"<session><gametype>Holdem</gametype><general><nickname>Hero</nickname>"
                       L"<currency>EUR</currency></general></session>";
    EXPECT_EQ(GetDataFromXML(xml, L"general"),
              L"<nickname>Hero</nickname><currency>EUR</currency>");
    EXPECT_EQ(GetDataFromXML(xml, L"game"), L""); // <gametype> is another element
    EXPECT_EQ(GetDataFromXML(xml, L"currency"), L"EUR");
    EXPECT_EQ(GetDataFromXML(L"<general><a>1</a>", L"general"), L""); // never closed
    EXPECT_EQ(GetDataFromXML(L"<x attr=\"1\">v</x>", L"x"), L"v");
}

TEST(ModSse2, IsTheRemainderAndNeverTraps) {
    EXPECT_EQ(mod_SSE2(17, 5), 2);
    EXPECT_EQ(mod_SSE2(-17, 5), -2);
    EXPECT_EQ(mod_SSE2(17, 0), 0);
    EXPECT_EQ(mod_SSE2(INT64_MIN, -1), 0);
}

TEST(StdioFileEx, WritesAndReadsUtf8Lines) {
    TempDir dir;
    std::wstring path = FromUtf8(dir.file("t.txt"));
    CStdioFileEx f;
    f.SetCodePage(65001);
    ASSERT_TRUE(f.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite));
    ASSERT_TRUE(f.WriteString(L"H\u00E9ro & <\u20AC>\nsecond\r\n"));
    f.Close();
    ASSERT_TRUE(f.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText));
    std::wstring line;
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, L"H\u00E9ro & <\u20AC>");
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, L"second");
    EXPECT_FALSE(f.ReadString(line));
    EXPECT_FALSE(f.Open(FromUtf8(dir.file("no/such/dir/x.txt")), CStdioFileEx::modeRead));
}

TEST(GetExecDir, IsAnExistingFolderWithoutATrailingSlash) {
    std::wstring d = GetExecDir();
    ASSERT_FALSE(d.empty());
    EXPECT_NE(d.back(), L'/');
    EXPECT_TRUE(std::filesystem::is_directory(ToUtf8(d)));
}
