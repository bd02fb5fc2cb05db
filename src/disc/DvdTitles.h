#pragma once

#include <QByteArrayView>
#include <QVector>
#include <QtGlobal>

// One title of a DVD as the engine reports it.
struct DvdTitle
{
    int number = 0;                  // N in "dvd://N", from 1
    qint64 lengthMs = 0;             // 0 when the engine gave no length
    int chapterCount = 0;            // the chapters the engine counts
    QVector<qint64> chapterStartsMs; // their starts, first 0; empty when the engine gave none
};

// The titles of a DVD, in the engine's numbering.
struct DvdTitles
{
    QVector<DvdTitle> titles;
};

// Reads the titles from an engine run that opened each title in turn with "-identify" (see
// DvdIdentifyArguments): ID_DVD_TITLES=N gives the count, ID_DVD_TITLE_n_LENGTH=seconds and
// ID_DVD_TITLE_n_CHAPTERS=k each title's length and chapter count, and the
// "CHAPTERS: hh:mm:ss.mmm,..." line that follows ID_DVD_CURRENT_TITLE=n the starts of title
// n's chapters ("Playing " ends a title, so a title that failed to open takes none). Values
// out of range (more than 99 titles or 999 chapters, a negative or unreadable number) are
// ignored, and only the first MaxOutputBytes count: any output gives a bounded answer.
// No ID_DVD_TITLES line: no titles.
DvdTitles ParseDvdTitles(QByteArrayView output);

namespace DvdLimits {
constexpr int MaxTitles = 99;
constexpr int MaxChapters = 999;
constexpr qsizetype MaxOutputBytes = 4 * 1024 * 1024;
} // namespace DvdLimits
