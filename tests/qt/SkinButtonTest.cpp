#include "ui/SkinButton.h"
#include "tests/qt/WindowFixture.h"
#include "ui/Resources.h"

#include <QImage>
#include <QPainter>

using namespace tw;
using twtest::SendMouse;

namespace {

// A 6 × 4 mask: row 0 white; row 1 a run in the middle; row 2 two runs, the
// second reaching the row's end; row 3 black across.
QImage TestMask() {
    QImage mask(6, 4, QImage::Format_RGB32);
    mask.fill(Qt::white);
    for (int x = 2; x <= 3; ++x)
        mask.setPixel(x, 1, qRgb(0, 0, 0));
    mask.setPixel(0, 2, qRgb(10, 10, 10));
    for (int x = 4; x <= 5; ++x)
        mask.setPixel(x, 2, qRgb(0, 0, 0));
    for (int x = 0; x < 6; ++x)
        mask.setPixel(x, 3, qRgb(254, 255, 255)); // not pure white: inside
    return mask;
}

QImage Filled(QSize size, QColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// A 20 × 20 button whose mask leaves out a 5-pixel border, with one colour
// per state.
struct SkinnedButton {
    QWidget parent;
    CxSkinButton* button;
    explicit SkinnedButton(CxSkinButton::Kind kind, bool withDisabled = true) {
        button = new CxSkinButton(&parent, kind);
        QImage mask(20, 20, QImage::Format_RGB32);
        mask.fill(Qt::white);
        QPainter(&mask).fillRect(5, 5, 10, 10, Qt::black);
        const QSize s(20, 20);
        button->SetSkin(Filled(s, Qt::green), Filled(s, Qt::red), Filled(s, Qt::blue),
                        withDisabled ? Filled(s, Qt::gray) : Filled(s, Qt::green), mask);
        button->move(7, 3);
    }
};

} // namespace

TEST(SkinButton, RegionHoldsTheRunsOfNonWhitePixels) {
    QRegion expected;
    expected += QRect(2, 1, 2, 1);
    expected += QRect(0, 2, 1, 1);
    expected += QRect(4, 2, 2, 1); // up to and including the last pixel
    expected += QRect(0, 3, 6, 1);
    EXPECT_EQ(CxSkinButton::RegionFromMask(TestMask()), expected);

    EXPECT_TRUE(CxSkinButton::RegionFromMask(Filled({8, 5}, Qt::white)).isEmpty());
    EXPECT_EQ(CxSkinButton::RegionFromMask(Filled({8, 5}, Qt::black)), QRegion(0, 0, 8, 5));
    EXPECT_TRUE(CxSkinButton::RegionFromMask(QImage()).isEmpty());
}

TEST(SkinButton, PressDragOffReleaseSendsNoClickAndKeepsTheCheckState) {
    SkinnedButton b(CxSkinButton::kCheck);
    CxSkinButton* button = b.button;
    int clicks = 0;
    QObject::connect(button, &QAbstractButton::clicked, [&clicks] { ++clicks; });
    const QPoint inside(10, 10), off(30, 30), corner(1, 1); // the corner is outside the mask

    SendMouse(button, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(button->CurrentFace(), CxSkinButton::kFaceDown);
    SendMouse(button, QEvent::MouseMove, off, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(button->CurrentFace(), CxSkinButton::kFaceNormal);
    SendMouse(button, QEvent::MouseMove, inside, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(button->CurrentFace(), CxSkinButton::kFaceDown); // back over it
    SendMouse(button, QEvent::MouseMove, corner, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(button->CurrentFace(), CxSkinButton::kFaceNormal);
    SendMouse(button, QEvent::MouseButtonRelease, corner, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(button->isChecked());

    // Released over the button: one click, and the check state flips.
    SendMouse(button, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    SendMouse(button, QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(button->isChecked());
    EXPECT_EQ(button->CurrentFace(), CxSkinButton::kFaceDown); // checked shows pressed

    // A press outside the mask does not press it.
    SendMouse(button, QEvent::MouseButtonPress, corner, Qt::LeftButton, Qt::LeftButton);
    SendMouse(button, QEvent::MouseButtonRelease, corner, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks, 1);
}

TEST(SkinButton, KindsDecideWhatTheCheckStateDoes) {
    SkinnedButton push(CxSkinButton::kPush);
    push.button->setChecked(true);
    EXPECT_FALSE(push.button->isChecked()); // a push button is never checked

    SkinnedButton check(CxSkinButton::kCheck);
    check.button->setChecked(true); // as the program sets Pause during an automatic pause
    EXPECT_EQ(check.button->CurrentFace(), CxSkinButton::kFaceDown);

    // Radio buttons of one parent: checking one clears the other; a click on
    // a checked one keeps it checked.
    QWidget group;
    auto* a = new CxSkinButton(&group, CxSkinButton::kRadio);
    auto* b = new CxSkinButton(&group, CxSkinButton::kRadio);
    a->resize(10, 10);
    b->resize(10, 10);
    a->setChecked(true);
    b->setChecked(true);
    EXPECT_FALSE(a->isChecked());
    SendMouse(b, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(b, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(b->isChecked());
}

TEST(SkinButton, DisabledShowsItsOwnImageOrTheNormalOne) {
    SkinnedButton with(CxSkinButton::kPush);
    with.button->setEnabled(false);
    EXPECT_EQ(with.button->CurrentFace(), CxSkinButton::kFaceDisabled);
    const QImage drawn = with.button->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(10, 10), QColor(Qt::gray));

    // Loaded from resources without a disabled bitmap: the normal one shows.
    QWidget parent;
    CxSkinButton button(&parent);
    ASSERT_TRUE(button.LoadSkin(133, 134, 134, 0, 136));
    button.setEnabled(false);
    const QImage normal = LoadBitmapResource(133);
    const QImage shown = button.grab().toImage();
    const QPoint centre(normal.width() / 2, normal.height() / 2);
    EXPECT_EQ(shown.pixelColor(centre), normal.pixelColor(centre));
}

TEST(SkinButton, TakesTheMaskSizeAndDrawsOnlyInsideTheMask) {
    QWidget parent;
    CxSkinButton button(&parent);
    button.move(6, 50);
    ASSERT_TRUE(button.LoadSkin(167, 169, 169, 168, 170));
    EXPECT_EQ(button.geometry(), QRect(QPoint(6, 50), LoadBitmapResource(170).size()));
    EXPECT_FALSE(button.LoadSkin(133, 134, 134, 135, 9999)); // no such mask

    SkinnedButton b(CxSkinButton::kPush);
    const QImage drawn = b.button->grab().toImage();
    EXPECT_NE(drawn.pixelColor(1, 1), QColor(Qt::green)); // outside the mask: not drawn
    EXPECT_EQ(drawn.pixelColor(10, 10), QColor(Qt::green));
    EXPECT_FALSE(b.button->Region().contains(QPoint(1, 1)));
}
