#pragma once

#include "player/PlaybackState.h"

#include <QDBusObjectPath>
#include <QString>
#include <QVariantMap>

// How the session looks through the desktop's media-player interface
// (org.mpris.MediaPlayer2.Player): property values built from a PlaybackState, and which of
// them changed between two states.
namespace MprisProperties {

QString StatusText(PlaybackState::Status status);

// A track id per source, stable while the source stays the same.
QDBusObjectPath TrackId(const PlaybackState &state);

// Title, length, address and, for discs, art of the current source; only the track id when
// nothing plays.
QVariantMap Metadata(const PlaybackState &state);

// Every property of the player interface except Position, which clients read when they need
// it instead of being told every moment.
QVariantMap PlayerProperties(const PlaybackState &state);

// The properties whose values differ between before and after.
QVariantMap Changed(const PlaybackState &before, const PlaybackState &after);

} // namespace MprisProperties
