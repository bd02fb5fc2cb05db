// Every file the program reads at start or writes as it goes, with something hostile in its
// place, and the settings files on a disk that has filled up.
#include "disc/BluRayScan.h"
#include "i18n/CPrivateProfile.h"
#include "platform/RegularFileReader.h"
#include "player/RecentFiles.h"
#include "player/ResumeStore.h"
#include "player/SnapshotNaming.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <future>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray oldContent = "kept as it was\n";

// What may stand where a file is expected.
enum class Hostile
{
    Pipe,
    Folder,
    Device,
    Unreadable,
    Vanished,
};

const QString metadataFile = "BDMV/META/DL/bdmt_eng.xml";

// Runs one reader or writer on the files below folder. A reader returns whether it came back
// with its defaults, a writer whether its new content is in the file.
bool Run(const QString &operation, const QString &folder)
{
    const QString config = folder + "/config.ini";
    if (operation == "config.ini read")
        return CPrivateProfile::Load(config).ReadString("Language", "Default", "-", 64) == "-";
    if (operation == "config.ini write")
        return CPrivateProfile::WriteString(config, "Language", "Default", "/German");
    RecentFiles recent(RecentFiles::FilePathIn(folder + "/"));
    if (operation == "RecentConfig.txt read") {
        recent.Load();
        return recent.Entries().isEmpty();
    }
    if (operation == "RecentConfig.txt write") {
        // The list changes in memory whatever happens; only the file tells.
        recent.AddRecentFile("/v/new.mkv");
        return ReadRegularFile(recent.FilePath(), 1024) == QByteArray("/v/new.mkv\n");
    }
    ResumeStore resume(ResumeStore::FilePathIn(folder));
    if (operation == "Resume.json read") {
        resume.Load();
        return resume.Count() == 0;
    }
    if (operation == "Resume.json write") {
        ResumePoint point;
        point.position = 600;
        return resume.Remember(ResumeKey::ForDvd("/discs/film", 1), point) &&
               ReadRegularFile(resume.FilePath(), 4096)
                   .value_or(QByteArray())
                   .contains("/discs/film");
    }
    if (operation == "OutputPath.txt read")
        return SnapshotFolder(folder + "/", "/default/") == "/default/";
    if (operation == "OutputPath.txt write")
        return WriteSnapshotFolder(folder + "/", "/pictures");
    const BluRayScan scan = ScanBluRayFolder(folder);
    if (operation == "disc metadata read")
        return scan.discName.isEmpty() && scan.thumbnailPath.isEmpty();
    return scan.discName == "Disc" && scan.thumbnailData.isEmpty();
}

// The disc scan needs the folders of a disc around the file it reads, and a metadata file
// that names the picture unless the metadata file is the one under test.
bool MakeDiscFolders(const QString &folder, const QString &fileUnderTest)
{
    if (!QDir().mkpath(folder + "/BDMV/META/DL") || !QDir().mkpath(folder + "/BDMV/PLAYLIST"))
        return false;
    QFile metadata(folder + "/" + metadataFile);
    return fileUnderTest == metadataFile ||
           (metadata.open(QIODevice::WriteOnly) &&
            metadata.write("<di:name>Disc</di:name>\n<di:thumbnail href=\"x.jpg\" />\n") > 0);
}

// Puts the hostile thing at path.
bool MakeHostile(Hostile hostile, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    switch (hostile) {
    case Hostile::Pipe:
        return ::mkfifo(name.constData(), 0666) == 0;
    case Hostile::Folder:
        return ::mkdir(name.constData(), 0777) == 0;
    case Hostile::Device:
        return ::symlink("/dev/null", name.constData()) == 0;
    case Hostile::Unreadable: {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(oldContent) != oldContent.size())
            return false;
        file.close();
        return ::chmod(name.constData(), 0) == 0;
    }
    case Hostile::Vanished: {
        const QByteArray gone = name + ".gone";
        QFile file(path + ".gone");
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.close();
        return ::symlink(gone.constData(), name.constData()) == 0 &&
               ::unlink(gone.constData()) == 0;
    }
    }
    return false;
}

