#include "DiscImageMaker.h"

#include <QProcess>

bool MakeUdfImage(const QString &folder, const QString &imagePath, QString *error)
{
    QProcess maker;
    maker.setProcessChannelMode(QProcess::MergedChannels);
    // -udf adds the UDF file system that players read; -iso-level 3 lets large stream files
    // into the ISO 9660 side as well.
    maker.start(QStringLiteral("genisoimage"),
                {QStringLiteral("-quiet"), QStringLiteral("-udf"), QStringLiteral("-iso-level"),
                 QStringLiteral("3"), QStringLiteral("-V"), QStringLiteral("ORVEL_TEST"),
                 QStringLiteral("-o"), imagePath, folder});
    if (!maker.waitForStarted()) {
        if (error)
            *error = QStringLiteral("genisoimage cannot be started");
        return false;
    }
    maker.closeWriteChannel();
    if (!maker.waitForFinished(600000) || maker.exitStatus() != QProcess::NormalExit ||
        maker.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("genisoimage failed: ") +
                     QString::fromLocal8Bit(maker.readAll()).trimmed();
        return false;
    }
    return true;
}
