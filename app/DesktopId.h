// The name the desktop knows the program by: its desktop entry
// (share/applications/<id>.desktop), icon, AppStream metadata and autostart
// entry are all named after it, and the windows say it to the desktop.
#pragma once

namespace tw {

inline constexpr wchar_t kDesktopId[] = L"org.quillfen.Tarnwick";

} // namespace tw