// Root may read anything; for the unreadable file the operation runs with the file-system
// rights of an ordinary user. Per thread, so only the operation's own thread is affected.
class UnprivilegedFiles
{
public:
    explicit UnprivilegedFiles(bool wanted) : active(wanted && ::geteuid() == 0)
    {
        if (active)
            ::setfsuid(65534);
    }
    ~UnprivilegedFiles()
    {
        if (active)
            ::setfsuid(0);
    }

private:
    bool active;
};

QStringList EntriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// Unmounts the small file system when the test ends, however it ends.
struct Mount
{
    QByteArray point;
    bool mounted = false;
    ~Mount()
    {
        if (mounted)
            ::umount2(point.constData(), MNT_DETACH);
    }
};

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class SettingsFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void hostileFiles_data();
    void hostileFiles();
    void fullDiskKeepsEverySettingsFile();
};

void SettingsFilesTest::hostileFiles_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("hostileValue");
    const QList<std::pair<const char *, Hostile>> hostiles{{"pipe", Hostile::Pipe},
                                                           {"folder", Hostile::Folder},
                                                           {"device", Hostile::Device},
                                                           {"unreadable", Hostile::Unreadable},
                                                           {"vanished", Hostile::Vanished}};
    const QList<std::pair<QString, QString>> operations{
        {"config.ini read", "config.ini"},
        {"config.ini write", "config.ini"},
        {"RecentConfig.txt read", "RecentConfig.txt"},
        {"RecentConfig.txt write", "RecentConfig.txt"},
        {"OutputPath.txt read", "OutputPath.txt"},
        {"OutputPath.txt write", "OutputPath.txt"},
        {"Resume.json read", "Resume.json"},
        {"Resume.json write", "Resume.json"},
        {"disc metadata read", metadataFile},
        {"disc thumbnail read", "BDMV/META/DL/x.jpg"}};
    for (const auto &[operation, file] : operations) {
        for (const auto &[name, hostile] : hostiles) {
            QTest::addRow("%s, %s", qPrintable(operation), name)
                << operation << file << int(hostile);
        }
    }
}

void SettingsFilesTest::hostileFiles()
{
    QFETCH(QString, operation);
    QFETCH(QString, file);
    QFETCH(int, hostileValue);
    const Hostile hostile = Hostile(hostileValue);
    const bool writes = operation.endsWith("write");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Open to the ordinary user of the unreadable case: only the file itself is barred.
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0777) == 0);
    QVERIFY(MakeDiscFolders(dir.path(), file));
    const QString path = dir.filePath(file);
    QVERIFY(MakeHostile(hostile, path));
    struct stat before;
    QVERIFY(::lstat(QFile::encodeName(path).constData(), &before) == 0);
    const QStringList entriesBefore = EntriesOf(QFileInfo(path).path());

    auto result = std::async(std::launch::async, [&operation, &dir, hostile] {
        const UnprivilegedFiles rights(hostile == Hostile::Unreadable);
        return Run(operation, dir.path());
    });
    if (result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Let a reader stuck on the pipe go, so that the failure is reported.
        const int writer = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        result.wait();
        QFAIL("the operation waited on the file");
    }
    const bool outcome = result.get();

    struct stat after;
    QVERIFY(::lstat(QFile::encodeName(path).constData(), &after) == 0);
    if (hostile == Hostile::Vanished) {
        // Nothing is there to lose: a reader has its defaults, a writer makes the file anew.
        QVERIFY(outcome);
        QCOMPARE(S_ISREG(after.st_mode), writes);
        return;
    }
    // Readers come back with their defaults; writers refuse (and say so in the log).
    QCOMPARE(outcome, !writes);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
    if (hostile == Hostile::Unreadable)
        QCOMPARE(ReadAll(path), oldContent);
    // Nothing written aside is left behind.
    QCOMPARE(EntriesOf(QFileInfo(path).path()), entriesBefore);
}

