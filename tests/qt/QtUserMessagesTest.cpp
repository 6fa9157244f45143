#include "ui/QtUserMessages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
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
