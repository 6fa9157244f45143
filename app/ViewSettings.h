// How the session window looks and starts, as the user sets it: what the
// settings dialog shows and stores, read from and written to the profile as a
// whole. A plain value.
#pragma once

namespace tw {

struct ViewSettings {
    int bRunOnStart = 0;       // start a session when the window opens
    int bMinTrayAtStartup = 0; // open hidden in the notification area

    // Colours as 0x00BBGGRR.
    int nColorText = 0xFFFFFF;  // the session time
    int nColorText2 = 0x00C313; // the hands
    int nColorText3 = 0x00C0FF; // the money
    int nColorBg = 0x37323D;
    int nOpacity = 100; // percent, 1 to 100
    // Window size: 0 Small, 1 Medium, 2 Large. The window lays itself out by
    // it at start-up and after the settings dialog.
    int nSize = 0;

    bool operator==(const ViewSettings&) const = default;
};

} // namespace tw
