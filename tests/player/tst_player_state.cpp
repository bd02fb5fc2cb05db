// The player's one face: every request that changes what the window shows says so with one
// change signal, and the published state holds the change; the preferences live with the
// player and are kept for the next start.
#include "player/PlayerController.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

Q_DECLARE_METATYPE(PlayerRequest)
using StateCheck = std::function<bool(const PlayerState &)>;
Q_DECLARE_METATYPE(StateCheck)

class PlayerStateTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void aRequestChangesTheStateAndSaysWhat_data();
    void aRequestChangesTheStateAndSaysWhat();
    void thePreferencesAreKeptForTheNextStart();

private:
    std::unique_ptr<QTemporaryDir> folder;
};

void PlayerStateTest::init()
{
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
}

void PlayerStateTest::aRequestChangesTheStateAndSaysWhat_data()
{
    QTest::addColumn<PlayerRequest>("request");
    QTest::addColumn<bool>("acted");
    QTest::addColumn<int>("change");
    QTest::addColumn<StateCheck>("holds");

    const QString film = QStringLiteral("/films/a.mkv");
    const QString listed = QStringLiteral("/films/listed.mkv");
    QTest::newRow("play next on") << PlayerRequest(Ask::PlayNextAutomatically{true}) << true
                                  << int(StateChange::Preferences)
                                  << StateCheck([](const PlayerState &s) {
                                         return s.preferences.PlayNext();
                                     });
    QTest::newRow("resume off") << PlayerRequest(Ask::ResumeWhereLeft{false}) << true
                                << int(StateChange::Preferences)
                                << StateCheck([](const PlayerState &s) {
                                       return !s.preferences.Resume();
                                   });
    QTest::newRow("preferred languages")
        << PlayerRequest(Ask::PreferredLanguages{QStringLiteral("fra"), QStringLiteral("deu")})
        << true << int(StateChange::Preferences | StateChange::CurrentTitle)
        << StateCheck([](const PlayerState &s) {
               return s.preferences.AudioLanguage() == QLatin1String("fra") &&
                      s.preferences.SubtitleLanguage() == QLatin1String("deu");
           });
    QTest::newRow("a recent file")
        << PlayerRequest(Ask::AddRecentFile{film}) << true << int(StateChange::RecentFiles)
        << StateCheck([film](const PlayerState &s) { return s.recentFiles.value(0) == film; });
    QTest::newRow("recent files cleared")
        << PlayerRequest(Ask::ClearRecentFiles{}) << true << int(StateChange::RecentFiles)
        << StateCheck([](const PlayerState &s) { return s.recentFiles.isEmpty(); });
    QTest::newRow("an entry for the playlist")
        << PlayerRequest(Ask::AddToPlaylist{{PLAY_LIST_INFO{SourceKind::MediaFile, 0, film, {}}}})
        << true << int(StateChange::Playlist) << StateCheck([film](const PlayerState &s) {
               return s.playlist.size() == 2 && s.playlist.last().path == film;
           });
    // Listed already: nothing changes and nothing is said.
    QTest::newRow("an entry listed already")
        << PlayerRequest(Ask::AddToPlaylist{{PLAY_LIST_INFO{SourceKind::MediaFile, 0, listed, {}}}})
        << false << 0 << StateCheck([](const PlayerState &s) { return s.playlist.size() == 1; });
    QTest::newRow("playlist cleared")
        << PlayerRequest(Ask::ClearPlaylist{}) << true << int(StateChange::Playlist)
        << StateCheck([](const PlayerState &s) { return s.playlist.isEmpty(); });
    QTest::newRow("the picture hidden")
        << PlayerRequest(Ask::VideoTrack{Ask::StreamChoice{0}}) << true << int(StateChange::Viewing)
        << StateCheck([](const PlayerState &s) { return s.videoTrack == 0; });
    QTest::newRow("muted") << PlayerRequest(Ask::ToggleMute{}) << true << int(StateChange::Volume)
                           << StateCheck(
                                  [](const PlayerState &s) { return s.muted && s.volume == 0; });
    QTest::newRow("a level beyond the top")
        << PlayerRequest(Ask::Volume{150}) << true << int(StateChange::Volume)
        << StateCheck([](const PlayerState &s) { return !s.muted && s.volume == 100; });
}

void PlayerStateTest::aRequestChangesTheStateAndSaysWhat()
{
    QFETCH(PlayerRequest, request);
    QFETCH(bool, acted);
    QFETCH(int, change);
    QFETCH(StateCheck, holds);

    PlayerController controller(folder->path(), folder->filePath("settings.ini"));
    QVERIFY(controller.Handle(Ask::AddRecentFile{QStringLiteral("/films/older.mkv")}));
    QVERIFY(controller.Handle(Ask::AddToPlaylist{
        {PLAY_LIST_INFO{SourceKind::MediaFile, 0, QStringLiteral("/films/listed.mkv"), {}}}}));
    QSignalSpy changes(&controller, &PlayerController::changed);

    QCOMPARE(controller.Handle(request), acted);
    StateChanges said;
    for (const QList<QVariant> &signal : changes)
        said |= signal.value(0).value<StateChanges>();
    QCOMPARE(int(said), change);
    QVERIFY(holds(controller.State()));
}

void PlayerStateTest::thePreferencesAreKeptForTheNextStart()
{
    const QString settings = folder->filePath("settings.ini");
    {
        PlayerController controller(folder->path(), settings);
        QVERIFY(!controller.State().preferences.PlayNext());
        QVERIFY(controller.State().preferences.Resume());
        QVERIFY(controller.Handle(Ask::PlayNextAutomatically{true}));
        QVERIFY(controller.Handle(Ask::ResumeWhereLeft{false}));
        QVERIFY(controller.Handle(Ask::PreferredLanguages{QStringLiteral("jpn"), QString()}));
    }
    PlayerController next(folder->path(), settings);
    QVERIFY(next.State().preferences.PlayNext());
    QVERIFY(!next.State().preferences.Resume());
    QCOMPARE(next.State().preferences.AudioLanguage(), QStringLiteral("jpn"));
    QCOMPARE(next.State().preferences.SubtitleLanguage(), QString());
    // Back to the disc's own choice.
    QVERIFY(next.Handle(Ask::PreferredLanguages{}));
    QCOMPARE(PlayerController(folder->path(), settings).State().preferences.AudioLanguage(),
             QString());
    // Without a settings file the choices hold for the run only.
    PlayerController passing(folder->path());
    QVERIFY(passing.Handle(Ask::PlayNextAutomatically{true}));
    QVERIFY(passing.State().preferences.PlayNext());
    PlayerController after(folder->path());
    QVERIFY(!after.State().preferences.PlayNext());
}

QTEST_GUILESS_MAIN(PlayerStateTest)
#include "tst_player_state.moc"
