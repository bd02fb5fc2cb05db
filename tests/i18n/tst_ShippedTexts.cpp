#include "i18n/CLanguageManager.h"
#include "i18n/CWebLinks.h"
#include "i18n/GetText.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

namespace {

// Keys the program is known to look up, whether or not their code exists yet.
const char *const requiredKeys[] = {
    "MainWnd/ProTitle",       "MainWnd/FreeTitle",
    "MainWnd/File",           "MainWnd/Controls",
    "MainWnd/Video",          "MainWnd/Audio",
    "MainWnd/Tools",          "MainWnd/Help",
    "MainWnd/OpenFile",       "MainWnd/OpenFolder",
    "MainWnd/OpenDisc",       "MainWnd/RecentFiles",
    "MainWnd/ClearMenu",      "MainWnd/Eject",
    "MainWnd/Close",          "MainWnd/Play",
    "MainWnd/Pause",          "MainWnd/Resume",
    "MainWnd/Stop",           "MainWnd/Previous",
    "MainWnd/Next",           "MainWnd/Forward",
    "MainWnd/Backward",       "MainWnd/VolumeUp",
    "MainWnd/VolumeDown",     "MainWnd/NavigationPanel",
    "MainWnd/Title",          "MainWnd/Chapter",
    "MainWnd/FullScreen",     "MainWnd/PlayMovie",
    "MainWnd/Subtitle",       "MainWnd/OtherTitles",
    "MainWnd/HalfSize",       "MainWnd/NormalSize",
    "MainWnd/DoubleSize",     "MainWnd/Fit2Screen",
    "MainWnd/VideoTrack",     "MainWnd/SubtitleTrack",
    "MainWnd/AudioTrack",     "MainWnd/AudioChannel",
    "MainWnd/Stereo",         "MainWnd/Left",
    "MainWnd/Right",          "MainWnd/PlayList",
    "MainWnd/Preferences",    "MainWnd/RegisterTitle",
    "MainWnd/Snapshot",       "MainWnd/SnapshotFolder",
    "MainWnd/Browse",         "MainWnd/Open",
    "MainWnd/SnapshotFormat", "MainWnd/OK",
    "MainWnd/Cancel",         "MainWnd/Support",
    "MainWnd/Language",       "MainWnd/FileName",
    "Messages/MSG0102",       "Messages/MSG0403",
    "MainWnd/LoadSubtitle",   "MainWnd/SubtitleFiles",
    "MainWnd/AllFiles",       "MainWnd/StartOver",
    "MainWnd/PlayNext",       "MainWnd/ResumePlayback",
    "MainWnd/ResumedAt",      "Messages/MSG0105",
    "Messages/MSG0106",
};

// The "%1" ... placeholders of a text, sorted.
QStringList Placeholders(const QString &text)
{
    QStringList found;
    for (const QRegularExpressionMatch &match :
         QRegularExpression(QStringLiteral("%[1-9]")).globalMatch(text))
        found << match.captured();
    found.sort();
    return found;
}

// Key to the first place that needs it: a source file, or this list.
std::map<QByteArray, QString> KeysInUse()
{
    std::map<QByteArray, QString> keys;
    for (const char *key : requiredKeys)
        keys.emplace(key, QStringLiteral("the list of known keys"));
    const QRegularExpression literal(
        QStringLiteral(R"re("((?:MainWnd|Messages)/[A-Za-z0-9_]+)")re"));
    QDirIterator files(QStringLiteral(ORVEL_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (const QRegularExpressionMatch &match : literal.globalMatch(text))
            keys.emplace(match.captured(1).toLatin1(), path);
    }
    return keys;
}

} // namespace

// Checks the language files as staged beside the test, read the way the program reads them.
class ShippedTextsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir userFolder;

