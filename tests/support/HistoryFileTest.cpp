#include "support/HistoryFile.h"
#include "support/LogSink.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tw;
using twtest::TempDir;
using twtest::WriteBytes;

namespace {

struct CollectLog : ILogSink {
    std::vector<std::wstring> lines;
    void WriteLogLine(const std::wstring& t) override { lines.push_back(t); }
};

std::vector<std::wstring> ReadAll(const std::string& path, std::int64_t& pos, int* rc = nullptr,
                                  ILogSink* log = nullptr) {
    std::vector<std::wstring> lines;
    int r = ReadHistoryFileEx(FromUtf8(path), pos, lines, kHistoryReadChunk, log);
    if (rc)
        *rc = r;
    return lines;
}

std::string Utf16(const std::wstring& text, bool little) {
    std::string out = little ? std::string("\xFF\xFE", 2) : std::string("\xFE\xFF", 2);
    for (wchar_t c : text) {
        auto put = [&](unsigned u) {
            char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
            out += little ? std::string{lo, hi} : std::string{hi, lo};
        };
        if (c >= 0x10000) {
            unsigned v = static_cast<unsigned>(c) - 0x10000;
            put(0xD800 + (v >> 10));
            put(0xDC00 + (v & 0x3FF));
        } else {
            put(static_cast<unsigned>(c));
        }
    }
    return out;
}

} // namespace

TEST(ReadHistoryFile, DecodesEveryEncodingTheClientsWrite) {
    TempDir dir;
    const std::wstring expectedFirst = L"Hold'em (\u20AC0.05/\u20AC0.10 EUR) \u00E9";
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"utf8", "Hold'em (\xE2\x82\xAC"
                 "0.05/\xE2\x82\xAC"
                 "0.10 EUR) \xC3\xA9\nsecond\n"},
        {"utf8bom", "\xEF\xBB\xBFHold'em (\xE2\x82\xAC"
                    "0.05/\xE2\x82\xAC"
                    "0.10 EUR) \xC3\xA9\r\nsecond\r\n"},
        {"cp1252", "Hold'em (\x80"
                   "0.05/\x80"
                   "0.10 EUR) \xE9\nsecond\n"},
        {"utf16le", Utf16(expectedFirst + L"\r\nsecond\r\n", true)},
        {"utf16be", Utf16(expectedFirst + L"\nsecond\n", false)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir.file(c.name);
        WriteBytes(path, c.bytes);
        std::int64_t pos = 0;
        auto lines = ReadAll(path, pos);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], expectedFirst);
        EXPECT_EQ(lines[1], L"second");
        EXPECT_EQ(pos, static_cast<std::int64_t>(c.bytes.size()));
    }
}

TEST(ReadHistoryFile, ALineStillBeingWrittenWaitsForItsEnd) {
    TempDir dir;
    std::string path = dir.file("h.txt");
    WriteBytes(path, "first\nsec");
    std::int64_t pos = 0;
    auto lines = ReadAll(path, pos);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(pos, 6);
    EXPECT_TRUE(ReadAll(path, pos).empty()); // nothing new is complete
    EXPECT_EQ(pos, 6);
    WriteBytes(path, "ond\r\nthird\n", true);
    lines = ReadAll(path, pos);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], L"second");
    EXPECT_EQ(lines[1], L"third");
}

TEST(ReadHistoryFile, UnendedLastLineIsTakenOnlyWhenAskedFor) {
    TempDir dir;
    std::string path = dir.file("h.txt");
    WriteBytes(path, "a\nlast");
    std::int64_t pos = 0;
    std::vector<std::wstring> lines;
    ASSERT_EQ(ReadHistoryFileEx(FromUtf8(path), pos, lines, 0, nullptr, true), 0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], L"last");
    EXPECT_EQ(pos, 6);
}

TEST(ReadHistoryFile, MiddleOfAWindows1252FileDecodesLikeItsStart) {
    // The start holds a byte that is not UTF-8, so the file is Windows-1252;
    // a later read whose bytes happen to be valid UTF-8 must not switch.
    TempDir dir;
    std::string path = dir.file("h.txt");
    WriteBytes(path, "Table \x80 1\n");
    std::int64_t pos = 0;
    ReadAll(path, pos);
    WriteBytes(path, "caf\xC3\xA9\n", true);
    auto lines = ReadAll(path, pos);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], L"caf\u00C3\u00A9");
}

