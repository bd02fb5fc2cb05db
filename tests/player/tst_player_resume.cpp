#include "platform/PathBytes.h"
#include "player/ResumeRules.h"
#include "player/ResumeStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using OnEnd = ResumeRules::OnEnd;
Q_DECLARE_METATYPE(ResumeRules::OnEnd)

namespace {

bool WriteFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

ResumePoint PointAt(qint64 position, qint64 savedAt)
{
    ResumePoint point;
    point.position = position;
    point.savedAt = savedAt;
    return point;
}

} // namespace

class ResumeTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void decidesAtSessionEnd_data();
    void decidesAtSessionEnd();
    void startsBeforeTheStoredPosition_data();
    void startsBeforeTheStoredPosition();
    void keepsEveryChoiceAcrossLoads();
    void aSourceListedTwiceKeepsItsFirstEntry();
    void changedFileStartsOver_data();
    void changedFileStartsOver();
    void dropsTheOldestBeyondTheCap();
    void delaysAreKeptAndOlderEntriesLoad_data();
    void delaysAreKeptAndOlderEntriesLoad();
    void ignoresUnusableFiles_data();
    void ignoresUnusableFiles();
    void reportsAFailedWrite();
    void namesThatAreNotUtf8AreResumed();

private:
    std::unique_ptr<QTemporaryDir> root;
    QString storePath;
};

void ResumeTest::init()
{
    root = std::make_unique<QTemporaryDir>();
    QVERIFY(root->isValid());
    storePath = ResumeStore::FilePathIn(root->filePath("data"));
}

void ResumeTest::decidesAtSessionEnd_data()
{
    QTest::addColumn<qint64>("position");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<bool>("playedToEnd");
    QTest::addColumn<OnEnd>("decision");

    QTest::newRow("two minutes into an hour")
        << qint64(134) << qint64(3600) << false << OnEnd::Remember;
    QTest::newRow("exactly one minute in") << qint64(60) << qint64(3600) << false << OnEnd::Forget;
    QTest::newRow("just past one minute") << qint64(61) << qint64(3600) << false << OnEnd::Remember;
    QTest::newRow("exactly one minute before the end")
        << qint64(3540) << qint64(3600) << false << OnEnd::Forget;
    QTest::newRow("just over a minute before the end")
        << qint64(3539) << qint64(3600) << false << OnEnd::Remember;
    QTest::newRow("played to the end") << qint64(3000) << qint64(3600) << true << OnEnd::Forget;
    QTest::newRow("two minutes into a film too short")
        << qint64(90) << qint64(150) << false << OnEnd::Forget;
    QTest::newRow("unknown length") << qint64(134) << qint64(0) << false << OnEnd::Remember;
}

void ResumeTest::decidesAtSessionEnd()
{
    QFETCH(qint64, position);
    QFETCH(qint64, length);
    QFETCH(bool, playedToEnd);
    QFETCH(OnEnd, decision);
    QCOMPARE(ResumeRules::AtSessionEnd(position, length, playedToEnd), decision);
}

void ResumeTest::startsBeforeTheStoredPosition_data()
{
    QTest::addColumn<qint64>("stored");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<qint64>("start");

    QTest::newRow("two minutes") << qint64(134) << qint64(3600) << qint64(129);
    QTest::newRow("unknown length") << qint64(134) << qint64(0) << qint64(129);
    QTest::newRow("never below zero") << qint64(3) << qint64(3600) << qint64(0);
    QTest::newRow("beyond the end of a shrunk file") << qint64(134) << qint64(100) << qint64(0);
}

void ResumeTest::startsBeforeTheStoredPosition()
{
    QFETCH(qint64, stored);
    QFETCH(qint64, length);
    QFETCH(qint64, start);
    QCOMPARE(ResumeRules::StartPosition(stored, length), start);
}

