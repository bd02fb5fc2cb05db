// Writes the fuzzer's starting images: small Blu-ray and DVD discs made into UDF images by
// genisoimage, in the fuzzer's sparse form.

#include "BluRayFolderBuilder.h"
#include "DiscImageMaker.h"
#include "SparseImage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

bool WriteSeed(const QString &folder, const QString &seed)
{
    QTemporaryDir scratch;
    const QString image = scratch.filePath(QStringLiteral("disc.iso"));
    QString error;
    if (!MakeUdfImage(folder, image, &error)) {
        QTextStream(stderr) << error << '\n';
        return false;
    }
    QFile in(image);
    QFile out(seed);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    return out.write(SparseImage::Compact(in.readAll())) > 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        QTextStream(stderr) << "usage: fuzz_disc_image_seeds FOLDER\n";
        return 2;
    }
    const QDir seeds(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir work;
    QString error;

    BluRayFolderBuilder small;
    small.writeIndex = false;
    small.AddSyntheticClip("00001", 30, {"eng", "fra"}, {"eng"});
    small.AddSyntheticClip("00002", 10, {}, {});
    small.AddPlaylist(QStringLiteral("00001.mpls"), {"00001"}, {0, 10000});
    small.AddPlaylist(QStringLiteral("00002.mpls"), {"00002"});
    small.AddByteCopy(QStringLiteral("00003.mpls"), QStringLiteral("00001.mpls"));
    small.AddFolder(QStringLiteral("00004.mpls"));
    small.SetDiscName("Seed Disc", "x.jpg");
    const QString smallFolder = work.filePath(QStringLiteral("small"));
    if (!small.Build(smallFolder, &error) ||
        !WriteSeed(smallFolder, seeds.filePath(QStringLiteral("bluray-small"))))
        return 1;

    BluRayFolderBuilder backup;
    backup.writeIndex = false;
    backup.AddSyntheticClip("00001", 20);
    backup.AddPlaylist(QStringLiteral("00001.mpls"), {"00001"});
    backup.AddRaw(QStringLiteral("00002.mpls"), "MPLS0200");
    const QString backupFolder = work.filePath(QStringLiteral("backup"));
    if (!backup.Build(backupFolder, &error))
        return 1;
    QDir(backupFolder).mkpath(QStringLiteral("BDMV/BACKUP/PLAYLIST"));
    QFile::copy(backupFolder + QStringLiteral("/BDMV/PLAYLIST/00001.mpls"),
                backupFolder + QStringLiteral("/BDMV/BACKUP/PLAYLIST/00002.mpls"));
    if (!WriteSeed(backupFolder, seeds.filePath(QStringLiteral("bluray-backup"))))
        return 1;

    const QString dvdFolder = work.filePath(QStringLiteral("dvd"));
    QDir(dvdFolder).mkpath(QStringLiteral("VIDEO_TS"));
    QFile ifo(dvdFolder + QStringLiteral("/VIDEO_TS/VIDEO_TS.IFO"));
    if (!ifo.open(QIODevice::WriteOnly) || ifo.write("DVDVIDEO-VMG") <= 0)
        return 1;
    ifo.close();
    return WriteSeed(dvdFolder, seeds.filePath(QStringLiteral("dvd"))) ? 0 : 1;
}
