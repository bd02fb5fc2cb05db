#include "ui/WindowDialogs.h"

#include "i18n/GetText.h"
#include "platform/AppFolders.h"
#include "platform/EngineLocator.h"
#include "platform/PathBytes.h"
#include "player/SnapshotWriter.h"
#include "ui/CMessageBox.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

namespace {

const QString OpenFileFilter = QStringLiteral(
    "*.rmvb *.rm *.mpeg *.mov *.avi *.wmv *.asf *.mp4 *.flv *.fla *.swf *.m4v *.3gp *.dv *.3g2 "
    "*.m4b *.mkv *.mts *.divx *.ogm *.moi *.vob *.ajp *.f4v *.mqv *.svi *.vid *.tod *.hdmov "
    "*.mod *.mxf *.m2ts *.lrv ;;Disc Image(*.iso);;All File(*)");

} // namespace

QStringList WindowDialogs::AskForMediaFiles(QWidget *parent)
{
    // Destroying the dialog waits for its folder model's file-info thread; the engine
    // starts first and the dialog goes once the event loop runs again.
    auto *dialog = new QFileDialog(parent, QString(), QStringLiteral("."), OpenFileFilter);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    QStringList files =
        dialog->exec() == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
    dialog->hide();
    dialog->deleteLater();
    // The dialog decodes names that are not UTF-8 lossily; the real names are looked up.
    for (QString &file : files)
        file = PathBytes::RecoverLossyPath(file);
    return files;
}

QString WindowDialogs::AskForDiscFolder(QWidget *parent)
{
    return PathBytes::RecoverLossyPath(
        QFileDialog::getExistingDirectory(parent, QString(), QString(), QFileDialog::ShowDirsOnly));
}

QString WindowDialogs::AskForSubtitleFile(QWidget *parent, const QString &folder)
{
    const QString filter = GetText("MainWnd/SubtitleFiles") +
                           QStringLiteral(" (*.srt *.ass *.ssa *.sub *.idx *.smi *.txt);;") +
                           GetText("MainWnd/AllFiles") + QStringLiteral(" (*)");
    return QFileDialog::getOpenFileName(parent, QString(), folder, filter);
}

void WindowDialogs::OpenOrSay(QWidget *parent, const QUrl &url)
{
    if (!QDesktopServices::openUrl(url)) {
        qDebug("no program opens %s", qUtf8Printable(url.toDisplayString()));
        CMessageBox::Inform(parent->geometry(),
                            GetText("Messages/MSG0105").arg(url.toDisplayString()));
    }
}

QString WindowDialogs::KeepSnapshot(QWidget *parent, const QString &screenshot,
                                    const QString &format)
{
    QString savedAs;
    switch (SnapshotWriter::Keep(screenshot, AppFolders::AppDataFolder(),
                                 AppFolders::DocumentsFolder(), QDateTime::currentDateTime(),
                                 format, &savedAs)) {
    case SnapshotWriter::Result::Saved:
        return savedAs;
    case SnapshotWriter::Result::NotAccepted:
        // Not a screenshot of ours: a film's own metadata can print the same line.
        qWarning("ignored a screenshot line naming %s", qUtf8Printable(screenshot));
        break;
    case SnapshotWriter::Result::LoadFailed:
    case SnapshotWriter::Result::SaveFailed:
        qWarning("the snapshot from %s could not be saved", qUtf8Printable(screenshot));
        CMessageBox::Inform(parent->geometry(), GetText("Messages/MSG0107"));
        break;
    }
    return QString();
}

void WindowDialogs::TellFailure(QWidget *parent, SessionFailure failure, const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    switch (failure) {
    case SessionFailure::EngineMissing:
        CMessageBox::Inform(
            parent->geometry(),
            GetText("Messages/MSG0104").arg(EngineLocator::EngineSearchDescription()));
        break;
    case SessionFailure::Crashed:
        CMessageBox::Inform(parent->geometry(), GetText("Messages/MSG0110").arg(name));
        break;
    case SessionFailure::Hung:
        CMessageBox::Inform(parent->geometry(), GetText("Messages/MSG0111").arg(name));
        break;
    case SessionFailure::None:
    case SessionFailure::Unplayable:
        qWarning("cannot play %s", qUtf8Printable(path));
        CMessageBox::Inform(parent->geometry(), GetText("Messages/MSG0106").arg(name));
        break;
    }
}

void WindowDialogs::TellSubtitleRefused(QWidget *parent, const QString &path,
                                        SubtitleFileCheck::Verdict verdict)
{
    CMessageBox::Inform(
        parent->geometry(),
        GetText(SubtitleFileCheck::RefusalMessageKey(verdict)).arg(QFileInfo(path).fileName()));
}

void WindowDialogs::TellSourceRefused(QWidget *parent, const QString &path,
                                      SourceCheck::Verdict verdict)
{
    if (!parent->isActiveWindow())
        return;
    QTimer::singleShot(0, parent, [parent, path, verdict] {
        CMessageBox::Inform(
            parent->geometry(),
            GetText(SourceCheck::RefusalMessageKey(verdict)).arg(PathBytes::Readable(path)));
    });
}
