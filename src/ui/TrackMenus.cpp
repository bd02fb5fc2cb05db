#include "ui/TrackMenus.h"

#include "disc/BluRayScan.h"
#include "disc/StreamMenuName.h"
#include "i18n/GetText.h"
#include "i18n/StreamLabel.h"
#include "player/PlayerState.h"
#include "player/ViewingRules.h"

#include <QFileInfo>

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

void ResetToFirst(QMenu *menu)
{
    const QList<QAction *> entries = menu->actions();
    for (int i = 0; i < entries.size(); ++i) {
        entries[i]->setCheckable(i == 0);
        entries[i]->setChecked(i == 0);
    }
}

QString DisableText()
{
    const QString text = GetText("MainWnd/Disable");
    return text.isEmpty() ? QStringLiteral("Disable") : text;
}

void ShowStreams(QMenu *menu, const QStringList &names, int checked)
{
    menu->clear();
    if (names.isEmpty()) {
        return;
    }
    for (int n = 0; n <= names.size(); ++n) {
        auto *entry = new QAction(n == 0 ? DisableText() : names[n - 1], menu);
        entry->setData(n);
        entry->setCheckable(true);
        entry->setChecked(n == checked);
        menu->addAction(entry);
    }
}

void ShowViewing(const PlayerState &state, QMenu *speedSubmenu, QMenu *aspectSubmenu,
                 QAction *deinterlaceAction)
{
    if (speedSubmenu) {
        for (QAction *action : speedSubmenu->actions()) {
            if (action->isCheckable())
                action->setChecked(SameSpeed(action->data().toDouble(), state.speed));
        }
    }
    if (aspectSubmenu) {
        for (QAction *action : aspectSubmenu->actions())
            action->setChecked(action->data().toInt() == int(state.aspect));
    }
    if (deinterlaceAction)
        deinterlaceAction->setChecked(state.deinterlaced);
}

} // namespace TrackMenus

namespace {

// A disc's streams are named as the engine's are, in the interface language, with the
// disc's language code and codec.
QStringList StreamNames(StreamLabel::Kind kind, const QList<StreamCatalog::Stream> &found,
                        const QVector<MplsStream> *named, const QString &locale)
{
    QStringList shown;
    // A disc title lists what its playlist lists, once the engine has opened it: the engine
    // may find more (an empty core beside a TrueHD stream), and it numbers them in its own
    // order.
    const qsizetype count = found.isEmpty()              ? 0
                            : named && !named->isEmpty() ? named->size()
                                                         : found.size();
    for (int n = 1; n <= count; ++n) {
        if (named && n <= named->size()) {
            const MplsStream &stream = (*named)[n - 1];
            shown << StreamLabel::Text(kind, n, QString::fromLatin1(stream.language),
                                       AudioCodecName(stream.codingType), locale);
        } else {
            shown << StreamLabel::Text(kind, n, found[n - 1].language, found[n - 1].title, locale);
        }
    }
    return shown;
}

// The streams of the title's item that plays, when the title's items are known.
const MplsItemStreams *PlayingItemStreams(const PlayerState &state, const BluRayTitle *title)
{
    const int item = state.playingItem;
    return title && item >= 0 && item < title->itemStreams.size() ? &title->itemStreams[item]
                                                                  : nullptr;
}

} // namespace

void TrackMenus::ShowSessionStreams(const PlayerState &state, const BluRayTitle *title,
                                    const QString &locale, QMenu *audio, QMenu *subtitles,
                                    QMenu *chapters)
{
    const MplsItemStreams *playing = PlayingItemStreams(state, title);
    // An item without streams of a kind (a logo) names the film's, which the engine has
    // found already.
    const QVector<MplsStream> *audioNamed = playing && !playing->audio.isEmpty() ? &playing->audio
                                            : title ? &title->audioStreams
                                                    : nullptr;
    const QVector<MplsStream> *subtitleNamed = playing && !playing->subtitles.isEmpty()
                                                   ? &playing->subtitles
                                               : title ? &title->subtitles
                                                       : nullptr;
    QStringList audioNames =
        StreamNames(StreamLabel::Kind::Audio, state.audioStreams, audioNamed, locale);
    for (int n = 1; n <= audioNames.size(); ++n) {
        if (state.audioCannotPlay.contains(n))
            audioNames[n - 1] = GetText("MainWnd/AudioCannotPlay").arg(audioNames[n - 1]);
    }
    QStringList subtitleNames =
        StreamNames(StreamLabel::Kind::Subtitle, state.subtitleStreams, subtitleNamed, locale);
    for (const QString &file : state.subtitleFiles)
        subtitleNames << QFileInfo(file).fileName();
    ShowStreams(audio, audioNames, state.audioChoice);
    ShowStreams(subtitles, subtitleNames, state.subtitleChoice);

    // A disc title's chapters come from its playlist.
    if (state.launch.kind != SourceKind::MediaFile)
        return;
    chapters->clear();
    const QList<StreamCatalog::Chapter> &found = state.chapters;
    for (int i = 0; i < found.size(); ++i) {
        const qint64 startSec = qint64(qBound(0.0, found[i].startSeconds, 4.0e6));
        auto *entry = new QAction(ChapterRowText(i + 1, found[i].name, startSec), chapters);
        entry->setData(i);
        chapters->addAction(entry);
    }
}
