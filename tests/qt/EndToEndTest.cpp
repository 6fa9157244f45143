// The program's whole road of a hand: a client appends hands to a history file
// in a watched folder; the real watcher reports it, the notice is delivered on
// the user-interface thread, the hands are read and counted, and the session
// window shows them at its next tick.
#include "bench/gen/PokerStarsGen.h"
#include "tests/qt/WindowFixture.h"
#include "ui/DelayedNotificationWindow.h"
#include "watch/RoomWatches.h"

#include <QCoreApplication>
#include <chrono>
#include <filesystem>
#include <thread>

using namespace tw;

namespace {

class EndToEnd : public twtest::WindowTest {
protected:
    // The window as main() wires it to the room watches.
    void OpenWatching() {
        std::filesystem::create_directories(dir.path() / "hh");
        CPokerRoom& room = app->mapRooms[L"PokerStars"];
        room.nRoomNumber = kRoomPokerStars;
        room.strNickname = L"HERO";
        room.strHistoryPath = FromUtf8((dir.path() / "hh").string());
        app->SetRates(L"1.00", L"1.12", L"1.42");
        watches = std::make_unique<CRoomWatches>(*app, app->historyReader,
                                                 CDelayedNotificationWindow::Factory());
        Open();
        dlg->fnStartWatches = [this] { watches->StartWatches(std::time(nullptr)); };
        dlg->fnStopWatches = [this] { watches->StopWatches(); };
        dlg->fnIdleTick = [this] {
            app->historyReader.FlushIdle(CHistoryFileReader::Clock::now());
        };
    }

    // Runs the user-interface thread's events until `hands` are counted; the
    // deadline only ends a test that failed.
    void PumpUntil(int hands) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (app->nTotalHands < hands && std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    void TearDown() override {
        dlg.reset();
        watches.reset();
    }

    std::unique_ptr<CRoomWatches> watches;
};

} // namespace

TEST_F(EndToEnd, HandsAppendedToAWatchedFileShowAtTheNextTick) {
    OpenWatching();
    dlg->StartSession();
    EXPECT_EQ(Text(kCtlHands), QStringLiteral("0"));

    const auto gen = twgen::GeneratePokerStars(7, 99);
    const std::string file = (dir.path() / "hh" / "HH20261208 Table.txt").string();
    // Written in two pieces, the first ending inside a hand.
    const std::size_t cut = gen.text.size() / 2 + 13;
    twtest::WriteBytes(file, gen.text.substr(0, cut));
    QCoreApplication::processEvents();
    twtest::WriteBytes(file, gen.text.substr(cut), true);
    PumpUntil(gen.hands);
    ASSERT_EQ(app->nTotalHands, gen.hands);

    Tick();
    EXPECT_EQ(Text(kCtlHands), QString::number(gen.hands));
    char money[32];
    std::snprintf(money, sizeof money, "%.2f", gen.heroCents / 100.0);
    EXPECT_EQ(Text(kCtlMoney), QString::fromLatin1(money));

    dlg->StopSession();
    EXPECT_EQ(watches->WatchCount(), 0u);
}
