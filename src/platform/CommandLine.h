#pragma once

#include <QString>
#include <QStringList>

// What the user asked for on the command line. Options come first or anywhere; "--" ends
// them, so a file whose name begins with "-" can still be given.
struct CommandLineRequest
{
    bool showHelp = false;
    bool showVersion = false;
    // Absolute paths of the files and folders to open, in the order given, as PathBytes
    // holds them (the arguments should come from PathBytes::FromBytes too).
    QStringList paths;
    // Options the program does not know; the program refuses to start with them.
    QStringList unknownOptions;
    // Arguments that name nothing that can be opened, each with the reason, for a message.
    QStringList skipped;
};

// Reads the arguments (without the program name). Relative paths are taken from
// workingFolder; "file://" addresses name local files; other addresses and missing files end
// up in skipped.
CommandLineRequest ParseCommandLine(const QStringList &arguments, const QString &workingFolder);

// The arguments without the toolkit's own options (-platform NAME, -display NAME, -style=NAME
// ...) and their values, which QApplication takes out of the command line once it exists.
// Lets the command line be judged before the program connects to a display.
QStringList WithoutToolkitOptions(const QStringList &arguments);

// The text that --help prints.
QString CommandLineUsage(const QString &programName);
