// The settings dialog's "Start with the desktop": it shows whether the
// autostart entry exists, and OK writes or removes the entry only when the
// switch was changed.
#include "ui/DlgSettings.h"

#include "app/Autostart.h"
#include "tests/qt/DialogTestUtil.h"

#include <QCheckBox>
#include <QPushButton>
#include <cstdlib>
#include <optional>

using namespace tw;
using twtest::Child;
using twtest::StartedApp;

namespace {

// Runs the dialog: sets the switch to `on` (unless nullopt) and presses OK.
// Returns what the switch showed when the dialog opened.
bool RunDialog(StartedApp& s, std::optional<bool> on) {
    CDlgSettings dlg(*s.app);
    auto* check = Child<QCheckBox>(&dlg, "checkAutostart");
    const bool shown = check->isChecked();
    if (on)
        check->setChecked(*on);
    Child<QPushButton>(&dlg, "buttonOk")->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    return shown;
}

// Puts XDG_CONFIG_HOME back as it was when the test ends.
struct RestoreConfigHome {
    std::optional<std::string> old;
    RestoreConfigHome() {
        if (const char* v = std::getenv("XDG_CONFIG_HOME"))
            old = v;
    }
    ~RestoreConfigHome() {
        if (old)
            ::setenv("XDG_CONFIG_HOME", old->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
    }
};

} // namespace

TEST(AutostartSwitch, OkWritesOrRemovesTheEntryWhenChangedAndSaysWhyItCouldNot) {
    RestoreConfigHome restore;
    StartedApp s;
    s.AddRoom(L"PokerStars", L"hero");
    const std::string config = s.dir.file("config");
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const std::string entry = config + "/autostart/org.quillfen.Tarnwick.desktop";

    EXPECT_FALSE(RunDialog(s, true));
    EXPECT_NE(twtest::ReadBytes(entry).find("\nExec=" + ToUtf8(s.app->strExePath) + "\n"),
              std::string::npos);
    // Unchanged, an entry edited by hand is left as it is.
    twtest::WriteBytes(entry, "[Desktop Entry]\nExec=tarnwick --by-hand\n");
    EXPECT_TRUE(RunDialog(s, std::nullopt));
    EXPECT_EQ(twtest::ReadBytes(entry), "[Desktop Entry]\nExec=tarnwick --by-hand\n");
    EXPECT_TRUE(RunDialog(s, false));
    EXPECT_FALSE(IsAutostartOn());
    EXPECT_TRUE(s.messages.shown.empty());

    // A config folder that cannot take the entry: the dialog says why.
    twtest::WriteBytes(s.dir.file("plain"), "x");
    ::setenv("XDG_CONFIG_HOME", s.dir.file("plain").c_str(), 1);
    RunDialog(s, true);
    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_NE(s.messages.shown[0].strText.find(L"autostart"), std::wstring::npos);
    EXPECT_FALSE(IsAutostartOn());
}
