#include "player/StreamCatalog.h"

#include "engine/EngineEvent.h"

#include <algorithm>

namespace {

using Kind = EngineEvent::Kind;

// The entry at number in a list filled by number, grown up to it; nullptr beyond limit.
template <typename T> T *Slot(QList<T> &list, int number, int limit)
{
    if (number < 0 || number >= limit)
        return nullptr;
    if (list.size() <= number)
        list.resize(number + 1);
    return &list[number];
}

} // namespace

void StreamCatalog::Add(const EngineEvent &event)
{
    switch (event.kind) {
    case Kind::Playing:
        *this = StreamCatalog();
        break;
    case Kind::AudioStream:
        // Audio lines after the first subtitle line are not the file's selectable streams
        // (the engine's own count of them stops there too).
        if (!subtitleSeen && audio.size() < MaxStreams)
            audio << Stream{event.language, event.title};
        break;
    case Kind::SubtitleStream:
        subtitleSeen = true;
        if (subtitles.size() < MaxStreams)
            subtitles << Stream{event.language, event.title};
        break;
    case Kind::DvdAudioStream:
        if (Stream *slot = Slot(dvdAudio, event.number, MaxStreams))
            *slot = Stream{event.language, event.title};
        break;
    case Kind::DvdSubtitleStream:
        if (Stream *slot = Slot(dvdSubtitles, event.number, MaxStreams))
            *slot = Stream{event.language, event.title};
        break;
    case Kind::SubtitleFileAdded:
        // "(N)" counts from 1; a number out of step would misplace every later file.
        if (event.number == files.size() + 1 && files.size() < MaxSubtitleFiles)
            files << event.subtitlePath;
        break;
    case Kind::ChapterStart:
    case Kind::ChapterName: {
        auto found = std::find_if(chapters.begin(), chapters.end(),
                                  [&](const Chapter &c) { return c.number == event.number; });
        if (found == chapters.end()) {
            if (event.number < 0 || event.number >= MaxChapters)
                break;
            chapters << Chapter{event.number, -1, QString()};
            found = chapters.end() - 1;
        }
        if (event.kind == Kind::ChapterName)
            found->name = event.title;
        else if (event.valueValid)
            found->startSeconds = event.value;
        break;
    }
    default:
        break;
    }
}

QList<StreamCatalog::Stream> StreamCatalog::WithDvdLanguages(QList<Stream> streams,
                                                             const QList<Stream> &dvd)
{
    for (qsizetype i = 0; i < streams.size() && i < dvd.size(); ++i) {
        if (streams[i].language.isEmpty())
            streams[i].language = dvd[i].language;
        if (streams[i].title.isEmpty())
            streams[i].title = dvd[i].title;
    }
    return streams;
}

QList<StreamCatalog::Stream> StreamCatalog::AudioStreams() const
{
    return WithDvdLanguages(audio, dvdAudio);
}

QList<StreamCatalog::Stream> StreamCatalog::SubtitleStreams() const
{
    return WithDvdLanguages(subtitles, dvdSubtitles);
}

QList<StreamCatalog::Chapter> StreamCatalog::Chapters() const
{
    QList<Chapter> known;
    for (const Chapter &chapter : chapters) {
        if (chapter.startSeconds >= 0)
            known << chapter;
    }
    std::sort(known.begin(), known.end(),
              [](const Chapter &a, const Chapter &b) { return a.number < b.number; });
    return known;
}
