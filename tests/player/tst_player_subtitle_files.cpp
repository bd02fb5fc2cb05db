#include "player/SubtitleFileCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using Verdict = SubtitleFileCheck::Verdict;
Q_DECLARE_METATYPE(SubtitleFileCheck::Verdict)

class SubtitleFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void checksBeforeTheEngineReads_data();
    void checksBeforeTheEngineReads();
    void findsTheFilesBesideAFilm();
};

void SubtitleFilesTest::checksBeforeTheEngineReads_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<Verdict>("verdict");
    QTest::newRow("subtitle") << "text" << Verdict::Fine;
    QTest::newRow("at the limit") << "limit" << Verdict::Fine;
    QTest::newRow("beyond the limit") << "huge" << Verdict::TooLarge;
    QTest::newRow("empty") << "empty" << Verdict::Empty;
    QTest::newRow("missing") << "missing" << Verdict::Missing;
    QTest::newRow("named pipe") << "pipe" << Verdict::NotAFile;
    QTest::newRow("folder") << "folder" << Verdict::NotAFile;
}

void SubtitleFilesTest::checksBeforeTheEngineReads()
{
    QFETCH(QString, what);
    QFETCH(Verdict, verdict);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString path = root.filePath("film.srt");
    QFile file(path);
    if (what == "text" || what == "limit" || what == "huge" || what == "empty") {
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (what == "text")
            QVERIFY(file.write("1\n00:00:00,500 --> 00:00:02,000\nHello\n") > 0);
        else if (what != "empty")
            QVERIFY(file.resize(SubtitleFileCheck::SizeLimit + (what == "huge" ? 1 : 0)));
        file.close();
    } else if (what == "pipe") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (what == "folder") {
        QVERIFY(QDir().mkpath(path));
    }
    QCOMPARE(SubtitleFileCheck::Check(path), verdict);
}

void SubtitleFilesTest::findsTheFilesBesideAFilm()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    for (const char *name : {"Film [2019].mkv", "Film [2019].srt", "Film [2019].ASS",
                             "Film [2019].en.srt", "Film [2019].srt.bak", "Film [2019].nfo",
                             "Film [2019]2.srt", "Film [2019]", "other.srt"}) {
        QFile file(root.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    // A pipe is listed, so that its check can say why it is not loaded; a folder is not.
    QCOMPARE(::mkfifo(QFile::encodeName(root.filePath("Film [2019].sub")).constData(), 0600), 0);
    QVERIFY(QDir().mkpath(root.filePath("Film [2019].txt")));
    QCOMPARE(SubtitleFileCheck::SideFiles(root.filePath("Film [2019].mkv")),
             (QStringList{root.filePath("Film [2019].ASS"), root.filePath("Film [2019].srt"),
                          root.filePath("Film [2019].sub")}));
}

QTEST_APPLESS_MAIN(SubtitleFilesTest)
#include "tst_player_subtitle_files.moc"
