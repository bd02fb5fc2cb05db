#include "ui/MprisPlayerAdaptor.h"

#include "platform/PathBytes.h"
#include "ui/MprisProperties.h"
#include "ui/MprisService.h"

#include <QUrl>
#include <cmath>

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService *service)
    : QDBusAbstractAdaptor(service), service(service)
{
}

QVariant MprisPlayerAdaptor::Property(const char *name) const
{
    return MprisProperties::PlayerProperties(service->State()).value(QLatin1String(name));
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return Property("PlaybackStatus").toString();
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return Property("Metadata").toMap();
}

double MprisPlayerAdaptor::rate() const
{
    return Property("Rate").toDouble();
}

double MprisPlayerAdaptor::minimumRate() const
{
    return Property("MinimumRate").toDouble();
}

double MprisPlayerAdaptor::maximumRate() const
{
    return Property("MaximumRate").toDouble();
}

void MprisPlayerAdaptor::setRate(double rate)
{
    if (std::isnan(rate) || rate < 0) {
        return;
    }
    if (rate == 0.0) {
        service->Controller().Handle(Ask::Pause{});
    } else {
        service->Controller().Handle(Ask::Speed{rate});
    }
    service->Refresh();
}

double MprisPlayerAdaptor::volume() const
{
    return Property("Volume").toDouble();
}

void MprisPlayerAdaptor::setVolume(double volume)
{
    if (std::isnan(volume)) {
        return;
    }
    service->Controller().Handle(Ask::Volume{int(std::lround(qBound(0.0, volume, 1.0) * 100))});
    service->Refresh();
}

qlonglong MprisPlayerAdaptor::position() const
{
    return qlonglong(service->State().positionMs) * 1000;
}

bool MprisPlayerAdaptor::canGoNext() const
{
    return Property("CanGoNext").toBool();
}

bool MprisPlayerAdaptor::canGoPrevious() const
{
    return Property("CanGoPrevious").toBool();
}

bool MprisPlayerAdaptor::canPlay() const
{
    return Property("CanPlay").toBool();
}

bool MprisPlayerAdaptor::canPause() const
{
    return Property("CanPause").toBool();
}

bool MprisPlayerAdaptor::canSeek() const
{
    return Property("CanSeek").toBool();
}

void MprisPlayerAdaptor::Next()
{
    service->Controller().Handle(Ask::Next{});
    service->Refresh();
}

void MprisPlayerAdaptor::Previous()
{
    service->Controller().Handle(Ask::Previous{});
    service->Refresh();
}

void MprisPlayerAdaptor::Pause()
{
    service->Controller().Handle(Ask::Pause{});
    service->Refresh();
}

void MprisPlayerAdaptor::PlayPause()
{
    service->Controller().Handle(Ask::PlayPause{});
    service->Refresh();
}

void MprisPlayerAdaptor::Stop()
{
    service->Controller().Handle(Ask::Stop{});
    service->Refresh();
}

void MprisPlayerAdaptor::Play()
{
    service->Controller().Handle(Ask::Play{});
    service->Refresh();
}

void MprisPlayerAdaptor::Seek(qlonglong Offset)
{
    const PlaybackState state = service->State();
    if (!state.canSeek) {
        return;
    }
    const qlonglong target = qlonglong(state.positionMs) * 1000 + Offset;
    // Past the end the interface asks for the next track, as a media key's skip would.
    if (state.durationSec > 0 && target > qlonglong(state.durationSec) * 1000000) {
        Next();
        return;
    }
    SeekToMicroseconds(qMax<qlonglong>(target, 0));
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath &TrackId, qlonglong Position)
{
    const PlaybackState state = service->State();
    // A request meant for a track that has ended since is stale and ignored.
    if (!state.canSeek || TrackId != MprisProperties::TrackId(state) || Position < 0 ||
        (state.durationSec > 0 && Position > qlonglong(state.durationSec) * 1000000)) {
        return;
    }
    SeekToMicroseconds(Position);
}

void MprisPlayerAdaptor::SeekToMicroseconds(qlonglong target)
{
    service->Controller().Handle(Ask::SeekTo{Ask::Seconds(target / 1000000)});
    service->RefreshAfterSeek();
}

void MprisPlayerAdaptor::OpenUri(const QString &Uri)
{
    const QUrl url(Uri);
    if (url.isLocalFile()) {
        service->Controller().Handle(Ask::Open{{PathBytes::FromFileUrl(url)}, Ask::From::Outside});
    } else if (url.scheme().isEmpty() && Uri.startsWith(QLatin1Char('/'))) {
        service->Controller().Handle(Ask::Open{{Uri}, Ask::From::Outside});
    }
    service->Refresh();
}