void ResumeTest::keepsEveryChoiceAcrossLoads()
{
    const QString media = root->filePath("film \u00e9t\u00e9 \"1\".mkv");
    QVERIFY(WriteFile(media, "frames"));
    ResumePoint point = PointAt(134, 1700000000);
    point.audio = 1;
    point.subtitles = ResumePoint::Subtitles::File;
    point.subtitleFile = root->filePath("film.srt");
    point.volume = 35;
    ResumeStore store(storePath);
    QVERIFY(store.Remember(*ResumeKey::ForMediaFile(media), point));
    QVERIFY(store.Remember(ResumeKey::ForDvd("/media/DVD", 1), PointAt(700, 2)));
    QVERIFY(store.Remember(ResumeKey::ForBluRay("/media/BD", "00800.mpls"), PointAt(900, 3)));
    QVERIFY(store.Forget(ResumeKey::ForDvd("/media/DVD", 1)));

    ResumeStore again(storePath);
    again.Load();
    QCOMPARE(again.Count(), 2);
    const std::optional<ResumePoint> found = again.Find(*ResumeKey::ForMediaFile(media));
    QVERIFY(found.has_value());
    QCOMPARE(found->position, qint64(134));
    QCOMPARE(found->audio, 1);
    QCOMPARE(found->subtitles, ResumePoint::Subtitles::File);
    QCOMPARE(found->subtitleFile, point.subtitleFile);
    QCOMPARE(found->volume, 35);
    QCOMPARE(found->savedAt, qint64(1700000000));
    QVERIFY(!again.Find(ResumeKey::ForDvd("/media/DVD", 1)).has_value());
    // Another playlist of the same disc is another source.
    QVERIFY(!again.Find(ResumeKey::ForBluRay("/media/BD", "00801.mpls")).has_value());
    QCOMPARE(again.Find(ResumeKey::ForBluRay("/media/BD", "00800.mpls"))->position, qint64(900));
}

void ResumeTest::aSourceListedTwiceKeepsItsFirstEntry()
{
    // Written by hand or by another program: the same source twice, and entries that only
    // share a path or a title with it.
    const auto entry = [](const char *kind, const char *path, const char *title, int position) {
        return QStringLiteral("{\"kind\":\"%1\",\"path\":\"%2\",\"title\":\"%3\",\"size\":-1,"
                              "\"modified\":-1,\"position\":%4,\"audio\":-1,"
                              "\"subtitles\":\"default\",\"subtitleIndex\":-1,"
                              "\"subtitleFile\":\"\",\"volume\":50,\"savedAt\":%4}")
            .arg(kind, path, title)
            .arg(position);
    };
    const QStringList entries{entry("dvd", "/m", "1", 300), entry("dvd", "/m", "1", 350),
                              entry("dvd", "/m", "2", 400), entry("bluray", "/m", "1", 500),
                              entry("dvd", "/n", "1", 600)};
    QVERIFY(QDir().mkpath(QFileInfo(storePath).path()));
    QVERIFY(WriteFile(storePath, QStringLiteral("{\"format\":\"orvel-resume\",\"version\":1,"
                                                "\"entries\":[%1]}")
                                     .arg(entries.join(','))
                                     .toUtf8()));
    ResumeStore store(storePath);
    store.Load();
    QCOMPARE(store.Count(), 4);
    QCOMPARE(store.Find(ResumeKey::ForDvd("/m", 1))->position, qint64(300));
    QCOMPARE(store.Find(ResumeKey::ForDvd("/m", 2))->position, qint64(400));
    QCOMPARE(store.Find(ResumeKey::ForBluRay("/m", "1"))->position, qint64(500));
    QCOMPARE(store.Find(ResumeKey::ForDvd("/n", 1))->position, qint64(600));
}

void ResumeTest::changedFileStartsOver_data()
{
    QTest::addColumn<QByteArray>("newContent"); // empty: the file is left as it was
    QTest::addColumn<int>("secondsLater");      // its modification time moves by this
    QTest::addColumn<bool>("found");

    QTest::newRow("unchanged") << QByteArray() << 0 << true;
    QTest::newRow("shrank") << QByteArray("fra") << 0 << false;
    QTest::newRow("same size, rewritten later") << QByteArray("FRAMES") << 10 << false;
}

void ResumeTest::changedFileStartsOver()
{
    QFETCH(QByteArray, newContent);
    QFETCH(int, secondsLater);
    QFETCH(bool, found);
    const QString media = root->filePath("film.mkv");
    QVERIFY(WriteFile(media, "frames"));
    ResumeStore store(storePath);
    QVERIFY(store.Remember(*ResumeKey::ForMediaFile(media), PointAt(134, 1)));

    if (!newContent.isEmpty()) {
        QVERIFY(WriteFile(media, newContent));
        struct timeval times[2];
        ::gettimeofday(&times[0], nullptr);
        times[0].tv_sec += secondsLater;
        times[1] = times[0];
        QCOMPARE(::utimes(QFile::encodeName(media).constData(), times), 0);
    }
    ResumeStore again(storePath);
    again.Load();
    QCOMPARE(again.Find(*ResumeKey::ForMediaFile(media)).has_value(), found);
}

