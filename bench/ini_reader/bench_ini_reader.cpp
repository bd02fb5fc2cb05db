// What a large language file costs the text store at start-up: time and peak memory against
// the file's size, next to a plain read of the same file into memory, which no reader can
// beat.
//
//   bench_ini_reader [FOLDER]      (FOLDER: where the test files are written; default: a
//                                   temporary folder)
//
// Every measurement runs in a child process of its own, so that each peak is its own.

#include "i18n/CLanguageManager.h"
#include "i18n/CPrivateProfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr qint64 MiB = 1024 * 1024;

struct Measure
{
    double milliseconds = -1;
    double peakMiB = -1;
};

// A program folder with a settings file naming "Big" and a language file of the given
// content, repeated to the given size.
bool WriteProgramFolder(const QString &folder, const QByteArray &pattern, qint64 size)
{
    QDir().mkpath(folder + "/Languages");
    QFile config(folder + "/config.ini");
    if (!config.open(QIODevice::WriteOnly))
        return false;
    config.write("[DefaultLanguage]\nDefault=Big\n[Languages]\nBig=Big\n");
    QFile language(folder + "/Languages/Big.ini");
    if (!language.open(QIODevice::WriteOnly))
        return false;
    language.write("[MainWnd]\nPlay=Play\n");
    QByteArray block;
    while (block.size() < MiB)
        block += pattern;
    qint64 written = language.size();
    while (written < size) {
        const qint64 part = qMin<qint64>(block.size(), size - written);
        language.write(block.constData(), part);
        written += part;
    }
    return true;
}

// Runs this program in the given mode on the folder; its peak resident size comes from the
// kernel, its time from its own report.
Measure RunChild(const QString &mode, const QString &folder)
{
    const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
    const QByteArray option = ("--" + mode).toUtf8();
    const QByteArray where = QFile::encodeName(folder);
    int output[2];
    if (pipe(output) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(output[1]);
        char *const argv[] = {const_cast<char *>(program.constData()),
                              const_cast<char *>(option.constData()),
                              const_cast<char *>(where.constData()), nullptr};
        execv(argv[0], argv);
        _exit(127);
    }
    close(output[1]);
    QByteArray report;
    char buffer[256];
    for (ssize_t n; (n = read(output[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, n);
    close(output[0]);
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return {};
    Measure result;
    result.milliseconds = report.trimmed().toDouble();
    result.peakMiB = usage.ru_maxrss / 1024.0; // kilobytes on Linux
    return result;
}

int Child(const QString &mode, const QString &folder)
{
    QElapsedTimer clock;
    clock.start();
    if (mode == QLatin1String("start")) {
        CLanguageManager store(folder, QString());
        if (store.GetText("MainWnd/Play").isEmpty() &&
            QFileInfo(store.LanguageFilePath()).size() <= CPrivateProfile::MaxFileSize)
            return 1;
    } else if (mode == QLatin1String("read")) {
        QFile file(folder + "/Languages/Big.ini");
        if (!file.open(QIODevice::ReadOnly) || file.readAll().isEmpty())
            return 1;
    }
    std::printf("%.1f\n", clock.nsecsElapsed() / 1e6);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 3 && arguments[1].startsWith("--"))
        return Child(arguments[1].mid(2), arguments[2]);

    QTemporaryDir temporary;
    const QString root = arguments.size() > 1 ? arguments[1] : temporary.path();

    const Measure idle = RunChild("idle", root);
    std::printf("a child that reads nothing: peak %.1f MiB\n\n", idle.peakMiB);
    std::printf("%-22s %8s | %10s %10s | %10s %10s | %12s\n", "language file", "MiB", "start ms",
                "peak MiB", "read ms", "peak MiB", "extra/size");

    const struct
    {
        const char *name;
        QByteArray pattern;
        qint64 size;
    } cases[] = {
        {"blank lines", "\n", 10 * MiB},      {"blank lines", "\n", 50 * MiB},
        {"short entries", "k=v\n", 10 * MiB}, {"short entries", "k=v\n", 15 * MiB},
        {"sections", "[s]\n", 15 * MiB},
    };
    for (const auto &c : cases) {
        const QString folder = root + QStringLiteral("/case");
        QDir(folder).removeRecursively();
        if (!WriteProgramFolder(folder, c.pattern, c.size)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(folder));
            return 1;
        }
        const Measure start = RunChild("start", folder);
        const Measure read = RunChild("read", folder);
        // What the store holds beyond the bare process, for each byte of the file.
        const double extraPerByte = (start.peakMiB - idle.peakMiB) / (c.size / double(MiB));
        std::printf("%-22s %8lld | %10.1f %10.1f | %10.1f %10.1f | %12.2f\n", c.name, c.size / MiB,
                    start.milliseconds, start.peakMiB, read.milliseconds, read.peakMiB,
                    extraPerByte);
        QDir(folder).removeRecursively();
    }
    std::printf("\nFiles over %lld MiB are refused whole (defaults and a log line).\n",
                qint64(CPrivateProfile::MaxFileSize / MiB));
    return 0;
}
