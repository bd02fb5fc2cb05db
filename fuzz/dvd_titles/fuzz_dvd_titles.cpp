// Feeds arbitrary engine output to the DVD title reader: whatever it reads, the titles are
// numbered 1 to N with N at most 99, lengths and chapter starts are never negative, chapter
// starts never go back and never outnumber the counted chapters, and a second read agrees.

#include "../FuzzCheck.h"
#include "disc/DvdTitles.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView output(reinterpret_cast<const char *>(data), qsizetype(size));
    const DvdTitles read = ParseDvdTitles(output);
    Check(read.titles.size() <= DvdLimits::MaxTitles);
    for (int i = 0; i < read.titles.size(); ++i) {
        const DvdTitle &title = read.titles[i];
        Check(title.number == i + 1);
        Check(title.lengthMs >= 0);
        Check(title.chapterCount >= 0 && title.chapterCount <= DvdLimits::MaxChapters);
        Check(title.chapterStartsMs.size() <= title.chapterCount);
        for (int c = 0; c < title.chapterStartsMs.size(); ++c)
            Check(title.chapterStartsMs[c] >= 0 &&
                  (c == 0 || title.chapterStartsMs[c] >= title.chapterStartsMs[c - 1]));
    }
    const DvdTitles again = ParseDvdTitles(output);
    Check(again.titles.size() == read.titles.size());
    return 0;
}
