// Shared pieces of the dialog tests: an application started in a temporary
// folder with an in-memory profile and recorded message boxes, and lookups
// of a dialog's controls by name.
#pragma once

#include "app/TarnwickApp.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"
#include "tests/app/FakeMessages.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{' << l.join(QStringLiteral(", ")).toStdString() << '}';
}

namespace twtest {

struct StartedApp {
    TempDir dir;
    tw::CMemoryProfile profile;
    RecordingMessages messages;
    std::unique_ptr<tw::CTarnwickApp> app;

    // `prepare` may fill the profile before start-up reads it.
    template <class F> explicit StartedApp(F prepare) {
        prepare(profile);
        tw::CTarnwickApp::Options o;
        o.strExecDir = tw::FromUtf8(dir.path().string());
        o.pMessages = &messages;
        app = std::make_unique<tw::CTarnwickApp>(o);
        app->SetProfileStore(&profile);
        app->InitInstance();
    }
    StartedApp() : StartedApp([](tw::CMemoryProfile&) {}) {}

    // Adds a configured room as the rooms file would have loaded it.
    void AddRoom(const std::wstring& name, const std::wstring& nick, bool active = true) {
        twtest::AddRoom(*app, name,
                        {.strNickname = nick, .strFolder = L"/hh/" + nick, .bActive = active});
    }

    bool HasProfileKey(const std::wstring& section, const std::wstring& key) const {
        return profile.mapValues.count({section, key}) != 0;
    }
    std::wstring ProfileValue(const std::wstring& section, const std::wstring& key) const {
        auto it = profile.mapValues.find({section, key});
        return it == profile.mapValues.end() ? L"<missing>" : it->second;
    }
};

// The control `name` of `parent`; a missing control fails the test.
template <class T> T* Child(const QObject* parent, const char* name) {
    T* child = parent->findChild<T*>(QLatin1String(name));
    if (!child)
        throw std::runtime_error(std::string("no control ") + name);
    return child;
}

// Once the next modal dialog of type D is up (inside exec()), hands it to
// `act`, which must close it. Anything else up is closed, so a test never
// hangs in exec().
template <class D, class F> void WhenModal(F act) {
    QTimer::singleShot(0, [act] {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* dlg = dynamic_cast<D*>(w)) {
            act(*dlg);
            if (dlg->isVisible()) {
                ADD_FAILURE() << "the dialog was left open";
                dlg->reject();
            }
            return;
        }
        ADD_FAILURE() << "the expected dialog is not up";
        if (w)
            w->close();
    });
}

} // namespace twtest
