#pragma once

#include <QString>

// What the window's OpenDiscFolder makes of a folder.
enum class DiscFolderKind
{
    None,   // neither: the window shows "Messages/MSG0102"
    Dvd,    // OpenDvdFolder
    BluRay, // LoadBluRayFolder
};

// OpenDiscFolder's decision, without the window: a folder with a "BDMV"
// sub-folder is a Blu-ray candidate (even when it also has "VIDEO_TS"), else one with a
// "VIDEO_TS" sub-folder is a DVD candidate. The candidate is confirmed by a marker among
// the folders of a listing (ListFolderEntries): for Blu-ray a folder in "BDMV" whose full
// path contains "STREAM", for DVD a folder in the folder itself whose full path contains
// "VIDEO_TS". The test is case-sensitive and runs over the whole entry path, so a chosen
// folder whose own path holds the marker accepts any sub-folder; files never count.
// An empty path is None (the caller does nothing for a null path before asking).
DiscFolderKind DetectDiscFolder(const QString &folder);
