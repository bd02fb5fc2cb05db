#pragma once

#include <QString>

// Where the program keeps its per-user files. Every folder path ends with "/", because
// callers append file names to it directly.
namespace AppFolders {

// Per-user application-data folder: recent files, snapshot folder choice, probe copy and
// the engine's temporary screenshots.
QString AppDataFolder();

// Default snapshot folder inside the user's documents.
QString DocumentsFolder();

// Per-user folder for the settings that the user changes (the language choice).
QString UserConfigFolder();

// Creates the folder with its missing parents; returns whether it exists afterwards.
bool EnsureFolder(const QString &path);

// The user's runtime folder, for the single-instance lock and socket: they must be the
// user's own, so that each person on a shared machine gets a player of their own, and they
// must vanish with the session so that no lock outlives it.
QString RuntimeFolder();

// The choice behind RuntimeFolder(), with its inputs named for tests: XDG_RUNTIME_DIR when
// it is a folder that only uid may use; else a folder "orvel-bluray-player-UID" in
// tempFolder, created for uid alone; else lastResort (a folder in the user's home), because
// a temporary folder that someone else has claimed must never hold our socket.
QString ChooseRuntimeFolder(const QString &xdgRuntimeDir, const QString &tempFolder, uint uid,
                            const QString &lastResort);

// Where the program's shipped data lives (settings, language files, the user guide, the
// probe wrapper): beside the executable when the program runs from its build folder, else
// in the installed data folder that relativeDataFolder names from the executable's folder.
// Like the executable's folder, and unlike the per-user folders, it ends without "/".
QString ProgramDataFolder();
QString ChooseProgramDataFolder(const QString &executableFolder, const QString &relativeDataFolder);

} // namespace AppFolders
