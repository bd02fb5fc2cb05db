#pragma once

#include <QtGlobal>

// Appends the toolkit's debug messages to "Log.txt" in the current directory, one line
// "Debug: <text>" each; every other kind of message is dropped. The file is opened per
// message, so the log follows the program when it changes its current directory.
void LogMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &text);
