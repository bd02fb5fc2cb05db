#include "platform/PathBytes.h"
#include "player/SubtitleFileCheck.h"
#include "player/SubtitleHandOver.h"
#include "player/SubtitleText.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Verdict = SubtitleFileCheck::Verdict;
Q_DECLARE_METATYPE(SubtitleFileCheck::Verdict)

class SubtitleFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void checksBeforeTheEngineReads_data();
    void checksBeforeTheEngineReads();
    void findsTheFilesBesideAFilm();
    void readsEveryEncodingAsUtf8_data();
    void readsEveryEncodingAsUtf8();
    void handsTheEngineCheckedUtf8Copies();
    void eachRefusalHasItsOwnMessageInEveryLanguage();
};

namespace {

// A few lines of subtitle text, as long as a short scene: the detector needs some text.
QString Lines(const QString &text)
{
    return QStringLiteral("1\n00:00:01,000 --> 00:00:04,000\n%1\n\n"
                          "2\n00:00:05,000 --> 00:00:08,000\n%1\n")
        .arg(text);
}

const QString Western = QStringLiteral(
    "Ça, c'est déjà l'été à la forêt. Größe und Übermaß, naïve Träume. Où êtes-vous allés?");
const QString Chinese =
    QStringLiteral("你好，世界。今天天气很好，我们去公园散步吧。这部电影的字幕是中文的。");
// The same text in GBK, as a Chinese editor saves it.
const QByteArray
    ChineseGbk("\xc4\xe3\xba\xc3\xa3\xac\xca\xc0\xbd\xe7\xa1\xa3\xbd\xf1\xcc\xec\xcc\xec\xc6\xf8"
               "\xba\xdc\xba\xc3"
               "\xa3\xac\xce\xd2\xc3\xc7\xc8\xa5\xb9\xab\xd4\xb0\xc9\xa2\xb2\xbd\xb0\xc9\xa1\xa3"
               "\xd5\xe2\xb2\xbf"
               "\xb5\xe7\xd3\xb0\xb5\xc4\xd7\xd6\xc4\xbb\xca\xc7\xd6\xd0\xce\xc4\xb5\xc4\xa1\xa3");

QByteArray Encoded(const QString &text, QStringConverter::Encoding encoding, bool mark)
{
    QStringEncoder encoder(encoding, mark ? QStringConverter::Flag::WriteBom
                                          : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

} // namespace

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

void SubtitleFilesTest::readsEveryEncodingAsUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("utf8");
    const QByteArray western = Lines(Western).toUtf8();
    const QByteArray chinese = Lines(Chinese).toUtf8();
    QTest::newRow("latin-1") << Lines(Western).toLatin1() << western;
    QTest::newRow("gbk") << "1\n00:00:01,000 --> 00:00:04,000\n" + ChineseGbk +
                                "\n\n2\n00:00:05,000 --> 00:00:08,000\n" + ChineseGbk + "\n"
                         << chinese;
    QTest::newRow("utf-16le with mark")
        << Encoded(Lines(Chinese), QStringConverter::Utf16LE, true) << chinese;
    QTest::newRow("utf-16be with mark")
        << Encoded(Lines(Western), QStringConverter::Utf16BE, true) << western;
    QTest::newRow("utf-16le without mark")
        << Encoded(Lines(Western), QStringConverter::Utf16LE, false) << western;
    QTest::newRow("utf-8 with mark") << "\xef\xbb\xbf" + chinese << chinese;
    QTest::newRow("utf-8") << western << western;
    QTest::newRow("ascii") << QByteArray("1\n00:00:01,000 --> 00:00:02,000\nHi\n")
                           << QByteArray("1\n00:00:01,000 --> 00:00:02,000\nHi\n");
    // A picture-based subtitle is no text: it goes to the engine as it is.
    QTest::newRow("binary") << QByteArray("\x00\x00\x01\xba\x44\x00\x04", 7) << QByteArray();
}

void SubtitleFilesTest::readsEveryEncodingAsUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, utf8);
    const std::optional<QByteArray> text = SubtitleText::ToUtf8(bytes);
    QCOMPARE(text.has_value(), !utf8.isEmpty());
    if (text)
        QVERIFY2(*text == utf8,
                 qPrintable(SubtitleText::DetectEncoding(bytes) + ": " + QString::fromUtf8(*text)));
}

