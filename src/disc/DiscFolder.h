#pragma once

#include <QString>

class DiscFileSource;

// What the window's OpenDiscFolder makes of a folder.
enum class DiscFolderKind
{
    None,   // neither: the window shows "Messages/MSG0102"
    Dvd,    // OpenDvdFolder
    BluRay, // LoadBluRayFolder
};

// OpenDiscFolder's decision, without the window, for a disc folder or a disc image (read
// through DiscFileSource, so both answer alike): a disc with a "BDMV" folder at its root is
// a Blu-ray candidate (even when it also has "VIDEO_TS"), else one with a "VIDEO_TS" folder
// is a DVD candidate. The candidate is confirmed by a marker among the folders of a
// listing (DiscFileSource::List): for Blu-ray a folder in "BDMV" whose full
// path contains "STREAM", for DVD a folder in the folder itself whose full path contains
// "VIDEO_TS". The test is case-sensitive and runs over the whole entry path, so a chosen
// folder whose own path holds the marker accepts any sub-folder; files never count.
// An empty path, and a path that is neither a folder nor a readable UDF image, is None.
DiscFolderKind DetectDiscFolder(const QString &path);
// The same for a source already open; "full path" is the source's Where.
DiscFolderKind DetectDisc(DiscFileSource &source);
