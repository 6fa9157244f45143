#include "app/Autostart.h"
#include "support/TextUtil.h"

#include "TestUtil.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw;
using twtest::ReadBytes;
using twtest::TempDir;
using twtest::WriteBytes;

namespace {

// An environment variable set (or, with nullopt, removed) for the life of
// the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : strName(name) {
        if (const char* old = std::getenv(name))
            oldValue = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (oldValue)
            ::setenv(strName.c_str(), oldValue->c_str(), 1);
        else
            ::unsetenv(strName.c_str());
    }

private:
    std::string strName;
    std::optional<std::string> oldValue;
};

// The names in `dir`, sorted, joined by spaces.
std::string Listing(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string out;
    for (const auto& n : names)
        out += (out.empty() ? "" : " ") + n;
    return out;
}

const char kEntryName[] = "org.quillfen.Tarnwick.desktop";

} // namespace

TEST(Autostart, TheEntryLiesInXdgConfigHomeWhenAbsoluteElseInHomesConfig) {
    TempDir dir;
    const std::string home = dir.file("home");
    ScopedEnv homeEnv("HOME", home);
    const struct {
        std::optional<std::string> xdg;
        std::string entry;
    } cases[] = {
        {dir.file("xdg"), dir.file("xdg/autostart/") + kEntryName},
        {std::nullopt, home + "/.config/autostart/" + kEntryName},
        {"", home + "/.config/autostart/" + kEntryName},
        {"relative/config", home + "/.config/autostart/" + kEntryName},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xdg.value_or("(unset)"));
        ScopedEnv xdgEnv("XDG_CONFIG_HOME", c.xdg);
        EXPECT_EQ(AutostartFilePath(), FromUtf8(c.entry));
        EXPECT_FALSE(IsAutostartOn());
        ASSERT_EQ(SetAutostart(true, L"/usr/bin/tarnwick"), L"");
        EXPECT_TRUE(IsAutostartOn());
        EXPECT_TRUE(std::filesystem::is_regular_file(c.entry));
        ASSERT_EQ(SetAutostart(false, L"/usr/bin/tarnwick"), L"");
        EXPECT_FALSE(IsAutostartOn());
        EXPECT_FALSE(std::filesystem::exists(c.entry));
        // Off when already off is no failure.
        EXPECT_EQ(SetAutostart(false, L"/usr/bin/tarnwick"), L"");
    }
    ScopedEnv noXdg("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_EQ(AutostartFilePath(), L"");
    EXPECT_FALSE(IsAutostartOn());
    EXPECT_NE(SetAutostart(true, L"/usr/bin/tarnwick"), L"");
}

// The Exec key starts the program from any folder: a path with characters
// the key reserves is quoted and escaped as desktop entries require.
TEST(Autostart, TheEntryStartsTheProgramFromAnyPathAndIsReplacedWhole) {
    TempDir dir;
    ScopedEnv xdg("XDG_CONFIG_HOME", dir.path().string());
    const std::string entry = dir.file(std::string("autostart/") + kEntryName);
    const struct {
        std::wstring path;
        std::string exec;
    } cases[] = {
        {L"/usr/bin/tarnwick", "Exec=/usr/bin/tarnwick\n"},
        {L"/home/ann/My Games/tarnwick", "Exec=\"/home/ann/My Games/tarnwick\"\n"},
        {L"/opt/a$b\\c\"d`e/tarnwick", "Exec=\"/opt/a\\\\$b\\\\\\\\c\\\\\"d\\\\`e/tarnwick\"\n"},
        {L"/opt/100%/tarnwick", "Exec=/opt/100%%/tarnwick\n"},
        {L"/opt/Покер/tarnwick", "Exec=/opt/\xd0\x9f\xd0\xbe\xd0\xba\xd0\xb5\xd1\x80/tarnwick\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exec);
        ASSERT_EQ(SetAutostart(true, c.path), L"");
        const std::string text = ReadBytes(entry);
        EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
        EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
        EXPECT_NE(text.find("\nIcon=org.quillfen.Tarnwick\n"), std::string::npos);
        EXPECT_NE(text.find("\n" + c.exec), std::string::npos) << text;
        // One entry, readable by the desktop, and no temporary file beside it.
        EXPECT_EQ(Listing(dir.path() / "autostart"), kEntryName);
        struct stat st {};
        ASSERT_EQ(::stat(entry.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0644u);
    }
    // A path the key cannot hold writes nothing and keeps the entry there.
    EXPECT_NE(SetAutostart(true, L"/opt/two\nlines/tarnwick"), L"");
    EXPECT_NE(SetAutostart(true, L""), L"");
    EXPECT_NE(ReadBytes(entry).find("\nExec=/opt/\xd0\x9f"), std::string::npos);
    EXPECT_EQ(Listing(dir.path() / "autostart"), kEntryName);
}

TEST(Autostart, AFolderThatCannotTakeTheEntrySaysSoAndLeavesNoFileBehind) {
    TempDir dir;
    // The config folder below a plain file: the autostart folder cannot be
    // made, even by root.
    WriteBytes(dir.file("plain"), "x");
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", dir.file("plain"));
        const std::wstring error = SetAutostart(true, L"/usr/bin/tarnwick");
        EXPECT_NE(error.find(FromUtf8(dir.file("plain/autostart"))), std::wstring::npos)
            << ToUtf8(error);
        EXPECT_FALSE(IsAutostartOn());
    }

    // A folder in the entry's place: it can be neither replaced nor removed,
    // and the temporary file written for it is gone again.
    ScopedEnv xdg("XDG_CONFIG_HOME", dir.file("config"));
    std::filesystem::create_directories(dir.file("config/autostart/") + kEntryName + "/inside");
    EXPECT_NE(SetAutostart(true, L"/usr/bin/tarnwick"), L"");
    EXPECT_EQ(Listing(dir.path() / "config/autostart"), kEntryName);
    const std::wstring removeError = SetAutostart(false, L"/usr/bin/tarnwick");
    EXPECT_NE(removeError.find(L"could not be removed"), std::wstring::npos) << ToUtf8(removeError);
    std::filesystem::remove_all(dir.file("config/autostart"));

    // A read-only autostart folder (root writes there all the same).
    if (::geteuid() != 0) {
        std::filesystem::create_directories(dir.file("config/autostart"));
        ::chmod(dir.file("config/autostart").c_str(), 0555);
        EXPECT_NE(SetAutostart(true, L"/usr/bin/tarnwick"), L"");
        EXPECT_EQ(Listing(dir.path() / "config/autostart"), "");
        ::chmod(dir.file("config/autostart").c_str(), 0755);
    }
}