void SettingsFilesTest::fullDiskKeepsEverySettingsFile()
{
    if (::geteuid() != 0)
        QSKIP("mounting a small file system needs root");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Mount mount{QFile::encodeName(dir.filePath("small")), false};
    QVERIFY(QDir().mkpath(dir.filePath("small")));
    if (::mount("tmpfs", mount.point.constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP(qPrintable(QString("no tmpfs could be mounted: ") + std::strerror(errno)));
    mount.mounted = true;
    const QString folder = dir.filePath("small") + "/";

    // Settings as a user has them after a while.
    QVERIFY(CPrivateProfile::WriteString(folder + "config.ini", "DefaultLanguage", "Default",
                                         "/French"));
    RecentFiles recent(RecentFiles::FilePathIn(folder));
    for (int i = 0; i < RecentFiles::MaxEntries; ++i)
        QVERIFY(recent.AddRecentFile(QString("/v/film %1.mkv").arg(i)));
    QVERIFY(WriteSnapshotFolder(folder, "/home/user/Pictures"));
    ResumeStore resume(ResumeStore::FilePathIn(folder));
    ResumePoint point;
    point.position = 600;
    QVERIFY(resume.Remember(ResumeKey::ForDvd("/discs/first", 1), point));
    const QStringList files{"config.ini", "RecentConfig.txt", "OutputPath.txt", "Resume.json"};
    QMap<QString, QByteArray> before;
    for (const QString &file : files)
        before[file] = ReadAll(folder + file);

    // Fill the disk to the last byte.
    {
        const int fd =
            ::open(QFile::encodeName(folder + "filler").constData(), O_WRONLY | O_CREAT, 0600);
        QVERIFY(fd >= 0);
        const QByteArray block(4096, 'x');
        int error = 0;
        while (error == 0) {
            if (::write(fd, block.constData(), size_t(block.size())) < 0)
                error = errno;
        }
        // Single bytes into the last partial block, if any.
        while (::write(fd, "x", 1) == 1) {
        }
        ::close(fd);
        QCOMPARE(error, ENOSPC);
    }
    const QStringList entriesBefore = EntriesOf(folder);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("config\\.ini: could not be saved"));
    QVERIFY(!CPrivateProfile::WriteString(folder + "config.ini", "DefaultLanguage", "Default",
                                          "/German"));
    // Three sources handed over one after the other, as second starts do.
    for (int i = 0; i < 3; ++i) {
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("RecentConfig\\.txt: could not be saved"));
        QVERIFY(recent.AddRecentFile(QString("/v/handed over %1.mkv").arg(i)));
    }
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("OutputPath\\.txt: could not be saved"));
    QVERIFY(!WriteSnapshotFolder(folder, "/home/user/Pictures/Snapshots of the holiday"));
    // The log names the disk being full, not some wrapper's "cancelled".
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("Resume\\.json: could not be saved.*No space left"));
    QVERIFY(!resume.Remember(ResumeKey::ForDvd("/discs/second", 1), point));

    for (const QString &file : files)
        QCOMPARE(ReadAll(folder + file), before[file]);
    QCOMPARE(EntriesOf(folder), entriesBefore);

    // Once there is room again, the next change is saved.
    QVERIFY(QFile::remove(folder + "filler"));
    QVERIFY(CPrivateProfile::WriteString(folder + "config.ini", "DefaultLanguage", "Default",
                                         "/German"));
    QCOMPARE(CPrivateProfile::Load(folder + "config.ini")
                 .ReadString("DefaultLanguage", "Default", "", 64),
             QString("/German"));
}

QTEST_APPLESS_MAIN(SettingsFilesTest)
#include "tst_player_settings_files.moc"
