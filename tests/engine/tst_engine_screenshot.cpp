#include "engine/EngineScreenshot.h"
#include "player/SnapshotNaming.h"
#include "player/SnapshotWriter.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using Verdict = EngineScreenshot::Verdict;
Q_DECLARE_METATYPE(EngineScreenshot::Verdict)

namespace {

void WritePng(const QString &path)
{
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(path, "PNG"));
}

void WriteText(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

class EngineScreenshotTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void acceptsOnlyTheFilterFiles_data();
    void acceptsOnlyTheFilterFiles();
    void convertsAndRemovesAcceptedScreenshot_data();
    void convertsAndRemovesAcceptedScreenshot();
    void rejectedScreenshotTouchesNothing();
    void linkOutOfTheFolderIsRejected();
    void unsavableSnapshotStillRemovesEngineFile();
    void namesSnapshotsByDateAndFormat_data();
    void namesSnapshotsByDateAndFormat();
    void readsSnapshotFolderFromOutputPath();

private:
    std::unique_ptr<QTemporaryDir> root;
    QString dataFolder;  // the screenshot filter's folder, ending in "/"
    QString otherFolder; // where the user's own files are
};

void EngineScreenshotTest::init()
{
    root = std::make_unique<QTemporaryDir>();
    QVERIFY(root->isValid());
    dataFolder = root->filePath("Orvel BluRay Player") + '/';
    otherFolder = root->filePath("home") + '/';
    QVERIFY(QDir().mkpath(dataFolder));
    QVERIFY(QDir().mkpath(otherFolder));
}

void EngineScreenshotTest::acceptsOnlyTheFilterFiles_data()
{
    QTest::addColumn<QString>("name");     // file created, relative to the temporary root
    QTest::addColumn<QString>("reported"); // what the line names, relative to the root
    QTest::addColumn<Verdict>("verdict");

    QTest::newRow("filter file") << "Orvel BluRay Player/0001.png"
                                 << "Orvel BluRay Player/0001.png" << Verdict::Accepted;
    QTest::newRow("user file") << "home/victim.png"
                               << "home/victim.png" << Verdict::OutsideScreenshotFolder;
    QTest::newRow("filter-like name elsewhere")
        << "home/0001.png"
        << "home/0001.png" << Verdict::OutsideScreenshotFolder;
    QTest::newRow("climbs out with ..")
        << "home/0002.png"
        << "Orvel BluRay Player/../home/0002.png" << Verdict::OutsideScreenshotFolder;
    QTest::newRow("sub-folder") << "Orvel BluRay Player/sub/0001.png"
                                << "Orvel BluRay Player/sub/0001.png"
                                << Verdict::OutsideScreenshotFolder;
    QTest::newRow("settings file")
        << "Orvel BluRay Player/RecentConfig.txt"
        << "Orvel BluRay Player/RecentConfig.txt" << Verdict::NotFilterName;
    QTest::newRow("three digits") << "Orvel BluRay Player/001.png"
                                  << "Orvel BluRay Player/001.png" << Verdict::NotFilterName;
    QTest::newRow("other extension") << "Orvel BluRay Player/0001.jpg"
                                     << "Orvel BluRay Player/0001.jpg" << Verdict::NotFilterName;
    QTest::newRow("letters") << "Orvel BluRay Player/00a1.png"
                             << "Orvel BluRay Player/00a1.png" << Verdict::NotFilterName;
    QTest::newRow("missing") << "Orvel BluRay Player/0001.png"
                             << "Orvel BluRay Player/0002.png" << Verdict::Missing;
    QTest::newRow("folder") << "Orvel BluRay Player/0003.png/x"
                            << "Orvel BluRay Player/0003.png" << Verdict::Missing;
}

void EngineScreenshotTest::acceptsOnlyTheFilterFiles()
{
    QFETCH(QString, name);
    QFETCH(QString, reported);
    QFETCH(Verdict, verdict);

    const QString created = root->filePath(name);
    QVERIFY(QDir().mkpath(QFileInfo(created).absolutePath()));
    WriteText(created, "x");

    const EngineScreenshot shot = EngineScreenshot::Check(root->filePath(reported), dataFolder);
    QCOMPARE(shot.verdict(), verdict);
    QCOMPARE(shot.Path().isEmpty(), verdict != Verdict::Accepted);
}

void EngineScreenshotTest::convertsAndRemovesAcceptedScreenshot_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("written"); // format QImageReader detects in the result

    QTest::newRow("default JPG") << "JPG" << QByteArray("jpeg");
    QTest::newRow("JPEG") << "JPEG" << QByteArray("jpeg");
    QTest::newRow("PNG") << "PNG" << QByteArray("png");
    QTest::newRow("BMP") << "BMP" << QByteArray("bmp");
}

