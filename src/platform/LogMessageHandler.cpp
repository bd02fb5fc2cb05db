#include "platform/LogMessageHandler.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // Opened without blocking and used only when it is a regular file: a named pipe called
    // Log.txt in the current folder would otherwise hold the program until someone reads it.
    const int fd =
        ::open("Log.txt", O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        return;
    }
    struct stat status;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        const QByteArray line = "Debug: " + text.toLocal8Bit() + '\n';
        [[maybe_unused]] const ssize_t written = ::write(fd, line.constData(), size_t(line.size()));
    }
    ::close(fd);
}
