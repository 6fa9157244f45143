#include "ui/QtUserMessages.h"
#include "ui/NoticeBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tw;

namespace {

// Once the next modal box is up, hands it to `act`.
template <class F> void WhenShown(F act) {
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(box);
    });
}

} // namespace

TEST(QtUserMessages, TimedBoxesAnswerWithTheButtonOrCloseThemselves) {
    CQtUserMessages messages;
    EXPECT_EQ(messages.MessageBoxTimeout(L"t", L"c", kMbTimedQuestionStyle, 30), kIdTimedOut);
    EXPECT_EQ(messages.MessageBoxTimeout(L"t", L"c", kMbTimedInfoStyle, 30), kIdTimedOut);

    QString text, caption;
    bool onTop = false, hasNo = false;
    WhenShown([&](QMessageBox* box) {
        text = box->text();
        caption = box->windowTitle();
        onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        hasNo = box->button(QMessageBox::No) != nullptr;
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(messages.MessageBoxTimeout(L"Neue Version?", L"Tarnwick", kMbTimedQuestionStyle,
                                         kTimedMessageMs),
              kIdYes);
    EXPECT_EQ(text, QStringLiteral("Neue Version?"));
    EXPECT_EQ(caption, QStringLiteral("Tarnwick"));
    EXPECT_TRUE(onTop);
    EXPECT_TRUE(hasNo);

    WhenShown([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
    EXPECT_EQ(messages.MessageBoxTimeout(L"t", L"c", kMbTimedQuestionStyle, kTimedMessageMs),
              kIdNo);
    WhenShown([](QMessageBox* box) { box->reject(); }); // Escape or the close button
    EXPECT_EQ(messages.MessageBoxTimeout(L"t", L"c", kMbTimedQuestionStyle, kTimedMessageMs),
              kIdNo);
    WhenShown([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
    EXPECT_EQ(messages.MessageBoxTimeout(L"t", L"c", kMbTimedInfoStyle, kTimedMessageMs), kIdOk);
}

TEST(QtUserMessages, NoticesShowAtOnceAndCloseThemselvesOrByOk) {
    QPointer<CNoticeBox> kept;
    {
        CQtUserMessages messages;
        // Returns at once, the notice open.
        ASSERT_TRUE(messages.ShowNotice(L"You have run out of time!", L"Alarm time", 30, false));
        ASSERT_EQ(messages.OpenNotices().size(), 1u);
        QPointer<CNoticeBox> timed = messages.OpenNotices()[0];
        EXPECT_EQ(timed->windowTitle(), QStringLiteral("Alarm time"));
        EXPECT_EQ(timed->Text(), QStringLiteral("You have run out of time!"));
        EXPECT_TRUE(timed->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_TRUE(timed->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        EXPECT_FALSE(timed->isModal());
        // Its time runs out (the deadline only ends a failed test).
        QDeadlineTimer deadline(10000);
        while (timed && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        EXPECT_TRUE(timed.isNull());

        ASSERT_TRUE(messages.ShowNotice(L"a", L"b", kTimedMessageMs, true));
        EXPECT_FALSE(
            messages.OpenNotices()[0]->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        messages.OpenNotices()[0]->OkButton()->click();
        EXPECT_TRUE(messages.OpenNotices().empty());

        // One left open goes with the messages.
        ASSERT_TRUE(messages.ShowNotice(L"a", L"b", kTimedMessageMs, false));
        kept = messages.OpenNotices()[0];
    }
    EXPECT_TRUE(kept.isNull());
}

TEST(QtUserMessages, NoticesGoBesideTheWindowWhereThereIsRoom) {
    const QSize notice(300, 100);
    const QRect screen(0, 0, 1400, 600);
    const struct {
        const char* szName;
        QRect rcWindow;
        std::vector<QRect> taken;
        QPoint ptAt;
    } cases[] = {
        {"right of it, level with its top", {100, 100, 140, 80}, {}, {248, 100}},
        {"left of it at the right edge", {1250, 100, 140, 80}, {}, {942, 100}},
        {"below the notice already there", {100, 100, 140, 80}, {{248, 100, 300, 100}}, {248, 208}},
        {"a column further out when the side is full",
         {100, 450, 140, 80},
         {{248, 450, 300, 100}},
         {556, 450}},
        {"kept on the screen, low down", {100, 560, 140, 80}, {}, {248, 500}},
        {"on the screen where neither side has room", {0, 0, 1400, 80}, {}, {1100, 0}},
        {"without a window: the top right corner", {1400, 0, 0, 0}, {}, {1092, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(CNoticeBox::Place(c.rcWindow, screen, notice, c.taken), c.ptAt);
    }
}

TEST(QtUserMessages, ANoticeOverAModalDialogTakesItsClick) {
    CQtUserMessages messages;
    QDialog settings; // as the settings dialog runs while an alarm fires
    bool closedByOk = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(messages.ShowNotice(L"t", L"c", kTimedMessageMs, false));
        CNoticeBox* notice = messages.OpenNotices()[0];
        QAbstractButton* ok = notice->OkButton();
        // Through the window system, where a blocked window takes no click.
        QTest::mouseClick(notice->windowHandle(), Qt::LeftButton, {},
                          ok->mapTo(notice, ok->rect().center()));
        closedByOk = messages.OpenNotices().empty();
        settings.reject();
    });
    settings.exec();
    EXPECT_TRUE(closedByOk);
}
