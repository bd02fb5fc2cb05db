#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <libbluray/bluray.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

// Per title of libbluray's relevant list, the playlist bd_get_title_info names ("" when it
// gives nothing). Run in a child process: libbluray itself crashes on some damaged discs.
inline bool LibblurayTitles(const QString &folder, QStringList &titles)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return false;
    const pid_t child = ::fork();
    if (child == 0) {
        // A crash here is an answer, not a failure of the test: no crash report.
        for (const int signal : {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL})
            std::signal(signal, SIG_DFL);
        ::close(pipeEnds[0]);
        QByteArray out;
        if (BLURAY *bd = bd_open(QFile::encodeName(folder).constData(), nullptr)) {
            out = "open\n";
            const uint32_t count = bd_get_titles(bd, TITLES_RELEVANT, 0);
            for (uint32_t i = 0; i < count; ++i) {
                BLURAY_TITLE_INFO *info = bd_get_title_info(bd, i, 0);
                if (info)
                    out += QByteArray::number(info->playlist).rightJustified(5, '0') + ".mpls";
                out += '\n';
                bd_free_title_info(info);
            }
        }
        const char *p = out.constData();
        for (qsizetype left = out.size(); left > 0;) {
            const ssize_t written = ::write(pipeEnds[1], p, size_t(left));
            if (written <= 0)
                break;
            p += written;
            left -= written;
        }
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    QByteArray all;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        all.append(buffer, got);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || !all.startsWith("open\n"))
        return false;
    titles = QString::fromUtf8(all.mid(5)).split(QLatin1Char('\n'));
    titles.removeLast(); // after the last line end
    return true;
}
