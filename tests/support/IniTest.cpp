#include "support/Ini.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>

using namespace tw;
using twtest::ReadBytes;
using twtest::TempDir;
using twtest::WriteBytes;

namespace {

CIni IniAt(const std::string& path) {
    return CIni(FromUtf8(path));
}

} // namespace

TEST(Ini, FindsSectionsAndKeysWhateverTheirCaseTrimmedAndUnquoted) {
    TempDir dir;
    const std::string path = dir.file("Tarnwick.ini");
    WriteBytes(path, "; hand-edited\r\n"
                     "[debug]\r\n"
                     "  DEBUG =  7  \r\n"
                     "[ Bankroll ]\r\n"
                     "use=1\r\n"
                     "Total = \"1000.25\"\r\n"
                     ";Total=5\r\n"
                     "[Bankroll]\r\n" // a second section of the name is never read
                     "Total=99\r\n"
                     "Other=x\r\n");
    CIni ini = IniAt(path);
    EXPECT_EQ(ini.ReadInteger(L"Debug", L"Debug"), 7);
    EXPECT_EQ(ini.ReadInteger(L"Bankroll", L"Use"), 1);
    EXPECT_EQ(ini.ReadText(L"Bankroll", L"Total"), L"1000.25");
    EXPECT_DOUBLE_EQ(ini.ReadDouble(L"Bankroll", L"Total", -1), 1000.25);
    EXPECT_EQ(ini.ReadText(L"Bankroll", L"Other", L"none"), L"none");
    EXPECT_EQ(ini.ReadText(nullptr, L"Total", L"dflt"), L"dflt");
    EXPECT_EQ(ini.ReadText(L"Bankroll", nullptr), L"");
    EXPECT_EQ(CIni().ReadText(L"Debug", L"Debug", L"d"), L"d");
}

TEST(Ini, NumbersConvertTheirLeadingPartOrGiveZeroAndEmptyDoublesTheDefault) {
    TempDir dir;
    const std::string path = dir.file("t.ini");
    WriteBytes(path, "[N]\n"
                     "minus=-1\n"
                     "trail=7x\n"
                     "lead=x7\n"
                     "empty=\n"
                     "huge=99999999999\n"
                     "d=1250.5\n"
                     "dexp=1e3\n"
                     "dword=abc\n"
                     "dcomma=12,5\n");
    CIni ini = IniAt(path);
    EXPECT_EQ(ini.ReadInteger(L"N", L"minus"), -1);
    EXPECT_EQ(ini.ReadInteger(L"N", L"trail"), 7);
    EXPECT_EQ(ini.ReadInteger(L"N", L"lead"), 0);
    EXPECT_EQ(ini.ReadInteger(L"N", L"empty"), 0);
    EXPECT_EQ(ini.ReadInteger(L"N", L"missing"), 0);
    EXPECT_EQ(ini.ReadInteger(L"N", L"huge"), -1); // saturates at 0xFFFFFFFF
    EXPECT_DOUBLE_EQ(ini.ReadDouble(L"N", L"d", 0), 1250.5);
    EXPECT_DOUBLE_EQ(ini.ReadDouble(L"N", L"dexp", 0), 1000.0);
    EXPECT_DOUBLE_EQ(ini.ReadDouble(L"N", L"dword", 5), 0.0);
    EXPECT_DOUBLE_EQ(ini.ReadDouble(L"N", L"dcomma", 5), 12.0);
    EXPECT_DOUBLE_EQ(ini.ReadDouble(L"N", L"empty", 5), 5.0);
    EXPECT_DOUBLE_EQ(ini.ReadDouble(L"N", L"missing", 5), 5.0);
}

