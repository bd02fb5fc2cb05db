#include "i18n/CLanguageManager.h"

#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QByteArray shippedConfig("[DefaultLanguage]\nDefault=/English\n\n[Languages]\n"
                               "/English=English\n/German=Deutsch\n");

} // namespace

// Every test gets a fresh program folder and user configuration folder, so nothing here
// reads or writes the real user's settings.
class LanguageManagerTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> appFolder;
    std::unique_ptr<QTemporaryDir> userFolder;

    void Write(const QString &relativePath, const QByteArray &bytes)
    {
        const QString path = appFolder->filePath(relativePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    std::unique_ptr<CLanguageManager> Manager()
    {
        return std::make_unique<CLanguageManager>(appFolder->path(), userFolder->path());
    }

private slots:
    void init()
    {
        appFolder = std::make_unique<QTemporaryDir>();
        userFolder = std::make_unique<QTemporaryDir>();
        QVERIFY(appFolder->isValid() && userFolder->isValid());
        Write("Languages/English.ini", "[MainWnd]\nPlay=Play\n");
        Write("Languages/German.ini", "[MainWnd]\nPlay=Abspielen\n");
    }

    void withoutSettingsTheEnglishFileIsRead()
    {
        const auto manager = Manager();
        QCOMPARE(manager->CurrentLanguage(), QStringLiteral("/English"));
        QVERIFY(manager->LanguageFilePath().endsWith(QStringLiteral("/Languages//English.ini")));
        QCOMPARE(manager->GetText("MainWnd/Play"), QStringLiteral("Play"));
        QVERIFY(manager->LanguageList().empty());
    }

    void languageList()
    {
        const QString atLimit = QStringLiteral("/L=") + QString(124, QLatin1Char('x'));
        Write("config.ini", "[Languages]\n/German=Deutsch\n/French=Fran\xC3\xA7"
                            "ais\nPlain\n"
                            "/Eq=a=b\n" +
                                atLimit.toUtf8() + "\n/Over=" + QByteArray(122, 'y') +
                                "\n/Last=Last\n");
        const auto manager = Manager();
        const std::vector<LanguageEntry> &list = manager->LanguageList();
        QStringList seen;
        for (const LanguageEntry &entry : list)
            seen << entry.name + QLatin1Char('|') + entry.displayName;
        // The entry of 128 characters is left out; one of 127 is kept.
        QCOMPARE(seen,
                 (QStringList{"/German|Deutsch", QStringLiteral("/French|Français"), "Plain|Plain",
                              "/Eq|a=b", "/L|" + atLimit.mid(3), "/Last|Last"}));
    }

    void currentNameIsCutTo63Characters()
    {
        Write("config.ini", "[DefaultLanguage]\nDefault=/" + QByteArray(70, 'n') + "\n");
        QCOMPARE(Manager()->CurrentLanguage(), "/" + QString(62, QLatin1Char('n')));
    }

    void getText_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("first of duplicates") << QByteArray("MainWnd/Play") << "first";
        QTest::newRow("= inside the text") << QByteArray("MainWnd/Eq") << "a=b";
        QTest::newRow("entry without =") << QByteArray("MainWnd/Lonely") << "Lonely";
        QTest::newRow("section case") << QByteArray("mainwnd/Play") << "";
        QTest::newRow("key case") << QByteArray("MainWnd/play") << "";
        QTest::newRow("missing key") << QByteArray("MainWnd/Nothing") << "";
        QTest::newRow("missing section") << QByteArray("Nothing/Play") << "";
        QTest::newRow("no slash: empty key") << QByteArray("Bare") << "empty key";
        QTest::newRow("split at the last slash") << QByteArray("Sub/Section/Key") << "deep";
        QTest::newRow("non-ASCII key") << QByteArray("Messages/Gr\xC3\xB6\xC3\x9F"
                                                     "e")
                                       << "big";
        QTest::newRow("key of 63 characters") << "MainWnd/" + QByteArray(55, 'k') << "limit";
        QTest::newRow("key of 64 characters") << "MainWnd/" + QByteArray(56, 'k') << "";
        QTest::newRow("text entry of 1023 characters")
            << QByteArray("MainWnd/Long") << QString(1018, QLatin1Char('t'));
        QTest::newRow("over-long entry skipped, not cut") << QByteArray("MainWnd/Skip") << "short";
        QTest::newRow("empty key") << QByteArray() << "";
    }
    void getText()
    {
        QFETCH(QByteArray, key);
        QFETCH(QString, text);
        Write("Languages/English.ini",
              "[MainWnd]\nPlay=first\nPlay=second\nEq=a=b\nLonely\nLong=" + QByteArray(1018, 't') +
                  "\nSkip=" + QByteArray(1019, 'x') + "\nSkip=short\n" + QByteArray(55, 'k') +
                  "=limit\n" + QByteArray(56, 'k') +
                  "=beyond\n[Bare]\n=empty key\n"
                  "[Sub/Section]\nKey=deep\n[Messages]\nGr\xC3\xB6\xC3\x9F"
                  "e=big\n");
        QCOMPARE(Manager()->GetText(key.constData()), text);
    }

    void overLongSectionNameDoesNotStopReading()
    {
        Write("Languages/English.ini",
              "[" + QByteArray(256, 's') + "]\nk=v\n[MainWnd]\nPlay=Play\n");
        QCOMPARE(Manager()->GetText("MainWnd/Play"), QStringLiteral("Play"));
    }

    void utf16LanguageFile()
    {
        QStringEncoder encoder(QStringConverter::Utf16LE);
        Write("config.ini", "[DefaultLanguage]\nDefault=/Chinese\n");
        Write("Languages/Chinese.ini",
              "\xFF\xFE" + QByteArray(encoder(QStringLiteral("[MainWnd]\r\nPlay=播放\r\n"))));
        QCOMPARE(Manager()->GetText("MainWnd/Play"), QStringLiteral("播放"));
    }

    void changeLanguagePersistsForTheUser()
    {
        Write("config.ini", shippedConfig);
        // The user's folder does not exist yet on a first change.
        const QString user = userFolder->filePath("deeper/Orvel BluRay Player");
        auto manager = std::make_unique<CLanguageManager>(appFolder->path(), user);
        manager->ChangeLanguage("/German");
        QCOMPARE(manager->CurrentLanguage(), QStringLiteral("/German"));
        QCOMPARE(manager->GetText("MainWnd/Play"), QStringLiteral("Abspielen"));
        QCOMPARE(manager->LanguageList().size(), size_t(2));

        QFile shipped(appFolder->filePath("config.ini"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QCOMPARE(shipped.readAll(), shippedConfig);

        manager = std::make_unique<CLanguageManager>(appFolder->path(), user);
        QCOMPARE(manager->CurrentLanguage(), QStringLiteral("/German"));
        QCOMPARE(manager->GetText("MainWnd/Play"), QStringLiteral("Abspielen"));
    }

    void userSettingsWithoutTheKeyLeaveTheShippedChoice()
    {
        Write("config.ini", "[DefaultLanguage]\nDefault=/German\n");
        QFile user(userFolder->filePath("config.ini"));
        QVERIFY(user.open(QIODevice::WriteOnly));
        user.write("[Other]\nDefault=/English\n");
        user.close();
        QCOMPARE(Manager()->CurrentLanguage(), QStringLiteral("/German"));
    }

    void changeToALanguageWithoutFileEmptiesTheTexts()
    {
        auto manager = Manager();
        manager->ChangeLanguage("/Klingon");
        QCOMPARE(manager->CurrentLanguage(), QStringLiteral("/Klingon"));
        QCOMPARE(manager->GetText("MainWnd/Play"), QString());
    }

    // A settings file past the size limit counts as missing: the shipped choice stands, and
    // a change of language is not written into it.
    void oversizedUserSettingsAreIgnored()
    {
        Write("config.ini", shippedConfig);
        const QByteArray head("[DefaultLanguage]\nDefault=/German\n");
        const QByteArray huge = head + QByteArray(16 * 1024 * 1024, '\n');
        QFile user(userFolder->filePath("config.ini"));
        QVERIFY(user.open(QIODevice::WriteOnly) && user.write(huge) == huge.size());
        user.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("config\\.ini: 16777250 bytes"));
        auto manager = Manager();
        QCOMPARE(manager->CurrentLanguage(), QStringLiteral("/English"));
        QCOMPARE(manager->GetText("MainWnd/Play"), QStringLiteral("Play"));
    }

    void unwritableSettingsKeepTheLanguage()
    {
        // A plain file where the user's folder should be: nothing can be stored below it.
        const QString blocker = userFolder->filePath("blocker");
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        CLanguageManager manager(appFolder->path(), blocker);
        manager.ChangeLanguage("/German");
        QCOMPARE(manager.CurrentLanguage(), QStringLiteral("/English"));
        QCOMPARE(manager.GetText("MainWnd/Play"), QStringLiteral("Play"));
    }
};

QTEST_APPLESS_MAIN(LanguageManagerTest)
#include "tst_LanguageManager.moc"
