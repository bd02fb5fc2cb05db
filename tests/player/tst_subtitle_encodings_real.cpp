// Subtitle files in the encodings people have, beside a film, through the session to the
// real engine: what the engine decoded is what its subtitle dump holds.
#include "TestMedia.h"
#include "player/PlaybackSession.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class SubtitleEncodingsRealTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void theEngineReadsEveryEncodingRight_data();
    void theEngineReadsEveryEncodingRight();

private:
    QTemporaryDir dir;
    QString film;
};

namespace {

const QString Western = QStringLiteral("Ça, c'est déjà l'été à la forêt. Größe und Übermaß, "
                                       "naïve Träume. Où êtes-vous allés?");
const QString Chinese =
    QStringLiteral("你好，世界。今天天气很好，我们去公园散步吧。这部电影的字幕是中文的。");
// The Chinese line as a Chinese editor saves it, in GBK.
const QByteArray ChineseGbk(
    "\xc4\xe3\xba\xc3\xa3\xac\xca\xc0\xbd\xe7\xa1\xa3\xbd\xf1\xcc\xec\xcc\xec\xc6\xf8\xba\xdc"
    "\xba\xc3\xa3\xac\xce\xd2\xc3\xc7\xc8\xa5\xb9\xab\xd4\xb0\xc9\xa2\xb2\xbd\xb0\xc9\xa1\xa3"
    "\xd5\xe2\xb2\xbf\xb5\xe7\xd3\xb0\xb5\xc4\xd7\xd6\xc4\xbb\xca\xc7\xd6\xd0\xce\xc4\xb5\xc4"
    "\xa1\xa3");

QByteArray Cue(const QByteArray &text)
{
    return "1\r\n00:00:00,500 --> 00:00:02,500\r\n" + text + "\r\n";
}

} // namespace

void SubtitleEncodingsRealTest::initTestCase()
{
    if (QStandardPaths::findExecutable("mplayer").isEmpty() ||
        QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QFAIL("mplayer and ffmpeg are needed (scripts/install-deps.sh installs them)");
    QVERIFY(!QFile::exists(QCoreApplication::applicationDirPath() + "/Player"));
    film = dir.filePath("film.mkv");
    MediaMaker::FileRequest bars;
    bars.width = 160;
    bars.height = 120;
    bars.framesPerSecond = 10;
    bars.seconds = 3;
    QString error;
    QVERIFY2(MakeTestMedia(bars, film, &error), qPrintable(error));
}

void SubtitleEncodingsRealTest::theEngineReadsEveryEncodingRight_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    QTest::newRow("latin-1") << Cue(Western.toLatin1()) << Western;
    QTest::newRow("gbk") << Cue(ChineseGbk) << Chinese;
    QTest::newRow("utf-16") << QByteArray(utf16.encode(QString::fromUtf8(Cue(Chinese.toUtf8()))))
                            << Chinese;
    QTest::newRow("utf-8") << Cue(Western.toUtf8() + " " + Chinese.toUtf8())
                           << Western + " " + Chinese;
}

void SubtitleEncodingsRealTest::theEngineReadsEveryEncodingRight()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QFile subtitles(dir.filePath("film.srt"));
    QVERIFY(subtitles.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(subtitles.write(file), file.size());
    subtitles.close();
    QTemporaryDir work;
    const QString dump = work.filePath("dumpsub.srt");

    // The engine writes the subtitles it loaded, as it decoded them, and leaves.
    PlaybackSession session;
    session.SetWorkingFolder(work.path());
    session.SetExtraArguments({"-dumpsrtsub"});
    SessionLaunch launch;
    launch.path = film;
    session.Start(launch);
    QTRY_VERIFY_WITH_TIMEOUT(!session.IsActive(), 30000);
    QFile dumped(dump);
    QVERIFY2(dumped.open(QIODevice::ReadOnly), qPrintable(dump));
    const QByteArray bytes = dumped.readAll();
    QVERIFY2(bytes.contains(text.toUtf8()), bytes.constData());
}

QTEST_GUILESS_MAIN(SubtitleEncodingsRealTest)
#include "tst_subtitle_encodings_real.moc"
