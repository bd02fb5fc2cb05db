#include "player/RecentFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QStringList Sources(int count)
{
    QStringList sources;
    for (int i = 1; i <= count; ++i)
        sources << QStringLiteral("/v/source %1.mkv").arg(i);
    return sources;
}

} // namespace

class RecentFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void oddPathsRoundTrip();
    void eleventhSourceDropsTheOldest();
    void knownSourceChangesNothing();
    void handMadeLongListKeepsItsLength();
    void skipsBlankLinesAndWindowsLineEnds();
    void rewriteKeepsPathsThatAreNotUtf8();
    void namesWithLineBreaksAreKept();
    void clearDeletesTheFile();

private:
    std::unique_ptr<QTemporaryDir> folder;
    QString filePath;
};

void RecentFilesTest::init()
{
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
    filePath = RecentFiles::FilePathIn(folder->path() + '/');
    QCOMPARE(QFileInfo(filePath).fileName(), QStringLiteral("RecentConfig.txt"));
}

void RecentFilesTest::oddPathsRoundTrip()
{
    const QStringList odd{QStringLiteral("/v/with space/film.mkv"),
                          QStringLiteral("/v/\"quoted\" and 'single'.avi"),
                          QStringLiteral("/v/\u00c9t\u00e9 \u00e0 M\u00fcnchen/\u65e5\u672c.mp4"),
                          QStringLiteral("/v/back\\slash;semi=equals#hash.mkv"),
                          QStringLiteral("  leading and trailing blanks  ")};
    RecentFiles recent(filePath);
    for (const QString &path : odd)
        QVERIFY(recent.AddRecentFile(path));

    RecentFiles reloaded(filePath);
    reloaded.Load();
    QStringList newestFirst(odd.crbegin(), odd.crend());
    QCOMPARE(reloaded.Entries(), newestFirst);
    // One path per line, in the system's 8-bit encoding (UTF-8 here).
    QVERIFY(ReadAll(filePath).contains("/v/\xc3\x89t\xc3\xa9 \xc3\xa0 M\xc3\xbc"
                                       "nchen/"));
}

void RecentFilesTest::eleventhSourceDropsTheOldest()
{
    RecentFiles recent(filePath);
    for (const QString &source : Sources(11))
        recent.AddRecentFile(source);
    const QStringList expected = [] {
        QStringList all = Sources(11);
        std::reverse(all.begin(), all.end());
        all.removeLast();
        return all;
    }();
    QCOMPARE(recent.Entries(), expected);
    QCOMPARE(ReadAll(filePath), expected.join('\n').toUtf8() + '\n');
}

void RecentFilesTest::knownSourceChangesNothing()
{
    RecentFiles recent(filePath);
    for (const QString &source : Sources(3))
        recent.AddRecentFile(source);
    QFile::remove(filePath); // a rewrite would bring it back

    QVERIFY(!recent.AddRecentFile(Sources(3).at(1)));
    QCOMPARE(recent.Entries().at(1), Sources(3).at(1));
    QVERIFY(!QFile::exists(filePath));

    // The comparison is exact: another case is another source.
    QVERIFY(recent.AddRecentFile(Sources(3).at(1).toUpper()));
    QCOMPARE(recent.Entries().size(), 4);
}

void RecentFilesTest::handMadeLongListKeepsItsLength()
{
    WriteAll(filePath, Sources(15).join('\n').toUtf8() + '\n');
    RecentFiles recent(filePath);
    recent.Load();
    QCOMPARE(recent.Entries().size(), 15);
    recent.AddRecentFile(QStringLiteral("/v/new.mkv"));
    QCOMPARE(recent.Entries().size(), 15);
    QCOMPARE(recent.Entries().first(), QStringLiteral("/v/new.mkv"));
    QCOMPARE(recent.Entries().last(), Sources(14).last());
}

void RecentFilesTest::skipsBlankLinesAndWindowsLineEnds()
{
    RecentFiles missing(filePath);
    missing.Load();
    QVERIFY(missing.Entries().isEmpty());

    WriteAll(filePath, "/v/a.mkv\r\n\r\n\n/v/b.mkv\n\n/v/c.mkv");
    RecentFiles recent(filePath);
    recent.Load();
    QCOMPARE(recent.Entries(), (QStringList{"/v/a.mkv", "/v/b.mkv", "/v/c.mkv"}));
}

void RecentFilesTest::rewriteKeepsPathsThatAreNotUtf8()
{
    // Latin-1 names from an older system, and a lone continuation byte.
    const QByteArray old("/v/Caf\xe9.mkv\n/v/\x80\xff/b.mkv\n");
    WriteAll(filePath, old);
    RecentFiles recent(filePath);
    recent.Load();
    QCOMPARE(recent.Entries().size(), 2);
    QVERIFY(recent.AddRecentFile(QStringLiteral("/v/\u00e9t\u00e9.mkv")));
    QCOMPARE(ReadAll(filePath), "/v/\xc3\xa9t\xc3\xa9.mkv\n" + old);
}

void RecentFilesTest::namesWithLineBreaksAreKept()
{
    // A path that is itself a file address stays a plain line too.
    const QStringList odd{QStringLiteral("/v/two\nlines.mkv"), QStringLiteral("/v/cr\rhere.mkv"),
                          QStringLiteral("/v/file:/x.mkv")};
    {
        RecentFiles recent(filePath);
        for (const QString &path : odd)
            QVERIFY(recent.AddRecentFile(path));
        QCOMPARE(recent.Entries().first(), odd.last());
    }
    QCOMPARE(ReadAll(filePath).count('\n'), 3);
    RecentFiles again(filePath);
    again.Load();
    QCOMPARE(again.Entries(), (QStringList{odd[2], odd[1], odd[0]}));
}

void RecentFilesTest::clearDeletesTheFile()
{
    RecentFiles recent(filePath);
    recent.AddRecentFile(QStringLiteral("/v/a.mkv"));
    QVERIFY(QFile::exists(filePath));
    recent.Clear();
    QVERIFY(recent.Entries().isEmpty());
    QVERIFY(!QFile::exists(filePath));
    recent.AddRecentFile(QStringLiteral("/v/b.mkv"));
    QCOMPARE(ReadAll(filePath), QByteArray("/v/b.mkv\n"));
}

QTEST_APPLESS_MAIN(RecentFilesTest)
#include "tst_player_recent_files.moc"