TEST(ReadHistoryFile, LaterReadOfAUtf8FileKeepsUtf8AndEuroInLaterHandsOfACp1252File) {
    TempDir dir;
    std::string utf8 = dir.file("u.txt");
    WriteBytes(utf8, "plain ascii start\n");
    std::int64_t pos = 0;
    ReadAll(utf8, pos);
    WriteBytes(utf8,
               "\xE2\x82\xAC"
               "5\n",
               true);
    auto lines = ReadAll(utf8, pos);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], L"\u20AC5");

    std::string cp = dir.file("c.txt");
    WriteBytes(cp, "plain ascii start\n");
    pos = 0;
    ReadAll(cp, pos);
    WriteBytes(cp,
               "\x80"
               "5\n",
               true); // a euro sign the way the old clients write it
    lines = ReadAll(cp, pos);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], L"\u20AC5");
}

TEST(ReadHistoryFile, ShorterFileIsReadAgainFromTheStartWithALogLine) {
    TempDir dir;
    std::string path = dir.file("h.txt");
    WriteBytes(path, "one\ntwo\nthree\n");
    std::int64_t pos = 0;
    ReadAll(path, pos);
    WriteBytes(path, "new\n"); // replaced by a shorter file
    CollectLog log;
    auto lines = ReadAll(path, pos, nullptr, &log);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], L"new");
    EXPECT_EQ(pos, 4);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find(L"reading it again from the start"), std::wstring::npos);
}

TEST(ReadHistoryFile, DropsNulBytesAndSurvivesBinaryGarbage) {
    TempDir dir;
    std::string path = dir.file("h.txt");
    WriteBytes(path, std::string("Ga\0me #1\0\n", 10));
    std::int64_t pos = 0;
    auto lines = ReadAll(path, pos);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], L"Game #1");

    std::string garbage;
    std::mt19937 rng(7);
    for (int i = 0; i < 200000; ++i)
        garbage.push_back(static_cast<char>(rng()));
    WriteBytes(path, garbage);
    pos = 0;
    int rc = -1;
    lines = ReadAll(path, pos, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_GT(lines.size(), 0u);
    EXPECT_LE(pos, static_cast<std::int64_t>(garbage.size()));
}

TEST(ReadHistoryFile, LongLinesEmptyFilesAndMissingFiles) {
    TempDir dir;
    std::string path = dir.file("big.txt");
    std::string big(1 << 20, 'x');
    WriteBytes(path, big + "\nafter\n");
    std::int64_t pos = 0;
    std::vector<std::wstring> lines;
    // A chunk smaller than the line still returns the whole line.
    ASSERT_EQ(ReadHistoryFileEx(FromUtf8(path), pos, lines, 4096), 0);
    ASSERT_GE(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), big.size());

    std::string empty = dir.file("empty.txt");
    WriteBytes(empty, "");
    pos = 0;
    int rc = -1;
    EXPECT_TRUE(ReadAll(empty, pos, &rc).empty());
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(pos, 0);

    pos = 0;
    ReadAll(dir.file("missing.txt"), pos, &rc);
    EXPECT_EQ(rc, ENOENT);
}

TEST(ReadHistoryFile, ChunkedReadsReturnEveryLineOnce) {
    TempDir dir;
    std::string path = dir.file("h.txt");
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "line " + std::to_string(i) + "\n";
    WriteBytes(path, text);
    std::int64_t pos = 0;
    std::vector<std::wstring> all;
    for (int guard = 0; guard < 10000 && pos < static_cast<std::int64_t>(text.size()); ++guard)
        ASSERT_EQ(ReadHistoryFileEx(FromUtf8(path), pos, all, 1000), 0);
    ASSERT_EQ(all.size(), 5000u);
    EXPECT_EQ(all[4999], L"line 4999");
    EXPECT_EQ(all[1234], L"line 1234");
}

TEST(ReadHistoryFile, FoldersFifosSocketsAndDevicesAreRefusedWithoutBlocking) {
    TempDir dir;
    const std::string folder = dir.file("folder.txt"), fifo = dir.file("fifo.txt"),
                      sock = dir.file("socket.txt");
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    // A writer holds the FIFO open, so that even a read that wrongly opens
    // it cannot hang the test.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(sock.size(), sizeof addr.sun_path);
    std::strcpy(addr.sun_path, sock.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);

    const struct {
        std::string path;
        int want;
    } cases[] = {{folder, EISDIR},
                 {fifo, kHistoryNotAFile},
                 {sock, kHistoryNotAFile},
                 {"/dev/null", kHistoryNotAFile}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(CheckHistoryFile(FromUtf8(c.path)), c.want);
        EXPECT_EQ(HistoryFileSize(FromUtf8(c.path)), -1);
        std::int64_t pos = 0;
        int rc = 0;
        EXPECT_TRUE(ReadAll(c.path, pos, &rc).empty());
        EXPECT_EQ(rc, c.want);
        EXPECT_EQ(pos, 0);
    }
    ::close(writer);
    ::close(listener);
}
