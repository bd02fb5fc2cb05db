#pragma once

#include <QString>

// Where the outside programs that the player runs are found.
class EngineLocator
{
public:
    // The engine: a program "Player" beside our own executable when there is one (an
    // installation may ship its own build, and tests put a scripted engine there), else
    // "mplayer" from PATH. Empty when neither exists.
    static QString EnginePath();

    // Says where EnginePath() looked, for a message when it found nothing.
    static QString EngineSearchDescription();

    // The shipped probe tool: a file "tool" without extension in the program's data folder.
    static QString ProbeToolSource();

    // The copy of the probe tool that the player runs: "tool.exe" in the application-data
    // folder (which ends in a separator, so the joint holds a doubled "/"), with every "\"
    // turned into "/".
    static QString ProbeToolCopy(const QString &appDataFolder);

    // Copies the shipped probe tool into the application-data folder unless a copy is
    // already there; an existing copy is never replaced. Returns whether a copy exists
    // afterwards.
    static bool PrepareProbeToolCopy(const QString &appDataFolder);

    // The probe to run: the copy when it is a whole executable file, else the shipped tool
    // itself (a full data folder leaves no copy, or an empty one), with a line in the log
    // saying so; lengths are measured either way.
    static QString ProbeToolToRun(const QString &appDataFolder);
};
