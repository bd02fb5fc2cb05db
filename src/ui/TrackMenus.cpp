#include "ui/TrackMenus.h"

#include "engine/SlaveCommand.h"
#include "player/StreamTally.h"

#include <QAction>
#include <QMenu>

namespace TrackMenus {

void CheckOnly(QMenu *submenu, QAction *entry)
{
    for (QAction *action : submenu->actions()) {
        action->setChecked(false);
    }
    entry->setCheckable(true);
    entry->setChecked(true);
}

void SelectOnly(QMenu *menu, int index)
{
    const QList<QAction *> entries = menu->actions();
    for (int i = 0; i < entries.size(); ++i) {
        if (i == index) {
            entries[i]->setCheckable(true);
            entries[i]->setChecked(true);
        } else {
            entries[i]->setChecked(false);
        }
    }
}

void ResetToFirst(QMenu *menu)
{
    const QList<QAction *> entries = menu->actions();
    for (int i = 0; i < entries.size(); ++i) {
        entries[i]->setCheckable(i == 0);
        entries[i]->setChecked(i == 0);
    }
}

bool FitToStreams(QMenu *menu, int streamCount, const QString &label, bool checkDisable)
{
    if (!StreamTally::MenuNeedsRebuild(streamCount, int(menu->actions().size()))) {
        return false;
    }
    menu->clear();
    for (int n = 0; n <= streamCount; ++n) {
        auto *entry = new QAction(n == 0 ? QStringLiteral("Disable") : label.arg(n), menu);
        entry->setData(n);
        if (n == (checkDisable ? 0 : 1)) {
            entry->setCheckable(true);
            entry->setChecked(true);
        }
        menu->addAction(entry);
    }
    return true;
}

QList<QByteArray> FitToEngine(QMenu *audio, QMenu *subtitles, int audioCount, int subtitleCount,
                              int audioChoice, int subtitleChoice, int volume)
{
    QList<QByteArray> commands;
    if (FitToStreams(audio, audioCount, QStringLiteral("Audio %1"), false) && audioChoice < 0) {
        commands << SlaveCommand::SwitchAudioKeepPause(0);
    }
    FitToStreams(subtitles, subtitleCount, QStringLiteral("Subtitle %1"), true);
    if (subtitleChoice >= 0) {
        commands << SlaveCommand::SubDemux(subtitleChoice);
        SelectOnly(subtitles, subtitleChoice + 1);
    }
    if (audioChoice >= 0) {
        commands << SlaveCommand::SwitchAudio(audioChoice) << SlaveCommand::VolumeKeepPause(volume);
        SelectOnly(audio, audioChoice + 1);
    }
    return commands;
}

} // namespace TrackMenus
