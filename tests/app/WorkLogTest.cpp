#include "app/WorkLog.h"
#include "app/TarnwickApp.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace tw;
using twtest::ReadBytes;
using twtest::TempDir;

namespace {

std::time_t FixedTime() {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 1; // February
    t.tm_mday = 3;
    t.tm_hour = 4;
    t.tm_min = 5;
    t.tm_sec = 6;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

CTarnwickApp::Options At(const TempDir& dir) {
    CTarnwickApp::Options o;
    o.strExecDir = FromUtf8(dir.path().string());
    o.clock = FixedTime;
    return o;
}

const std::string kDashes(59, '-');
const std::string kEnd =
    "\n------------- End of work ---------------------------------------------\n";

} // namespace

TEST(WorkLog, FirstRunCreatesTheLogWithTheBannerAndLinesCarryTheirTime) {
    TempDir dir;
    {
        CTarnwickApp app(At(dir));
        ASSERT_TRUE(app.bLogOpen());
        app.WriteLogLine(L"Room is not found by history = /x/y.txt");
    }
    std::string log = ReadBytes(dir.file("Tarnwick.log"));
    std::string banner = "\n" + kDashes + "\n\nCreation date:  26.02.2021\nVersion number: v3.1\n";
    EXPECT_EQ(log.rfind(banner, 0), 0u) << log;
    EXPECT_NE(log.find("03.02.2026  04:05:06  Room is not found by history = /x/y.txt\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.substr(log.size() - kEnd.size()), kEnd);
}

TEST(WorkLog, TwoRunsAppendInOrder) {
    TempDir dir;
    { CTarnwickApp first(At(dir)); }
    { CTarnwickApp second(At(dir)); }
    std::string log = ReadBytes(dir.file("Tarnwick.log"));
    std::size_t banner1 = log.find(kDashes);
    std::size_t end1 = log.find(kEnd);
    std::size_t banner2 = log.find(kDashes, end1 + kEnd.size());
    std::size_t end2 = log.rfind(kEnd);
    ASSERT_NE(banner2, std::string::npos);
    EXPECT_LT(banner1, end1);
    EXPECT_LT(end1, banner2);
    EXPECT_LT(banner2, end2);
}

TEST(WorkLog, AMessageEndingInALineFeedLeavesAnEmptyLineAndTheRunHeaderHasNoPrefix) {
    TempDir dir;
    CWorkLog log;
    log.SetClock(FixedTime);
    ASSERT_TRUE(log.OpenLog(FromUtf8(dir.path().string())));
    log.WriteLogLine(L"AlarmMessage: Hand=1  Time=0 Debug = 0\n");
    log.WriteRunHeader(L"/opt/tarnwick/tarnwick");
    log.Close();
    EXPECT_EQ(ReadBytes(dir.file("Tarnwick.log")),
              "03.02.2026  04:05:06  AlarmMessage: Hand=1  Time=0 Debug = 0\n\n"
              "03.02.2026  04:05:06\n/opt/tarnwick/tarnwick\n");
}

TEST(WorkLog, ALogThatCannotBeOpenedMeansNoLogAndNoError) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "Tarnwick.log"); // not a file
    CTarnwickApp app(At(dir));
    EXPECT_FALSE(app.bLogOpen());
    app.WriteLogLine(L"goes nowhere"); // must not throw or crash
}

TEST(WorkLog, ALargeLogIsTrimmedBeforeTheNewBanner) {
    TempDir dir;
    twtest::WriteBytes(dir.file("Tarnwick.log"), std::string(300000, 'o') + "\nold tail line\n");
    { CTarnwickApp app(At(dir)); }
    std::string log = ReadBytes(dir.file("Tarnwick.log"));
    EXPECT_LT(log.size(), 81000u);
    EXPECT_EQ(log.rfind("old tail line\n\n" + kDashes, 0), 0u);
}
