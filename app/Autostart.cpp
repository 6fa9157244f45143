#include "app/Autostart.h"

#include "app/DesktopId.h"
#include "support/AtomicFile.h"
#include "support/TextUtil.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace tw {

namespace {

std::wstring ErrorText(int error) {
    return FromUtf8(std::system_category().message(error));
}

// The autostart folder: $XDG_CONFIG_HOME/autostart when that is an absolute
// path (a relative one is ignored, as the desktops do), else
// $HOME/.config/autostart.
std::string AutostartDir() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return std::string(config) + "/autostart";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.config/autostart";
    return {};
}

// `path` as one argument of the entry's Exec key. A path holding a space or
// another character that the key reserves is quoted, with `"`, `` ` ``, `$`
// and `\` escaped inside the quotes; then the rules of every string value
// apply on top (`\` doubled), and `%` (the key's field codes) is doubled.
// False for a path the key cannot hold (a control character).
bool ExecArgument(std::string_view path, std::string& arg) {
    static constexpr std::string_view kReserved = " \t\"'\\><~|&;$*?#()`";
    bool quote = false;
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
        if (kReserved.find(c) != std::string_view::npos)
            quote = true;
    }
    std::string quoted;
    for (char c : path) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            quoted += '\\';
        quoted += c;
    }
    if (quote)
        quoted = '"' + quoted + '"';
    arg.clear();
    for (char c : quoted) {
        if (c == '\\')
            arg += "\\\\";
        else if (c == '%')
            arg += "%%";
        else
            arg += c;
    }
    return true;
}

} // namespace

std::wstring AutostartFilePath() {
    const std::string dir = AutostartDir();
    return dir.empty() ? std::wstring() : FromUtf8(dir) + L"/" + kDesktopId + L".desktop";
}

bool IsAutostartOn() {
    const std::wstring path = AutostartFilePath();
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(std::filesystem::path(ToUtf8(path)), ec);
}

std::wstring SetAutostart(bool on, const std::wstring& execPath) {
    const std::string dir = AutostartDir();
    if (dir.empty())
        return L"The autostart folder is unknown: neither XDG_CONFIG_HOME nor HOME is set.";
    const std::string target = dir + "/" + ToUtf8(kDesktopId) + ".desktop";
    const std::wstring wtarget = FromUtf8(target);

    if (!on) {
        if (::unlink(target.c_str()) == 0 || errno == ENOENT)
            return {};
        const int error = errno;
        return L"The autostart entry <" + wtarget + L"> could not be removed: " + ErrorText(error);
    }

    std::string exec;
    if (execPath.empty() || !ExecArgument(ToUtf8(execPath), exec))
        return L"The program's path <" + execPath + L"> cannot start it from the desktop.";
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(dir), ec);
    if (ec)
        return L"The autostart folder <" + FromUtf8(dir) + L"> could not be created: " +
               FromUtf8(ec.message());
    std::string text = "[Desktop Entry]\nType=Application\nName=Tarnwick\n";
    text += "Comment=Poker session companion, started with the desktop\n";
    text += "Exec=" + exec + "\n";
    text += "Icon=" + ToUtf8(kDesktopId) + "\n";
    text += "Terminal=false\nX-GNOME-Autostart-enabled=true\n";
    if (const int error = WriteFileAtomic(wtarget, text))
        return L"The autostart entry <" + wtarget + L"> could not be written: " + ErrorText(error);
    return {};
}

} // namespace tw
