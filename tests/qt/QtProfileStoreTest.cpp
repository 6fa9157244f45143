#include "ui/QtProfileStore.h"
#include "app/TarnwickApp.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

using namespace tw;
using twtest::ReadBytes;
using twtest::TempDir;
using twtest::WriteBytes;

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::unique_ptr<CTarnwickApp> StartWith(const TempDir& dir, IProfileStore& profile) {
    CTarnwickApp::Options o;
    o.strExecDir = FromUtf8(dir.path().string());
    auto app = std::make_unique<CTarnwickApp>(o);
    app->SetProfileStore(&profile);
    app->InitInstance();
    return app;
}

} // namespace

TEST(QtProfileStore, ValuesReadBackFromTheFileAreConverted) {
    TempDir dir;
    const std::string path = dir.file("tarnwick.conf");
    {
        auto store = CQtProfileStore::FromIniFile(Q(path));
        ASSERT_TRUE(store->WriteProfileInt(L"View", L"ColorBg", 0x37323D));
        ASSERT_TRUE(store->WriteProfileInt(L"Alarm2", L"AlarmLossBB", -30));
        ASSERT_TRUE(store->WriteProfileString(L"Alarm", L"Sound", L"/snd/a,b@x=\"y\".wav"));
        ASSERT_TRUE(store->WriteProfileString(L"Currency", L"EUR_K", L"1.12"));
        ASSERT_TRUE(store->WriteProfileString(L"Alarm", L"Param", L"@1:700"));
    }
    auto store = CQtProfileStore::FromIniFile(Q(path)); // as a new process sees it
    EXPECT_EQ(store->GetProfileInt(L"View", L"ColorBg", 0), 0x37323D);
    EXPECT_EQ(store->GetProfileInt(L"Alarm2", L"AlarmLossBB", 0), -30);
    EXPECT_EQ(store->GetProfileInt(L"View", L"Missing", 42), 42);
    EXPECT_EQ(store->GetProfileString(L"Alarm", L"Sound", L""), L"/snd/a,b@x=\"y\".wav");
    EXPECT_EQ(store->GetProfileString(L"Alarm", L"Param", L""), L"@1:700");
    EXPECT_EQ(store->GetProfileInt(L"Currency", L"EUR_K", 7), 7); // not an integer
}

TEST(QtProfileStore, AHandEditedProfileStartsWithUsableValues) {
    TempDir dir;
    const std::string path = dir.file("tarnwick.conf");
    WriteBytes(path, "[View]\n"
                     "Opacity=abc\n"
                     "ColorBg=0x102030\n"
                     "ColorText=1,2,3\n"
                     "[Alarm]\n"
                     "Param=1,800\n"
                     "[Alarm3]\n"
                     "Param=1:90\n"
                     "[Currency]\n"
                     "Cur=@Variant(\\0\\0\\0\\x7f)\n"
                     "USD_K=\"1.05\"\n"
                     "GBP_K=\n"
                     "[[broken\n"
                     "=\n");
    auto store = CQtProfileStore::FromIniFile(Q(path));
    auto app = StartWith(dir, *store);
    EXPECT_EQ(app->View().nOpacity, 100);
    EXPECT_EQ(app->View().nColorBg, 0x102030);
    EXPECT_EQ(app->View().nColorText, 0xFFFFFF);
    EXPECT_EQ(app->Alarms().bHandsAlarm, 1); // "1,800" has no ':' after the first number
    EXPECT_EQ(app->Alarms().nHandsLimit, 700);
    EXPECT_EQ(app->Alarms().strAlarmTime, L"01:30");
    EXPECT_EQ(app->DisplayCurrency(), kCurrencyUSD);
    EXPECT_DOUBLE_EQ(app->RateOf(kCurrencyUSD), 1.05);
    EXPECT_DOUBLE_EQ(app->RateOf(kCurrencyGBP), 1.42);

    // Saving over it writes every option back in readable form.
    ASSERT_TRUE(app->SaveProfileSettings());
    store.reset();
    auto reread = CQtProfileStore::FromIniFile(Q(path));
    auto again = StartWith(dir, *reread);
    EXPECT_EQ(again->View().nColorBg, 0x102030);
    EXPECT_EQ(again->Alarms().bHandsAlarm, 1);
    EXPECT_EQ(again->Alarms().nTimeLimit, 90);
    EXPECT_DOUBLE_EQ(again->RateOf(kCurrencyUSD), 1.05);
    EXPECT_EQ(reread->GetProfileString(L"Alarm2", L"Param", L""), L"0:1000.00:-1000.00");
}

TEST(QtProfileStore, AProfileThatCannotBeWrittenSaysSo) {
    TempDir dir;
    WriteBytes(dir.file("plain"), "x");
    auto store = CQtProfileStore::FromIniFile(Q(dir.file("plain/sub/tarnwick.conf")));
    EXPECT_FALSE(store->WriteProfileInt(L"View", L"Opacity", 50));
    EXPECT_EQ(store->GetProfileInt(L"View", L"Size", 1), 1);
}
