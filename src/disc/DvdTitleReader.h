#pragma once

#include "disc/DvdTitles.h"

#include <QString>

// Asks the engine for a DVD's titles and chapters: one engine run over every title number
// (DvdIdentifyArguments), its output read by ParseDvdTitles. The disc is a DVD folder or a
// DVD image. Blocks for up to timeoutMs (an engine that hangs is killed and what it printed
// so far counts), so call it off the window's thread, for example through QtConcurrent::run.
// A missing engine or a disc it cannot open gives no titles. The engine dies with the thread
// that calls this (and so with the player), however the player ends.
DvdTitles ReadDvdTitles(const QString &enginePath, const QString &discPath, int timeoutMs = 30000);
