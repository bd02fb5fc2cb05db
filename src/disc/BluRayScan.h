#pragma once

#include "disc/DiscProtection.h"
#include "disc/EngineTitleList.h"
#include "disc/MplsPlayItem.h"
#include "disc/MplsStream.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>

class DiscFileSource;

// One title of a Blu-ray folder: what the window keeps per title key in its maps.
struct BluRayTitle
{
    // There is no entry for this title in the engine's title list: the engine cannot play
    // it by number, and the window shows its entries disabled.
    static constexpr int NoEngineTitle = 0;

    // The title key: the playlist file's full path (.../BDMV/PLAYLIST/00001.mpls), inside
    // an image the image's path followed by the same (/discs/film.iso/BDMV/PLAYLIST/...).
    QString key;
    QString playlistName;            // the key's file name, "00001.mpls"
    int engineTitle = NoEngineTitle; // N in "br://N": the position in the engine's title list
    qint64 lengthSeconds = 0;        // the play items' durationMs added, in whole seconds
    QString durationText;            // FormatTime(lengthSeconds), as the title menus show it
    QVector<MplsPlayItem> playItems;
    // The disc page's audio and subtitle entries after "Disable": the streams of the title's
    // longest item (the film, not a logo or a trailer around it).
    QVector<MplsStream> audioStreams;
    QVector<MplsStream> subtitles;
    // Every item's streams, in item order: the menus follow the item that plays. Empty when
    // every item offers the streams above.
    QVector<MplsItemStreams> itemStreams;
    QVector<quint32> chapters; // chapter starts in milliseconds
    int videoFormat = 0;       // MplsReader::VideoFormat of the playlist
    int videoCodingType = 0;   // MplsReader::VideoCodingType
    int videoRangeColour = 0;  // MplsReader::VideoRangeColour
    int audioChoice = 0;       // audioChoices: 1 when the title has audio, else 0
    int subtitleChoice = 0;    // subtitleChoices: always 0 (disabled)
    QByteArray digest;         // FileDigestHex of the playlist file

    bool HasEngineTitle() const { return engineTitle != NoEngineTitle; }
};

// Everything LoadBluRayFolder learns from a disc folder, as plain data.
struct BluRayScan
{
    QString folder;           // the folder or image as given
    QString discName;         // the metadata's name, decoded as the window shows it
    QByteArray discNameBytes; // the same as read from the file
    QString thumbnailName;    // the metadata's thumbnail file name, or empty
    // BDMV/META/DL/ joined with that name; empty without a name. Inside an image this names
    // no file on the system: the picture is in thumbnailData.
    QString thumbnailPath;
    // The picture file's bytes, read by the scan so that nobody opens the path again: empty
    // unless it could be read whole and holds at most MaxThumbnailBytes.
    QByteArray thumbnailData;
    static constexpr qint64 MaxThumbnailBytes = 16 * 1024 * 1024;
    QVector<BluRayTitle> titles; // in the order of the title menus: longest first
    // The movie: libbluray's main title (MainTitleRules over the engine's title list) when
    // the engine can play it by number, else the title those rules pick among the ones it
    // can play, else the longest; empty without titles.
    QString currentTitleKey;
    // The engine's title list, numbered from 1, for diagnostics; titles refer to it through
    // engineTitle.
    QVector<EngineTitleList::Entry> engineTitles;
    // What libbluray can do with the disc's copy protection (ScanBluRayFolder only).
    DiscProtectionInfo protection;

    // The title with this key, or nullptr.
    const BluRayTitle *Find(const QString &key) const;
};

// Where a scan spends its time, in nanoseconds (for the benchmark).
struct BluRayScanTimings
{
    qint64 metadata = 0;  // ReadDiscMetadata
    qint64 listing = 0;   // the listing of the playlist folder
    qint64 reading = 0;   // opening and reading the playlist files, once each
    qint64 parsing = 0;   // MplsReader over the bytes read
    qint64 digests = 0;   // SHA-512 of the playlists that have play items
    qint64 numbering = 0; // the engine's title list (parsing as libbluray, filtering, naming)
    qint64 sorting = 0;   // the title list sorted by duration text, engine numbers matched
    // ScanBluRayFolder: how long the protection check ran on after everything above.
    qint64 protectionWait = 0;
    qint64 total = 0;
};

// The scan of a Blu-ray disc (a folder that holds BDMV, or a UDF image), without any window:
//  1. The metadata file BDMV/META/DL/bdmt_eng.xml gives the disc name and thumbnail
//     (ReadDiscMetadata).
//  2. The entries of BDMV/PLAYLIST are taken in listing order (DiscFileSource::List, the
//     medium's raw directory order). Folders are skipped; a file from which MplsReader hands out no
//     play item (unreadable, not a playlist, rejected) is skipped; a file read whole whose
//     SHA-512 digest equals an earlier title's is a byte copy and skipped (files read only in
//     part are never taken for copies).
//  3. Each remaining file is a title: its play items, streams and chapters, its length
//     (the items' durationMs added, then whole seconds) and FormatTime text, audio choice 1 when
//     it has audio, else 0.
//  4. Titles are sorted by duration text, greatest first (a plain text comparison; equal
//     texts keep listing order). The movie is current: see currentTitleKey.
//  5. Each title's engine number is its position in the engine's own title list
//     (EngineTitleList), found by playlist file name. Counting the titles above instead
//     would go wrong after the first byte copy (which the engine does not count) or the
//     first playlist that the engine counts and the scan skips: from there on every number
//     would play another title. A title missing from that list keeps NoEngineTitle.
// Each playlist file is read once. The scan touches no shared state and no GUI object, so
// it may run on a worker thread.
BluRayScan ScanBluRay(DiscFileSource &source, BluRayScanTimings *timings = nullptr);
// The same for a folder or image path (OpenDiscSource), with the disc's protection read by
// libbluray beside it; a path that opens as neither gives a scan without titles.
BluRayScan ScanBluRayFolder(const QString &path, BluRayScanTimings *timings = nullptr);
