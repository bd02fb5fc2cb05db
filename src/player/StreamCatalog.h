#pragma once

#include <QList>
#include <QString>

struct EngineEvent;

// What the engine says of the running source's streams, subtitle files and chapters, for the
// menus: fed every engine event of a run, in order, it keeps the lists that the lines
// between "Playing" and the end describe. GUI-free; the caller names the entries
// (StreamLabel) and sends the commands.
//
// Numbering follows what the engine plays: the n-th audio entry (from 0) is what
// "switch_audio n" selects, the n-th subtitle stream what "sub_demux n" selects, the n-th
// subtitle file what "sub_file n" selects. A DVD's own lines name the languages that its
// "[lavf]" lines leave out; both list the streams in the same order, so the DVD's stream n
// lends its language to entry n.
class StreamCatalog
{
public:
    struct Stream
    {
        QString language; // code as printed, empty when unknown
        QString title;
    };
    struct Chapter
    {
        int number = 0; // from 0, as "seek_chapter" takes it
        double startSeconds = 0;
        QString name;
    };

    // Bounds against a film whose metadata claims absurd numbers.
    static constexpr int MaxStreams = 256;
    static constexpr int MaxChapters = 999;
    static constexpr int MaxSubtitleFiles = 256;

    // Takes one event; events of no concern to the lists are ignored. "Playing" starts afresh.
    void Add(const EngineEvent &event);

    QList<Stream> AudioStreams() const;
    QList<Stream> SubtitleStreams() const;
    // Paths of the loaded subtitle files, in the engine's order.
    const QList<QString> &SubtitleFiles() const { return files; }
    // By number; a chapter whose start the engine did not give is left out.
    QList<Chapter> Chapters() const;

private:
    static QList<Stream> WithDvdLanguages(QList<Stream> streams, const QList<Stream> &dvd);

    QList<Stream> audio;
    QList<Stream> subtitles;
    QList<Stream> dvdAudio;
    QList<Stream> dvdSubtitles;
    QList<QString> files;
    QList<Chapter> chapters; // in arrival order, one per number
    bool subtitleSeen = false;
};
