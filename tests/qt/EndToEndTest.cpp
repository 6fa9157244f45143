// The program's whole road of a hand: a client appends hands to a history file
// in a watched folder; the real watcher reports it, the notice is delivered on
// the user-interface thread, the hands are read and counted, and the session
// window shows them at its next tick.
#include "gen/PokerStarsGen.h"
#include "tests/qt/WindowFixture.h"
#include "ui/DelayedNotificationWindow.h"
#include "watch/RoomWatches.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

using namespace tw;

namespace {

class EndToEnd : public twtest::WindowTest {
protected:
    // The window as main() wires it to the room watches.
    void OpenWatching() {
        std::filesystem::create_directories(dir.path() / "hh");
        twtest::AddRoom(*app, L"PokerStars", {L"HERO", FromUtf8((dir.path() / "hh").string())});
        app->SetRates(L"1.00", L"1.12", L"1.42");
        watches = std::make_unique<CRoomWatches>(*app, app->historyReader,
                                                 CDelayedNotificationWindow::Factory());
        Open();
        watches->fnWatchesChanged = [this] { dlg->ShowUnwatchedRooms(watches->UnwatchedRooms()); };
        dlg->fnStartWatches = [this] { watches->StartWatches(std::time(nullptr)); };
        dlg->fnStopWatches = [this] { watches->StopWatches(); };
        dlg->fnIdleTick = [this] {
            app->historyReader.FlushIdle(CHistoryFileReader::Clock::now());
            watches->CheckFolders(CRoomWatches::Clock::now());
        };
    }

    // Runs the user-interface thread's events until `done` holds; the
    // deadline only ends a test that failed.
    void PumpUntil(const std::function<bool()>& done) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    // ... until `hands` are counted.
    void PumpUntil(int hands) {
        PumpUntil([&] { return app->nTotalHands >= hands; });
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

// The window over a room whose folder is missing at the start, appears, goes
// away and comes back: a warning mark (drawn, with a tip naming the room and
// its folder) and a line in the window menu while it is not watched, cleared
// once it is watched again; the hands written into it count.
TEST_F(EndToEnd, ARoomWhoseFolderIsNotWatchedIsMarkedUntilItIsWatchedAgain) {
    OpenWatching();
    const std::filesystem::path hh = dir.path() / "hh";
    const QString folder = QString::fromStdString(hh.string());
    QWidget* mark = dlg->Control(kCtlUnwatchedIcon);
    ASSERT_NE(mark, nullptr);
    auto marked = [&] { return !mark->isHidden(); };
    // Amber pixels of the drawn mark where it stands in the window.
    auto drawnAmber = [&] {
        const QImage shot = dlg->grab(mark->geometry()).toImage();
        int amber = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                amber += c.red() > 200 && c.green() > 140 && c.blue() < 90;
            }
        return amber;
    };
    auto menuLines = [&] {
        QStringList lines;
        const auto menu = dlg->MakeWindowMenu();
        for (QAction* a : menu->actions())
            if (a->data().toInt() == kCmdUnwatchedRoom)
                lines << a->text();
        return lines;
    };
    auto write = [&](const char* name, int hands, std::uint32_t seed) {
        auto gen = twgen::GeneratePokerStars(hands, seed);
        const std::string from = "PokerStars Hand #2000000";
        const std::string to = "PokerStars Hand #" + std::to_string(300 + seed) + "0";
        for (auto at = gen.text.find(from); at != std::string::npos; at = gen.text.find(from, at))
            gen.text.replace(at, from.size(), to);
        twtest::WriteBytes((hh / name).string(), gen.text, true);
        return gen.hands;
    };

    std::filesystem::remove_all(hh);
    dlg->StartSession();
    ASSERT_TRUE(marked());
    EXPECT_GT(drawnAmber(), 20);
    EXPECT_TRUE(mark->toolTip().contains(QStringLiteral("PokerStars: ") + folder))
        << mark->toolTip().toStdString();
    EXPECT_EQ(menuLines(), QStringList{QStringLiteral("Not watched: PokerStars (%1)").arg(folder)});

    std::filesystem::create_directories(hh);
    int hands = write("HH first.txt", 3, 1);
    PumpUntil([&] { return !marked() && app->nTotalHands >= hands; });
    EXPECT_FALSE(marked());
    EXPECT_EQ(drawnAmber(), 0);
    EXPECT_TRUE(menuLines().isEmpty());

    std::filesystem::remove_all(hh);
    PumpUntil(marked);
    ASSERT_TRUE(marked());
    std::filesystem::create_directories(hh);
    hands += write("HH first.txt", 2, 2); // a new table under the old name
    PumpUntil([&] { return !marked() && app->nTotalHands >= hands; });
    EXPECT_FALSE(marked());
    Tick();
    EXPECT_EQ(app->nTotalHands, hands);
    EXPECT_EQ(Text(kCtlHands), QString::number(hands));

    std::filesystem::remove_all(hh);
    PumpUntil(marked);
    dlg->StopSession(); // nothing is watched outside a session: no mark
    EXPECT_FALSE(marked());
}