void SubtitleFilesTest::handsTheEngineCheckedUtf8Copies()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    // A Latin-1 file under a Latin-1 name: the name's bytes and the text both come through.
    const QString latin = PathBytes::FromBytes(QFile::encodeName(root.path()) + "/Caf\xe9.srt");
    {
        const int fd = ::open(PathBytes::ToBytes(latin).constData(), O_WRONLY | O_CREAT, 0600);
        QVERIFY(fd >= 0);
        const QByteArray bytes = Lines(Western).toLatin1();
        QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
        ::close(fd);
    }
    const QString pipe = root.filePath("film.srt");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);

    QString folder;
    {
        SubtitleHandOver handOver;
        Verdict verdict = Verdict::Fine;
        QCOMPARE(handOver.Prepare(pipe, &verdict), std::nullopt);
        QCOMPARE(verdict, Verdict::NotAFile);
        QCOMPARE(handOver.Prepare(root.filePath("gone.srt"), &verdict), std::nullopt);
        QCOMPARE(verdict, Verdict::Missing);

        const std::optional<QString> copy = handOver.Prepare(latin, &verdict);
        QVERIFY(copy);
        QCOMPARE(verdict, Verdict::Fine);
        QVERIFY(!copy->contains(','));
        QFile written(*copy);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), Lines(Western).toUtf8());
        QCOMPARE(QFileInfo(*copy).permissions() & (QFile::ReadOther | QFile::ReadGroup),
                 QFileDevice::Permissions());
        QCOMPARE(handOver.OriginalOf(*copy), latin);
        QCOMPARE(handOver.OriginalOf("/elsewhere/x.srt"), QStringLiteral("/elsewhere/x.srt"));
        folder = QFileInfo(*copy).absolutePath();
    }
    // The copies go with the launch.
    QVERIFY(!QFileInfo::exists(folder));
    QCOMPARE(::unlink(PathBytes::ToBytes(latin).constData()), 0);
}

void SubtitleFilesTest::eachRefusalHasItsOwnMessageInEveryLanguage()
{
    QSet<QString> keys;
    for (const Verdict verdict :
         {Verdict::Missing, Verdict::Empty, Verdict::TooLarge, Verdict::NotAFile})
        keys.insert(QString::fromLatin1(SubtitleFileCheck::RefusalMessageKey(verdict)));
    QCOMPARE(keys.size(), 4);
    // An engine that rejects the content says the same as a file that is none.
    QVERIFY(keys.contains(SubtitleFileCheck::RefusalMessageKey(Verdict::Fine)));
    for (const char *language : {"English", "German", "French", "ChineseSimplified"}) {
        QFile file(QStringLiteral(ORVEL_SOURCE_DIR "/languages/%1.ini").arg(language));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QString text = bytes.startsWith("\xff\xfe")
                                 ? QStringDecoder(QStringConverter::Utf16LE)(bytes.mid(2))
                                 : QString::fromUtf8(bytes);
        QSet<QString> messages;
        for (const QString &key : keys) {
            const QString name = key.section('/', 1);
            const qsizetype at = text.indexOf("\n" + name + "=");
            QVERIFY2(at >= 0, qPrintable(QString(language) + " lacks " + name));
            const QString message = text.mid(at + name.size() + 2).section('\n', 0, 0).trimmed();
            QVERIFY2(message.contains("%1"), qPrintable(message));
            messages.insert(message);
        }
        QCOMPARE(messages.size(), 4);
    }
}

QTEST_APPLESS_MAIN(SubtitleFilesTest)
#include "tst_player_subtitle_files.moc"
