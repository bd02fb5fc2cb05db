// Compares the player's view of the engine's title list with libbluray's own, on each disc
// folder named on the command line: libbluray's bd_open, bd_get_titles(TITLES_RELEVANT, 0)
// and bd_get_title_info for each title, against EngineTitleList::ForDisc.
//
//   orvel-disc-conformance DISC-FOLDER...
//
// Prints MATCH or DIFFER per folder (with both lists when they differ), then a count of
// each. Exits 1 when any folder differs, 2 on a usage error.

#include "disc/EngineTitleList.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <libbluray/bluray.h>
#include <libbluray/log_control.h>

#include <cstdio>

namespace {

// libbluray's list: per title the playlist that bd_get_title_info names, or empty.
QStringList LibblurayList(const QString &folder, bool *opened)
{
    QStringList list;
    BLURAY *bd = bd_open(QFile::encodeName(folder).constData(), nullptr);
    *opened = bd != nullptr;
    if (!bd)
        return list;
    const uint32_t count = bd_get_titles(bd, TITLES_RELEVANT, 0);
    for (uint32_t i = 0; i < count; ++i) {
        BLURAY_TITLE_INFO *info = bd_get_title_info(bd, i, 0);
        list << (info ? QStringLiteral("%1.mpls").arg(info->playlist, 5, 10, QLatin1Char('0'))
                      : QString());
        bd_free_title_info(info);
    }
    bd_close(bd);
    return list;
}

QString Show(const QStringList &list)
{
    QStringList shown;
    for (const QString &name : list)
        shown << (name.isEmpty() ? QStringLiteral("-") : name);
    return shown.join(QLatin1Char(' '));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList folders = app.arguments().mid(1);
    if (folders.isEmpty()) {
        std::fputs("usage: orvel-disc-conformance DISC-FOLDER...\n", stderr);
        return 2;
    }
    bd_set_debug_mask(0);
    int matches = 0;
    int differences = 0;
    for (const QString &folder : folders) {
        bool opened = false;
        const QStringList theirs = LibblurayList(folder, &opened);
        QStringList ours;
        for (const EngineTitleList::Entry &entry : EngineTitleList::ForDisc(folder))
            ours << entry.playlistName;
        if (!opened)
            ours.clear(); // libbluray cannot open it: the engine has no titles at all
        if (ours == theirs) {
            ++matches;
            std::printf("MATCH %s (%lld titles)\n", qPrintable(folder), qlonglong(ours.size()));
        } else {
            ++differences;
            std::printf("DIFFER %s\n  libbluray: %s\n  ours:      %s\n", qPrintable(folder),
                        qPrintable(Show(theirs)), qPrintable(Show(ours)));
        }
    }
    std::printf("%d match, %d differ\n", matches, differences);
    return differences ? 1 : 0;
}