void ResumeTest::dropsTheOldestBeyondTheCap()
{
    ResumeStore store(storePath);
    // Saved in an order that is not their age, so that the cap has to look at the stamps.
    for (int i = 0; i <= ResumeStore::MaxEntries; ++i) {
        const int age = (i * 7 + 3) % (ResumeStore::MaxEntries + 1); // 0..500, 3 first
        QVERIFY(store.Remember(ResumeKey::ForDvd(QStringLiteral("/d/%1").arg(age), 1),
                               PointAt(100 + age, 1000 + age)));
    }
    QCOMPARE(store.Count(), qsizetype(ResumeStore::MaxEntries));
    ResumeStore again(storePath);
    again.Load();
    QCOMPARE(again.Count(), qsizetype(ResumeStore::MaxEntries));
    QVERIFY(!again.Find(ResumeKey::ForDvd("/d/0", 1)).has_value());
    QCOMPARE(again.Find(ResumeKey::ForDvd("/d/1", 1))->position, qint64(101));
    QCOMPARE(again.Find(ResumeKey::ForDvd("/d/3", 1))->position, qint64(103));
    QCOMPARE(again.Find(ResumeKey::ForDvd("/d/500", 1))->position, qint64(600));
    QVERIFY(QFileInfo(storePath).size() < ResumeStore::MaxFileBytes);
}

void ResumeTest::delaysAreKeptAndOlderEntriesLoad_data()
{
    QTest::addColumn<QString>("edit"); // what is done to the stored entry's delay fields
    QTest::addColumn<bool>("loads");
    QTest::addColumn<int>("audioDelay");
    QTest::addColumn<int>("subtitleDelay");

    QTest::newRow("as written") << "" << true << -300 << 1200;
    QTest::newRow("an entry from before the delays") << "drop" << true << 0 << 0;
    QTest::newRow("a delay that is no number") << "text" << false << 0 << 0;
    QTest::newRow("a delay beyond a minute") << "huge" << false << 0 << 0;
    QTest::newRow("a delay with a fraction") << "fraction" << false << 0 << 0;
}

void ResumeTest::delaysAreKeptAndOlderEntriesLoad()
{
    QFETCH(QString, edit);
    QFETCH(bool, loads);
    ResumePoint point = PointAt(700, 5);
    point.audioDelayMs = -300;
    point.subtitleDelayMs = 1200;
    {
        ResumeStore store(storePath);
        QVERIFY(store.Remember(ResumeKey::ForDvd("/media/DVD", 1), point));
    }
    QFile file(storePath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    file.close();
    const QRegularExpression audioField(QStringLiteral(R"("audioDelayMs": *-?\d+)"));
    const QRegularExpression subtitleField(QStringLiteral(R"("subtitleDelayMs": *-?\d+,?)"));
    QString changed = QString::fromUtf8(text);
    QVERIFY(changed.contains(audioField) && changed.contains(subtitleField));
    if (edit == "drop")
        changed.replace(subtitleField, QString()).replace(audioField, "\"unrelated\": 1");
    else if (edit == "text")
        changed.replace(audioField, "\"audioDelayMs\": \"-300\"");
    else if (edit == "huge")
        changed.replace(audioField, "\"audioDelayMs\": 600000");
    else if (edit == "fraction")
        changed.replace(audioField, "\"audioDelayMs\": 0.5");
    QVERIFY(WriteFile(storePath, changed.toUtf8()));

    if (!loads)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^resume store .*"));
    ResumeStore again(storePath);
    again.Load();
    const std::optional<ResumePoint> found = again.Find(ResumeKey::ForDvd("/media/DVD", 1));
    QCOMPARE(found.has_value(), loads);
    if (loads) {
        QCOMPARE(found->position, qint64(700));
        QTEST(found->audioDelayMs, "audioDelay");
        QTEST(found->subtitleDelayMs, "subtitleDelay");
    }
}

void ResumeTest::ignoresUnusableFiles_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("damaged") << "damaged";
    QTest::newRow("cut short") << "truncated";
    QTest::newRow("another format") << "foreign";
    QTest::newRow("oversized") << "oversized";
    QTest::newRow("named pipe") << "pipe";
    QTest::newRow("folder") << "folder";
}

