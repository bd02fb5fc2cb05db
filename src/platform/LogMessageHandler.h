#pragma once

#include <QtGlobal>

// Appends the toolkit's debug messages to "Log.txt" in the current directory, one line
// "Debug: <text>" each. Warnings and critical messages go to the standard error instead, one
// line each; informational messages are dropped. The file is opened per message, so the log
// follows the program when it changes its current directory; a Log.txt that is not a regular
// file (a named pipe, say) gets nothing and holds nothing up.
void LogMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &text);
