#pragma once

#include "disc/MainTitleRules.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>

class DiscFileSource;

// The engine's own title numbers. The engine (MPlayer with libbluray) plays `br://N` as the
// N-th entry of libbluray's relevant-title list, bd_get_titles(bd, TITLES_RELEVANT, 0):
// the playlist folder in raw directory order, without names starting with ".", without
// files libbluray cannot parse, without every playlist whose content equals one listed
// earlier, and without every playlist that plays one clip segment more than twice.
// Entry N plays the playlist that bd_get_title_info names: "%05u.mpls" of the number at the
// start of the entry's name, when that file parses (else the engine cannot play entry N).
//
// This builds that list without libbluray, from the bytes the disc scan has already read,
// by the rules of libbluray 1.3.4 (bdnav/navigation.c nav_get_title_list with _filter_dup
// and _filter_repeats, bdnav/mpls_parse.c, util/bits.c), which is what the engine links.
// Doing it here costs one pass over bytes already in memory, where libbluray reads every
// playlist twice and compares each with every earlier one; tests compare the result with
// libbluray's own on built discs. Not followed: AVCHD's short file names (a folder with
// INDEX.BDM and no index.bdmv) and file names that are not valid in the locale's encoding.
class EngineTitleList
{
public:
    struct Entry
    {
        QString entryName;    // the listed name, e.g. "00001.mpls" or "12.mpls"
        QString playlistName; // what the engine plays for this number; empty when nothing
        MainTitleFacts facts; // of the listed file, as libbluray weighs it for the main title
    };

    // What libbluray's playlist parser makes of a file, as far as the title list uses it.
    struct Playlist
    {
        bool parsed = false;      // libbluray's mpls_parse accepts the file
        bool repeatsClip = false; // a clip segment is played more than twice
        QByteArray identity;      // equal exactly when libbluray calls two playlists the same
        MainTitleFacts facts;
    };
    static Playlist Parse(QByteArrayView bytes);

    // source: the disc (a folder holding BDMV, or an image). Files the scan does not hand
    // in (a BACKUP copy that libbluray falls back to) are read from there; the source must
    // outlive the list.
    explicit EngineTitleList(DiscFileSource &source);

    // Hands in the next entry of the playlist folder's listing (names starting with "." are
    // not entries): its name and, when readable is true, the file's whole content (false
    // for a folder or a file that cannot be read).
    void AddEntry(const QString &name, QByteArrayView bytes, bool readable);
    // The list, numbered from 1, once every entry has been handed in.
    QVector<Entry> Finish();

    // The same for a disc, reading the files itself.
    static QVector<Entry> ForSource(DiscFileSource &source);
    // The same for a disc folder or image path; empty when it opens as neither.
    static QVector<Entry> ForDisc(const QString &discPath);

private:
    bool ParsesAsPlaylist(const QString &name);
    Playlist ParseBackup(const QString &name) const;

    DiscFileSource &source;
    bool hasBackupFolder = false;
    QSet<QByteArray> keptIdentities;
    QVector<QString> kept;
    QVector<MainTitleFacts> keptFacts;
    QHash<QString, bool> parsedByName; // listed names: does libbluray's parser accept them
};
