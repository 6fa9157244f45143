// A session window on an application object that lives in memory: a fake
// clock, recorded sounds and message boxes, an in-memory profile.
#pragma once

#include "app/TarnwickApp.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"
#include "tests/app/FakeMessages.h"
#include "ui/AlarmSound.h"
#include "ui/SkinButton.h"
#include "ui/TarnwickDlg.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace twtest {

class RecordingSound : public tw::IAlarmSound {
public:
    struct Played {
        std::wstring strFile;
        int nId = 0;
        double dVolume = 1.0;
    };
    void Play(const std::wstring& file, int resourceId, double volume) override {
        played.push_back({file, resourceId, volume});
    }
    std::vector<Played> played;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        tw::CTarnwickApp::Options o;
        o.strExecDir = tw::FromUtf8(dir.path().string());
        o.bOpenLog = false;
        o.bLoadSettingsFile = false;
        o.pMessages = &messages;
        app = std::make_unique<tw::CTarnwickApp>(o);
        app->SetProfileStore(&profile);
    }

    // The window as the program opens it; `configure` runs before
    // initialisation (hooks, settings).
    void Open() {
        tw::CTarnwickDlg::Options o;
        o.clock = [this] { return now; };
        o.pSound = &sound;
        o.nDpiX = dpiX;
        o.nDpiY = dpiY;
        o.fnTrayAvailable = [this] { return trayAvailable; };
        dlg = std::make_unique<tw::CTarnwickDlg>(*app, o);
        dlg->fnStartWatches = [this] { calls.push_back("start watches"); };
        dlg->fnStopWatches = [this] { calls.push_back("stop watches"); };
        dlg->InitDialog();
    }

    void AddRoom(const std::wstring& name = L"PokerStars") { twtest::AddRoom(*app, name, {}); }

    // A started session, `minutes` after the window opened.
    void OpenAndStart() {
        AddRoom();
        Open();
        dlg->StartSession();
    }

    // Time passes, then the clock ticks.
    void Tick(std::int64_t seconds = 5) {
        now += seconds;
        dlg->RefreshSession();
    }

    // A counted hand, as the history path adds it.
    void Hand(double money = 0.0, double bigBlinds = 0.0) {
        ++app->nTotalHands;
        app->dTotalMoney += money;
        app->dTotalBB += bigBlinds;
    }

    QString Text(int control) const {
        auto* label = qobject_cast<QLabel*>(dlg->Control(control));
        return label ? label->text() : QString();
    }

    std::vector<std::wstring> Captions() const {
        std::vector<std::wstring> out;
        for (const auto& m : messages.shown)
            out.push_back(m.strCaption);
        return out;
    }

    TempDir dir;
    RecordingMessages messages;
    RecordingSound sound;
    tw::CMemoryProfile profile;
    std::unique_ptr<tw::CTarnwickApp> app;
    std::vector<std::string> calls;
    std::int64_t now = 1'700'000'000;
    bool trayAvailable = false;
    int dpiX = 96;
    int dpiY = 96;
    std::unique_ptr<tw::CTarnwickDlg> dlg; // last: it goes first
};

// Sends a mouse event the way the window system delivers it: to the widget
// under the cursor, passed on to its parents while unhandled.
inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint local, Qt::MouseButton button,
                      Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(local), QPointF(widget->mapToGlobal(local)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// The same at a screen position.
inline void SendMouseAt(QWidget* widget, QEvent::Type type, QPoint global, Qt::MouseButton button,
                        Qt::MouseButtons held) {
    const QPoint local = widget->mapFromGlobal(global);
    QMouseEvent event(type, QPointF(local), QPointF(global), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace twtest
