#include "platform/LogMessageHandler.h"

#include <QFile>
#include <QTextStream>

void LogMessageHandler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
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