    std::unique_ptr<CLanguageManager> ManagerFor(const QString &language)
    {
        QFile user(userFolder.filePath("config.ini"));
        if (!user.open(QIODevice::WriteOnly))
            qFatal("cannot write the user settings");
        user.write("[DefaultLanguage]\nDefault=" + language.toUtf8() + "\n");
        user.close();
        return std::make_unique<CLanguageManager>(QCoreApplication::applicationDirPath(),
                                                  userFolder.path());
    }

private slots:
    void shippedSettings()
    {
        CLanguageManager shipped(QCoreApplication::applicationDirPath(), QString());
        QCOMPARE(shipped.CurrentLanguage(), QStringLiteral("/English"));
        QStringList names;
        for (const LanguageEntry &entry : shipped.LanguageList())
            names << entry.name;
        QVERIFY2(names.contains("/English"), qPrintable(names.join(", ")));
        // Every file in the source folder is offered, so none is shipped by mistake.
        const QStringList files =
            QDir(QStringLiteral(ORVEL_SOURCE_DIR "/languages")).entryList({"*.ini"}, QDir::Files);
        for (const QString &file : files)
            QVERIFY2(names.contains("/" + QFileInfo(file).completeBaseName()),
                     qPrintable(file + " is not listed in config.ini"));
    }

    void everyKeyInEveryLanguage_data()
    {
        QTest::addColumn<QString>("language");
        CLanguageManager shipped(QCoreApplication::applicationDirPath(), QString());
        for (const LanguageEntry &entry : shipped.LanguageList())
            QTest::newRow(qPrintable(entry.name)) << entry.name;
    }
    void everyKeyInEveryLanguage()
    {
        QFETCH(QString, language);
        const auto manager = ManagerFor(language);
        QCOMPARE(manager->CurrentLanguage(), language);
        QStringList missing;
        for (const auto &[key, neededBy] : KeysInUse()) {
            if (manager->GetText(key.constData()).isEmpty())
                missing
                    << QStringLiteral("%1 (used in %2)").arg(QString::fromLatin1(key), neededBy);
        }
        QVERIFY2(missing.isEmpty(),
                 qPrintable(manager->LanguageFilePath() + " lacks:\n  " + missing.join("\n  ")));
        // A translation that loses or adds a placeholder shows a raw "%1" or drops the name
        // the text is about.
        const auto english = ManagerFor(QStringLiteral("/English"));
        for (const auto &[key, neededBy] : KeysInUse()) {
            QVERIFY2(Placeholders(manager->GetText(key.constData())) ==
                         Placeholders(english->GetText(key.constData())),
                     qPrintable(QString::fromLatin1(key) + " in " + language));
        }
        // A second start looks for the running window by this exact title.
        QCOMPARE(manager->GetText("MainWnd/ProTitle"), QStringLiteral("Orvel BluRay Player"));
    }

    void programWideLookup()
    {
        // Keeps the process-wide store away from the real user's settings.
        QStandardPaths::setTestModeEnabled(true);
        QCOMPARE(CLanguageManager::Instance().SettingsPath(),
                 QCoreApplication::applicationDirPath() + "/config.ini");
        QVERIFY(CLanguageManager::Instance().UserSettingsPath().contains("qttest"));
        QCOMPARE(GetText("MainWnd/ProTitle"), QStringLiteral("Orvel BluRay Player"));
    }

    void guidePagesInEveryLanguage_data() { everyKeyInEveryLanguage_data(); }
    void guidePagesInEveryLanguage()
    {
        QFETCH(QString, language);
        const CWebLinks links(QCoreApplication::applicationDirPath() + "/guide",
                              [language] { return language; });
        const QString folder = "/guide/" + language.mid(1) + "/";
        for (const QUrl &url : {links.HelpUrl(), links.AboutUrl(), links.SupportUrl()}) {
            QVERIFY2(url.isLocalFile(), qPrintable(url.toString()));
            QVERIFY2(QFileInfo::exists(url.toLocalFile()), qPrintable(url.toLocalFile()));
            QVERIFY2(url.toLocalFile().contains(folder),
                     qPrintable(url.toLocalFile() + " is not in " + folder));
        }
        // A language without a guide of its own gets the English one rather than nothing.
        QVERIFY(QFileInfo::exists(links.PageFor("/Klingon", "index.html").toLocalFile()));
    }
};

QTEST_GUILESS_MAIN(ShippedTextsTest)
#include "tst_ShippedTexts.moc"
