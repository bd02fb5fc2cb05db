// Every language readable: the window in each shipped language, as the user switches to it
// through the Help menu, shows its characters, Qt's own words and the guide in that language.
#include "DRUITestAccess.h"
#include "WindowFixture.h"
#include "i18n/CLanguageManager.h"
#include "i18n/CWebLinks.h"
#include "i18n/StreamLabel.h"
#include "platform/AppFolders.h"
#include "ui/TrackMenus.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTextLayout>
#include <QtTest>

namespace {

// Characters of text that no font offers draw as the font's "missing glyph", index 0.
QString MissingGlyphs(const QString &text, const QFont &font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QString missing;
    for (const QGlyphRun &run : layout.glyphRuns()) {
        const QVector<quint32> glyphs = run.glyphIndexes();
        if (glyphs.contains(0)) {
            missing += QStringLiteral("[%1 in %2]").arg(text, run.rawFont().familyName());
        }
    }
    return missing;
}

// The texts on the start page and the menu strip above it that need more than Latin-1.
QList<QWidget *> WidgetsWithWideTexts(DRUITestAccess &ui)
{
    QList<QWidget *> found;
    QList<QWidget *> candidates = ui.PageStack()->widget(0)->findChildren<QWidget *>();
    for (QPushButton *button : ui.MenuButtons()) {
        candidates << button;
    }
    for (QWidget *widget : candidates) {
        QString text;
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            text = label->text();
        } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
            text = button->text();
        }
        const bool wide =
            std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0xff; });
        if (wide && widget->isVisible()) {
            found << widget;
        }
    }
    return found;
}

QString TextOf(QWidget *widget)
{
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        return label->text();
    }
    return qobject_cast<QPushButton *>(widget)->text();
}

void SetTextOf(QWidget *widget, const QString &text)
{
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        label->setText(text);
    } else {
        qobject_cast<QPushButton *>(widget)->setText(text);
    }
}

} // namespace

class LanguagesTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void chineseStartPageDrawsEveryCharacter();
    void qtWordsAndGuideFollowTheLanguage_data();
    void qtWordsAndGuideFollowTheLanguage();

private:
    void SwitchTo(DRUI &window, const QString &language);
};

void LanguagesTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QDir(AppFolders::UserConfigFolder()).removeRecursively();
    QCOMPARE(CLanguageManager::Instance().CurrentLanguage(), QStringLiteral("/English"));
}

void LanguagesTest::cleanupTestCase()
{
    QDir(AppFolders::UserConfigFolder()).removeRecursively();
}

void LanguagesTest::SwitchTo(DRUI &window, const QString &language)
{
    DRUITestAccess ui(window);
    QAction *entry = LanguageAction(ui.HelpMenu(), language);
    QVERIFY2(entry, qPrintable(language + " is not offered in the Help menu"));
    emit ui.HelpMenu()->triggered(entry);
    QTRY_COMPARE(CLanguageManager::Instance().CurrentLanguage(), language);
    // The rebuild follows once the menu has delivered its signal.
    QTRY_VERIFY(LanguageAction(ui.HelpMenu(), language) != entry);
}

void LanguagesTest::chineseStartPageDrawsEveryCharacter()
{
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    SwitchTo(window, "/ChineseSimplified");
    DRUITestAccess ui(window);
    // The rebuilt page shows its texts once it is laid out and shown.
    QTRY_VERIFY_WITH_TIMEOUT(WidgetsWithWideTexts(ui).size() >= 6, 30000);
    const QList<QWidget *> widgets = WidgetsWithWideTexts(ui);
    QVERIFY2(widgets.size() >= 6, "the start page shows too few Chinese texts to judge");

    QString missing;
    for (QWidget *widget : widgets) {
        const QString text = TextOf(widget);
        missing += MissingGlyphs(text, widget->font());
        // On screen, a character drawn as a box looks like any other box: each character,
        // grabbed as the widget shows it, must differ from a character that no font has.
        SetTextOf(widget, QString::fromUcs4(U"\U0010FFFD"));
        const QImage box = widget->grab().toImage();
        QSet<QChar> seen;
        for (const QChar c : text) {
            if (c.unicode() <= 0xff || seen.contains(c)) {
                continue;
            }
            seen.insert(c);
            SetTextOf(widget, QString(c));
            if (widget->grab().toImage() == box) {
                missing += QStringLiteral("[%1 drawn as a box]").arg(c);
            }
        }
        SetTextOf(widget, text);
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing));
    SwitchTo(window, "/English");
}

void LanguagesTest::qtWordsAndGuideFollowTheLanguage_data()
{
    QTest::addColumn<QString>("language");
    for (const LanguageEntry &entry : CLanguageManager::Instance().LanguageList()) {
        QTest::newRow(qPrintable(entry.name)) << entry.name;
    }
}

void LanguagesTest::qtWordsAndGuideFollowTheLanguage()
{
    QFETCH(QString, language);
    WindowFixture fixture(WindowFixture::Shown::Not);
    DRUI &window = fixture.window;
    SwitchTo(window, language);
    DRUITestAccess ui(window);

    // The key name beside the Play entry of the Controls menu comes from Qt's translations.
    const QString keyName =
        ui.ControlsMenu()->actions().first()->shortcut().toString(QKeySequence::NativeText);
    const QString locale = CLanguageManager::Instance().Locale();
    if (locale.isEmpty()) {
        QCOMPARE(keyName, QStringLiteral("Space"));
    } else {
        QVERIFY2(keyName != QLatin1String("Space"),
                 qPrintable(language + ": Qt's translation for " + locale + " is not loaded"));
    }

    // The stream menus' own words follow the language too.
    const QString subtitle = StreamLabel::Text(StreamLabel::Kind::Subtitle, 1, "fr", "", locale);
    const QString disable = TrackMenus::DisableText();
    if (locale.isEmpty()) {
        QCOMPARE(subtitle + " | " + disable, QStringLiteral("Subtitle 1: French | Disable"));
    } else {
        QVERIFY2(!subtitle.startsWith("Subtitle") && disable != "Disable",
                 qPrintable(language + ": " + subtitle + " | " + disable));
        QVERIFY2(subtitle.contains('1'), qPrintable(subtitle));
    }

    // Help opens the guide written in this language.
    const QUrl help = CWebLinks::Instance().HelpUrl();
    QVERIFY2(QFileInfo::exists(help.toLocalFile()), qPrintable(help.toString()));
    QFile page(help.toLocalFile());
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString wantedTag =
        locale.isEmpty() ? QStringLiteral("en") : QString(locale).replace('_', '-');
    QVERIFY2(page.readAll().contains(("<html lang=\"" + wantedTag + "\"").toUtf8()),
             qPrintable(help.toLocalFile() + " is not written in " + wantedTag));
    SwitchTo(window, "/English");
}

QTEST_MAIN(LanguagesTest)
#include "tst_languages.moc"
