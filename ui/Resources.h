// The program's pictures and sounds by resource id: button bitmaps
// (":/bmp/<id>.png"), icons (":/ico/<id>.png" with smaller drawings beside
// it) and the built-in alarm sounds (":/wav/<id>.wav"). They are compiled
// into the program from res/.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>
#include <QUrl>

namespace tw {

// Resource ids the session window uses.
enum ResourceId : int {
    kIdAppIcon = 128,
    kIdHandsIcon = 129,
    kIdMoneyIcon = 130,
    kIdTimeIcon = 154,
    kIdUnwatchedIcon = 155,
    kIdSoundHands = 156,
    kIdSoundMoney = 157,
    kIdSoundTime = 169,
    kIdSoundWarning = 187, // a limit comes near
};

// Registers the compiled-in resources; safe to call more than once.
void InitResources();

// The bitmap of that id; a null image when there is none.
QImage LoadBitmapResource(int id);
// The icon of that id with all the sizes it was drawn at; null when none.
QIcon LoadIconResource(int id);
// The icon drawn at `size` × `size` pixels (scaled from the nearest drawing).
QPixmap LoadIconPixmap(int id, int size);
// The path of a built-in WAV sound (":/wav/<id>.wav").
QString SoundResourcePath(int id);

} // namespace tw
