#include "player/AudioPlayability.h"

#include <QLatin1String>

void AudioPlayability::Open(int entry)
{
    current = entry;
    // Opened again, a stream is judged by what the engine says this time.
    reports.remove(entry);
}

bool AudioPlayability::Add(const EngineEvent &event)
{
    const Verdict before = Of(current);
    switch (event.kind) {
    case EngineEvent::Kind::Playing:
        reports.remove(current);
        break;
    case EngineEvent::Kind::NoSound:
        reports[current].noSound = true;
        break;
    case EngineEvent::Kind::AudioDecoderFailed:
        reports[current].refused = true;
        break;
    case EngineEvent::Kind::AudioDecoderSelected: {
        // The engine tries decoders in turn; the one it names here is the one it kept.
        Report &report = reports[current];
        const bool passThrough =
            event.title == QLatin1String("spdif") || event.title == QLatin1String("hwac3");
        report.passThrough = passThrough;
        report.decoded = !passThrough;
        break;
    }
    case EngineEvent::Kind::AudioOutput:
        reports[current].outputChannels = qMax(0, event.number);
        break;
    default:
        break;
    }
    return Of(current) != before;
}

AudioPlayability::Verdict AudioPlayability::Decide(const Report &report)
{
    if (report.noSound || report.passThrough)
        return Verdict::CannotPlay;
    if (report.decoded)
        return Verdict::Plays;
    return report.refused ? Verdict::CannotPlay : Verdict::Unknown;
}

AudioPlayability::Verdict AudioPlayability::Of(int entry) const
{
    const auto found = reports.constFind(entry);
    return found == reports.constEnd() ? Verdict::Unknown : Decide(*found);
}

int AudioPlayability::OutputChannels(int entry) const
{
    return reports.value(entry).outputChannels;
}