void EngineScreenshotTest::convertsAndRemovesAcceptedScreenshot()
{
    QFETCH(QString, format);
    QFETCH(QByteArray, written);

    const QString enginePath = dataFolder + "0001.png";
    WritePng(enginePath);
    const EngineScreenshot shot = EngineScreenshot::Check(enginePath, dataFolder);
    QVERIFY(shot.IsAccepted());

    const QString target =
        SnapshotFileName(otherFolder, QDateTime(QDate(2024, 3, 9), QTime(14, 5, 7)), format);
    QCOMPARE(SnapshotWriter::Save(shot, target, format), SnapshotWriter::Result::Saved);
    QVERIFY(!QFile::exists(enginePath));
    QCOMPARE(QImageReader::imageFormat(target), written);
    QCOMPARE(QImage(target).size(), QSize(8, 6));
}

void EngineScreenshotTest::rejectedScreenshotTouchesNothing()
{
    const QString victim = otherFolder + "victim.png";
    WritePng(victim);
    const QByteArray before = [&] {
        QFile file(victim);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    const EngineScreenshot shot = EngineScreenshot::Check(victim, dataFolder);
    QVERIFY(!shot.IsAccepted());
    const QString target = otherFolder + "Snapshot.JPG";
    QCOMPARE(SnapshotWriter::Save(shot, target, "JPG"), SnapshotWriter::Result::NotAccepted);

    QFile file(victim);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QVERIFY(!QFile::exists(target));
}

void EngineScreenshotTest::linkOutOfTheFolderIsRejected()
{
    const QString victim = otherFolder + "victim.png";
    WritePng(victim);
    QVERIFY(QFile::link(victim, dataFolder + "0005.png"));
    // A link to another file of the folder would smuggle that file in under a filter name.
    WriteText(dataFolder + "RecentConfig.txt", "/v/a.mkv\n");
    QVERIFY(QFile::link(dataFolder + "RecentConfig.txt", dataFolder + "0006.png"));

    QCOMPARE(EngineScreenshot::Check(dataFolder + "0005.png", dataFolder).verdict(),
             Verdict::OutsideScreenshotFolder);
    QCOMPARE(EngineScreenshot::Check(dataFolder + "0006.png", dataFolder).verdict(),
             Verdict::NotFilterName);
    QVERIFY(QFile::exists(victim));
}

void EngineScreenshotTest::unsavableSnapshotStillRemovesEngineFile()
{
    const QString enginePath = dataFolder + "0004.png";
    WritePng(enginePath);
    const EngineScreenshot shot = EngineScreenshot::Check(enginePath, dataFolder);
    QVERIFY(shot.IsAccepted());
    // The snapshot folder is not created on the way.
    QCOMPARE(SnapshotWriter::Save(shot, root->filePath("absent/Snapshot.JPG"), "JPG"),
             SnapshotWriter::Result::SaveFailed);
    QVERIFY(!QFile::exists(enginePath));
}

void EngineScreenshotTest::namesSnapshotsByDateAndFormat_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("name");

    QTest::newRow("windows-style folder") << "D:\\Shots\\"
                                          << "PNG"
                                          << "D:/Shots/Snapshot-2024-03-09 14-05-07.PNG";
    QTest::newRow("default format") << "/home/u/Pictures/"
                                    << "JPG"
                                    << "/home/u/Pictures/Snapshot-2024-03-09 14-05-07.JPG";
    QTest::newRow("format case kept") << "/s/"
                                      << "bmp"
                                      << "/s/Snapshot-2024-03-09 14-05-07.bmp";
}

void EngineScreenshotTest::namesSnapshotsByDateAndFormat()
{
    QFETCH(QString, folder);
    QFETCH(QString, format);
    QFETCH(QString, name);
    QCOMPARE(SnapshotFileName(folder, QDateTime(QDate(2024, 3, 9), QTime(14, 5, 7)), format), name);
}

void EngineScreenshotTest::readsSnapshotFolderFromOutputPath()
{
    const QString fallback = "/home/u/Documents/Orvel BluRay Player/";
    QCOMPARE(SnapshotFolder(dataFolder, fallback), fallback); // no file

    const QString outputPath = dataFolder + "OutputPath.txt";
    WriteText(outputPath, "");
    QCOMPARE(SnapshotFolder(dataFolder, fallback), fallback); // empty file

    // Taken whole and as it stands: no trimming.
    WriteText(outputPath, "/mnt/Bilder \xc3\xa4 /\n");
    QCOMPARE(SnapshotFolder(dataFolder, fallback), QString("/mnt/Bilder \u00e4 /\n"));
}

QTEST_GUILESS_MAIN(EngineScreenshotTest)
#include "tst_engine_screenshot.moc"
