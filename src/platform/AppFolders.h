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

} // namespace AppFolders
