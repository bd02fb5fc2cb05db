#pragma once

#include <QString>

// A file named in an engine "*** screenshot '...'" line, checked before anything touches it.
//
// The engine copies a media file's own metadata (title, comment ...) into its output
// verbatim, so a crafted file can print a screenshot line naming any file of the user.
// Only a file that the screenshot filter itself can have written is accepted: one that lies
// directly in the filter's folder (compared as canonical paths, so neither "..", nor a
// symbolic link leads out of it) and whose name is the filter's pattern, the prefix's file
// part followed by four digits and ".png".
class EngineScreenshot
{
public:
    enum class Verdict
    {
        Accepted,
        Missing,                 // nothing of that name exists (not a regular file)
        OutsideScreenshotFolder, // the file lies elsewhere than in the filter's folder
        NotFilterName,           // in the folder, but not a name the filter writes
    };

    // enginePath: the name from the screenshot line, taken relative to screenshotFolder when
    // it is relative. screenshotFolder: the engine's working directory, into which its filter
    // writes (the application-data folder, ending in "/").
    static EngineScreenshot Check(const QString &enginePath, const QString &screenshotFolder);

    Verdict verdict() const { return result; }
    bool IsAccepted() const { return result == Verdict::Accepted; }
    // The file's canonical path; empty unless accepted.
    QString Path() const { return path; }

private:
    EngineScreenshot(Verdict verdict, QString acceptedPath)
        : result(verdict), path(std::move(acceptedPath))
    {
    }

    Verdict result;
    QString path;
};
