#include "platform/LogMessageHandler.h"

#include <QFile>
#include <QTextStream>

#include <cstdio>

void LogMessageHandler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg) {
        // Warnings say what the program could not do (a settings file it could not save, a
        // file it ignored); they go to the standard error, which the desktop keeps in its
        // journal, and never into Log.txt.
        std::fprintf(stderr, "orvel-bluray-player: %s\n", text.toLocal8Bit().constData());
        return;
    }
    if (type != QtDebugMsg) {
        return;
    }
    QFile file(QStringLiteral("Log.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        return;
    }
    QTextStream stream(&file);
    stream << QStringLiteral("Debug: %1").arg(text) << Qt::endl;
}
