// The small images of the dialogs' image buttons, drawn at run time so they
// stay sharp at any scale: play a sound, add, change and delete a room.
#pragma once

#include <QIcon>

namespace tw {

enum class DialogIcon { Play, Add, Change, Delete };

// The icon, drawn for 16 and 32 pixels; Qt derives the disabled look.
QIcon MakeDialogIcon(DialogIcon kind);

} // namespace tw
