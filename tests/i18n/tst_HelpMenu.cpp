#include "i18n/CHelpMenu.h"
#include "i18n/CLanguageManager.h"

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <memory>

class HelpMenuTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir appFolder;
    QTemporaryDir userFolder;

    void Write(const QString &relativePath, const QByteArray &bytes)
    {
        const QString path = appFolder.filePath(relativePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    std::unique_ptr<CLanguageManager> ManagerWithDefault(const QByteArray &name)
    {
        Write("config.ini", "[DefaultLanguage]\nDefault=" + name +
                                "\n[Languages]\n/English=English\n/German=Deutsch\n"
                                "German=Deutsch ohne Schrägstrich\n");
        return std::make_unique<CLanguageManager>(appFolder.path(), userFolder.path());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(appFolder.isValid() && userFolder.isValid());
        Write("Languages/German.ini", "[MainWnd]\nHelp=Hilfe\nSupport=Support\nLanguage=Sprache\n");
    }

    void structure()
    {
        const auto languages = ManagerWithDefault("/German");
        QWidget window;
        std::unique_ptr<QMenu> menu(CHelpMenu::Build(&window, *languages));

        const QList<QAction *> items = menu->actions();
        QCOMPARE(items.size(), 3);
        const QStringList texts{"Hilfe", "Support", "Sprache"};
        const QStringList data{"Help", "Support", "Language"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(items[i]->text(), texts[i]);
            QCOMPARE(items[i]->data(), QVariant(data[i]));
        }

        QMenu *submenu = items[2]->menu();
        QVERIFY(submenu);
        QCOMPARE(submenu->parentWidget(), &window);
        const QList<QAction *> choices = submenu->actions();
        QCOMPARE(choices.size(), 3);
        QCOMPARE(choices[0]->text(), QStringLiteral("English"));
        QCOMPARE(choices[0]->data(), QVariant(QStringLiteral("/English")));
        QCOMPARE(choices[1]->text(), QStringLiteral("Deutsch"));
        QCOMPARE(choices[1]->data(), QVariant(QStringLiteral("/German")));
        // Only the exact name is current: "German" without the slash is another entry.
        QCOMPARE(submenu->defaultAction(), choices[1]);
        QVERIFY(choices[0]->icon().isNull());
        QVERIFY(!choices[1]->icon().isNull());
        QVERIFY(choices[2]->icon().isNull());
    }

    void currentLanguageNotListed()
    {
        const auto languages = ManagerWithDefault("/Klingon");
        QWidget window;
        std::unique_ptr<QMenu> menu(CHelpMenu::Build(&window, *languages));
        QMenu *submenu = menu->actions().at(2)->menu();
        QCOMPARE(submenu->defaultAction(), nullptr);
        for (QAction *choice : submenu->actions())
            QVERIFY(choice->icon().isNull());
    }

    void classify_data()
    {
        QTest::addColumn<QVariant>("data");
        QTest::addColumn<bool>("withSubmenu");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("languageName");
        const int help = int(CHelpMenu::Choice::Help);
        const int support = int(CHelpMenu::Choice::Support);
        const int language = int(CHelpMenu::Choice::Language);
        const int none = int(CHelpMenu::Choice::None);
        QTest::newRow("help") << QVariant("Help") << false << help << "";
        QTest::newRow("support") << QVariant("Support") << false << support << "";
        QTest::newRow("language name") << QVariant("/German") << false << language << "/German";
        QTest::newRow("keywords are case-sensitive")
            << QVariant("help") << false << language << "help";
        QTest::newRow("submenu holder") << QVariant("Language") << true << none << "";
        QTest::newRow("no data") << QVariant() << false << none << "";
    }
    void classify()
    {
        QFETCH(QVariant, data);
        QFETCH(bool, withSubmenu);
        QFETCH(int, choice);
        QFETCH(QString, languageName);
        QAction action;
        QMenu submenu;
        action.setData(data);
        if (withSubmenu)
            action.setMenu(&submenu);
        const CHelpMenu::Selection selection = CHelpMenu::Classify(&action);
        QCOMPARE(int(selection.choice), choice);
        QCOMPARE(selection.languageName, languageName);
    }
};

QTEST_MAIN(HelpMenuTest)
#include "tst_HelpMenu.moc"
