#pragma once

#include "player/PlaybackState.h"
#include "player/PlayerState.h"

// The player as the desktop's media controls see it. The disc's picture is written out as a
// file the first time it is asked for, since the desktop shows cover art from a file.
PlaybackState RemoteStateOf(const PlayerState &state);
