#include "platform/CommandLine.h"

#include "platform/PathBytes.h"

#include <QDir>
#include <QUrl>

#include <algorithm>
#include <iterator>

namespace {

// A file manager hands over "file:///path" with percent escapes; anything else with a scheme
// is a network address, which the probe and the player's checks cannot follow.
bool LooksLikeAddress(const QString &argument)
{
    const qsizetype colon = argument.indexOf(QLatin1String("://"));
    if (colon <= 0) {
        return false;
    }
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = argument.at(i);
        if (!(c.isLetterOrNumber() || c == QLatin1Char('+') || c == QLatin1Char('-') ||
              c == QLatin1Char('.'))) {
            return false;
        }
    }
    return true;
}

// Qt 6's own options, which QGuiApplication, QApplication and the xcb plugin take out of
// argv (in either "-name" or "--name" form).
const char *const toolkitOptionsWithValue[] = {"platform",
                                               "platformpluginpath",
                                               "platformtheme",
                                               "plugin",
                                               "qwindowgeometry",
                                               "geometry",
                                               "qwindowicon",
                                               "icon",
                                               "qwindowtitle",
                                               "title",
                                               "session",
                                               "display",
                                               "name",
                                               "visual",
                                               "style",
                                               "stylesheet"};
const char *const toolkitFlags[] = {"reverse", "testability", "widgetcount", "nograb", "dograb"};
const char *const toolkitOptionsWithEquals[] = {"style=", "stylesheet=", "qmljsdebugger="};

} // namespace

QStringList WithoutToolkitOptions(const QStringList &arguments)
{
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--")) {
            kept += arguments.mid(i);
            break;
        }
        QStringView name(argument);
        if (name.startsWith(QLatin1String("--"))) {
            name = name.mid(2);
        } else if (name.startsWith(QLatin1Char('-'))) {
            name = name.mid(1);
        } else {
            kept << argument;
            continue;
        }
        const auto is = [name](const char *option) { return name == QLatin1String(option); };
        const auto begins = [name](const char *option) {
            return name.startsWith(QLatin1String(option));
        };
        if (std::any_of(std::begin(toolkitOptionsWithValue), std::end(toolkitOptionsWithValue),
                        is)) {
            ++i; // the value goes with it
        } else if (!std::any_of(std::begin(toolkitFlags), std::end(toolkitFlags), is) &&
                   !std::any_of(std::begin(toolkitOptionsWithEquals),
                                std::end(toolkitOptionsWithEquals), begins)) {
            kept << argument;
        }
    }
    return kept;
}

CommandLineRequest ParseCommandLine(const QStringList &arguments, const QString &workingFolder)
{
    CommandLineRequest request;
    bool optionsEnded = false;
    for (const QString &argument : arguments) {
        if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            if (argument == QLatin1String("--")) {
                optionsEnded = true;
            } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
                request.showHelp = true;
            } else if (argument == QLatin1String("-v") || argument == QLatin1String("--version")) {
                request.showVersion = true;
            } else {
                request.unknownOptions << argument;
            }
            continue;
        }
        QString path = argument;
        if (LooksLikeAddress(argument)) {
            const QUrl url(argument);
            if (!url.isLocalFile() || !url.host().isEmpty()) {
                request.skipped << PathBytes::Readable(argument) +
                                       QStringLiteral(": not a local file");
                continue;
            }
            path = PathBytes::FromFileUrl(url);
        }
        // Composed and looked up as bytes: Qt's file classes would lose a name that is not
        // UTF-8 and report it missing.
        if (!path.startsWith(QLatin1Char('/')))
            path = workingFolder + QLatin1Char('/') + path;
        path = QDir::cleanPath(path);
        if (!PathBytes::Exists(path)) {
            request.skipped << PathBytes::Readable(argument) +
                                   QStringLiteral(": no such file or folder");
            continue;
        }
        request.paths << path;
    }
    return request;
}

QString CommandLineUsage(const QString &programName)
{
    return QStringLiteral("Usage: %1 [OPTION]... [FILE | FOLDER]...\n"
                          "Plays media files, DVD folders and Blu-ray folders.\n"
                          "\n"
                          "All files go into the playlist as if chosen in the open dialog, "
                          "and the first\n"
                          "one plays; the next ones play in turn when Controls \u25b8 Play "
                          "Next Automatically\n"
                          "is on. A folder is opened as a disc. Paths may be relative or "
                          "file:// addresses.\n"
                          "When a player window is already open, it plays them instead.\n"
                          "\n"
                          "  -h, --help     show this help and exit\n"
                          "  -v, --version  show the version and exit\n"
                          "  --             take every later argument as a path\n")
        .arg(programName);
}