void ResumeTest::ignoresUnusableFiles()
{
    QFETCH(QString, what);
    {
        ResumeStore store(storePath);
        QVERIFY(store.Remember(ResumeKey::ForDvd("/media/DVD", 1), PointAt(700, 1)));
    }
    QFile file(storePath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();
    QVERIFY(QFile::remove(storePath));
    if (what == "damaged")
        QVERIFY(WriteFile(storePath, QByteArray(good).replace("\"dvd\"", "\"dvd")));
    else if (what == "truncated")
        QVERIFY(WriteFile(storePath, good.first(good.size() / 2)));
    else if (what == "foreign")
        QVERIFY(WriteFile(storePath, QByteArray(good).replace("orvel-resume", "other")));
    else if (what == "oversized")
        QVERIFY(WriteFile(storePath, good + QByteArray(ResumeStore::MaxFileBytes, ' ')));
    else if (what == "pipe")
        QCOMPARE(::mkfifo(QFile::encodeName(storePath).constData(), 0600), 0);
    else
        QVERIFY(QDir().mkpath(storePath));

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^(resume store .*|.*Resume\\.json: .*)ignored"));
    ResumeStore store(storePath);
    store.Load(); // a pipe would block here if it were opened
    QCOMPARE(store.Count(), qsizetype(0));
    QVERIFY(!store.Find(ResumeKey::ForDvd("/media/DVD", 1)).has_value());

    // A damaged file is replaced by the next entry; a pipe or a folder stays as it is.
    if (what == "pipe" || what == "folder") {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not be saved"));
        QVERIFY(!store.Remember(ResumeKey::ForDvd("/media/DVD", 2), PointAt(800, 2)));
        struct stat info;
        QCOMPARE(::lstat(QFile::encodeName(storePath).constData(), &info), 0);
        QVERIFY(what == "pipe" ? S_ISFIFO(info.st_mode) : S_ISDIR(info.st_mode));
    } else {
        QVERIFY(store.Remember(ResumeKey::ForDvd("/media/DVD", 2), PointAt(800, 2)));
        ResumeStore again(storePath);
        again.Load();
        QCOMPARE(again.Count(), qsizetype(1));
    }
}

void ResumeTest::reportsAFailedWrite()
{
    // A regular file where the data folder should be: nothing can be written below it.
    QVERIFY(WriteFile(root->filePath("data"), "x"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Resume\\.json: could not be saved"));
    ResumeStore store(storePath);
    QVERIFY(!store.Remember(ResumeKey::ForDvd("/media/DVD", 1), PointAt(700, 1)));
    QCOMPARE(store.Count(), qsizetype(1));
}

void ResumeTest::namesThatAreNotUtf8AreResumed()
{
    // "Café.mkv" and a subtitle file beside it, as a Latin-1 system named them.
    const QByteArray folder = QFile::encodeName(root->path());
    const QString film = PathBytes::FromBytes(folder + "/Caf\xe9.mkv");
    const QString subtitles = PathBytes::FromBytes(folder + "/Caf\xe9.srt");
    const int fd = ::open(PathBytes::ToBytes(film).constData(), O_WRONLY | O_CREAT, 0600);
    QVERIFY(fd >= 0);
    ::close(fd);
    const std::optional<ResumeKey> key = ResumeKey::ForMediaFile(film);
    QVERIFY(key.has_value());
    ResumePoint point = PointAt(700, 1);
    point.subtitles = ResumePoint::Subtitles::File;
    point.subtitleFile = subtitles;
    {
        ResumeStore store(storePath);
        QVERIFY(store.Remember(*key, point));
    }
    ResumeStore again(storePath);
    again.Load();
    const std::optional<ResumePoint> found = again.Find(*ResumeKey::ForMediaFile(film));
    QVERIFY(found.has_value());
    QCOMPARE(found->position, 700);
    QCOMPARE(PathBytes::ToBytes(found->subtitleFile), folder + "/Caf\xe9.srt");
    QCOMPARE(::unlink(PathBytes::ToBytes(film).constData()), 0);
}

QTEST_GUILESS_MAIN(ResumeTest)
#include "tst_player_resume.moc"