TEST(Ini, WritingAKeyChangesOnlyItsLineAndKeepsCommentsAndLineEnds) {
    TempDir dir;
    const std::string path = dir.file("Tarnwick.ini");
    const std::string before = "; my settings\r\n"
                               "[Debug]\r\n"
                               "Debug=0 ; off\r\n"
                               "\r\n"
                               "[BANKROLL]\r\n"
                               "Use=1\r\n"
                               "total=1000\r\n"
                               "\r\n"
                               "[AlarmMessage]\r\n"
                               "Hand=1\r\n";
    WriteBytes(path, before);
    CIni ini = IniAt(path);
    ASSERT_EQ(ini.WriteTotal(1250.5), 0);
    std::string expected = before;
    expected.replace(expected.find("total=1000"), 10, "Total=1250.500000");
    EXPECT_EQ(ReadBytes(path), expected);

    // A new key goes to the end of its section, a new section to the end.
    ASSERT_EQ(ini.WriteText(L"Debug", L"Level", L"2"), 0);
    ASSERT_EQ(ini.WriteText(L"New", L"Key", L"v"), 0);
    expected.replace(expected.find("Debug=0 ; off\r\n") + 15, 0, "Level=2\r\n");
    expected += "\r\n[New]\r\nKey=v\r\n";
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(ini.ReadText(L"Debug", L"Level"), L"2");
}

TEST(Ini, WritesIntoNewAndUnterminatedFilesAndRefusesWhatCannotBeOneLine) {
    TempDir dir;
    const std::string fresh = dir.file("fresh.ini");
    ASSERT_EQ(IniAt(fresh).WriteTotal(-3.25), 0);
    EXPECT_EQ(ReadBytes(fresh), "[Bankroll]\nTotal=-3.250000\n");

    const std::string open = dir.file("open.ini");
    WriteBytes(open, "[Bankroll]\nUse=1");
    ASSERT_EQ(IniAt(open).WriteTotal(5), 0);
    EXPECT_EQ(ReadBytes(open), "[Bankroll]\nUse=1\nTotal=5.000000\n");

    WriteBytes(open, "[Bankroll]\nTotal=1");
    ASSERT_EQ(IniAt(open).WriteTotal(2), 0);
    EXPECT_EQ(ReadBytes(open), "[Bankroll]\nTotal=2.000000");

    const std::string kept = ReadBytes(open);
    EXPECT_EQ(IniAt(open).WriteText(L"Bankroll", L"Total", L"1\n[Debug]\nDebug=1"), EINVAL);
    EXPECT_EQ(IniAt(open).WriteText(L"Bank]roll", L"Total", L"1"), EINVAL);
    EXPECT_EQ(IniAt(open).WriteText(L"Bankroll", L"To=tal", L"1"), EINVAL);
    EXPECT_EQ(ReadBytes(open), kept);

    // A folder that does not exist: an error, and nothing left behind.
    EXPECT_NE(IniAt(dir.file("no/such/dir.ini")).WriteTotal(1), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              2);
}

TEST(Ini, ReadsUtf16AndWindows1252FilesAndKeepsAUtf8ByteOrderMark) {
    TempDir dir;
    const std::string u16 = dir.file("u16.ini");
    const std::u16string text = u"[Alarm]\r\nSound=C:\\Звук\\a.wav\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    WriteBytes(u16, bytes);
    EXPECT_EQ(IniAt(u16).ReadText(L"alarm", L"sound"), L"C:\\Звук\\a.wav");

    const std::string cp = dir.file("cp.ini");
    WriteBytes(cp, "[A]\nName=caf\xE9 \x80\n");
    EXPECT_EQ(IniAt(cp).ReadText(L"A", L"Name"), L"café €");

    const std::string bom = dir.file("bom.ini");
    WriteBytes(bom, "\xEF\xBB\xBF[Bankroll]\nTotal=1\n");
    ASSERT_EQ(IniAt(bom).WriteTotal(2), 0);
    EXPECT_EQ(ReadBytes(bom), "\xEF\xBB\xBF[Bankroll]\nTotal=2.000000\n");
}
