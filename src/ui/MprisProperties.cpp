#include "ui/MprisProperties.h"

#include "player/ViewingRules.h"

#include "platform/PathBytes.h"

#include <QCryptographicHash>
#include <QUrl>

QString MprisProperties::StatusText(PlaybackState::Status status)
{
    switch (status) {
    case PlaybackState::Status::Playing:
        return QStringLiteral("Playing");
    case PlaybackState::Status::Paused:
        return QStringLiteral("Paused");
    case PlaybackState::Status::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QDBusObjectPath MprisProperties::TrackId(const PlaybackState &state)
{
    if (state.path.isEmpty()) {
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    }
    // Object paths allow only letters, digits and "_", so the path goes in as a digest.
    const QByteArray digest =
        QCryptographicHash::hash(PathBytes::ToBytes(state.path), QCryptographicHash::Sha1).toHex();
    return QDBusObjectPath(QStringLiteral("/org/orvel/BluRayPlayer/Track/T") +
                           QString::fromLatin1(digest));
}

QVariantMap MprisProperties::Metadata(const PlaybackState &state)
{
    QVariantMap metadata;
    metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackId(state)));
    if (state.path.isEmpty()) {
        return metadata;
    }
    metadata.insert(QStringLiteral("xesam:title"), state.title);
    // Escaped byte by byte, so that a name that is not UTF-8 still names its file.
    metadata.insert(QStringLiteral("xesam:url"),
                    QString::fromLatin1(PathBytes::ToFileUrl(state.path)));
    if (state.durationSec > 0) {
        metadata.insert(QStringLiteral("mpris:length"), qlonglong(state.durationSec) * 1000000);
    }
    if (!state.artPath.isEmpty()) {
        metadata.insert(QStringLiteral("mpris:artUrl"),
                        QUrl::fromLocalFile(state.artPath).toString());
    }
    return metadata;
}

QVariantMap MprisProperties::PlayerProperties(const PlaybackState &state)
{
    const bool hasSource = state.status != PlaybackState::Status::Stopped;
    return {
        {QStringLiteral("PlaybackStatus"), StatusText(state.status)},
        {QStringLiteral("Metadata"), Metadata(state)},
        {QStringLiteral("Volume"), state.volumePercent / 100.0},
        {QStringLiteral("Rate"), state.rate},
        {QStringLiteral("MinimumRate"), MinimumSpeed},
        {QStringLiteral("MaximumRate"), MaximumSpeed},
        {QStringLiteral("CanGoNext"), state.canGoNext},
        {QStringLiteral("CanGoPrevious"), state.canGoPrevious},
        {QStringLiteral("CanPlay"), hasSource},
        {QStringLiteral("CanPause"), hasSource},
        {QStringLiteral("CanSeek"), state.canSeek},
        {QStringLiteral("CanControl"), true},
    };
}

QVariantMap MprisProperties::Changed(const PlaybackState &before, const PlaybackState &after)
{
    const QVariantMap old = PlayerProperties(before);
    const QVariantMap now = PlayerProperties(after);
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (old.value(it.key()) != it.value()) {
            changed.insert(it.key(), it.value());
        }
    }
    return changed;
}
