#include "i18n/StreamLabel.h"

#include <QSet>
#include <QTest>

using Kind = StreamLabel::Kind;
Q_DECLARE_METATYPE(StreamLabel::Kind)

// The menu texts of streams as a user of each interface language reads them.
class StreamLabelTest : public QObject
{
    Q_OBJECT
private slots:
    void namesStreams_data();
    void namesStreams();
    void everyOfferedLanguageIsNamedAndFoundAgain();
};

void StreamLabelTest::namesStreams_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");

    // The engine prints the code the file carries: ISO 639-2/B, 639-2/T or 639-1.
    QTest::newRow("639-2/B in English") << Kind::Audio << 1 << "ger"
                                        << "Stereo"
                                        << "" << QStringLiteral("Audio 1: German \u2013 Stereo");
    QTest::newRow("639-2/B in German") << Kind::Audio << 1 << "ger"
                                       << "Stereo"
                                       << "de" << QStringLiteral("Audio 1: Deutsch \u2013 Stereo");
    QTest::newRow("639-2/T in German") << Kind::Audio << 1 << "deu"
                                       << "Stereo"
                                       << "de" << QStringLiteral("Audio 1: Deutsch \u2013 Stereo");
    QTest::newRow("English in German")
        << Kind::Audio << 2 << "eng"
        << "Commentary"
        << "de" << QStringLiteral("Audio 2: Englisch \u2013 Commentary");
    QTest::newRow("upper case in French") << Kind::Subtitle << 1 << "FRE"
                                          << ""
                                          << "fr" << QStringLiteral("Subtitle 1: Fran\u00e7ais");
    QTest::newRow("Chinese in Chinese") << Kind::Subtitle << 2 << "chi"
                                        << ""
                                        << "zh_CN" << QStringLiteral("Subtitle 2: \u4e2d\u6587");
    QTest::newRow("German in Chinese")
        << Kind::Audio << 1 << "ger"
        << "5.1"
        << "zh_CN" << QStringLiteral("Audio 1: \u5fb7\u8bed \u2013 5.1");
    // Beyond the common film languages, another interface shows the language's own name.
    QTest::newRow("Swahili in German") << Kind::Audio << 1 << "swa"
                                       << ""
                                       << "de" << QStringLiteral("Audio 1: Kiswahili");
    QTest::newRow("Swahili in English") << Kind::Audio << 1 << "sw"
                                        << ""
                                        << "" << QStringLiteral("Audio 1: Swahili");
    // Without a known language the entry is what it always was, or the title alone.
    QTest::newRow("no code") << Kind::Audio << 4 << ""
                             << ""
                             << "de" << QStringLiteral("Audio 4");
    QTest::newRow("undetermined") << Kind::Subtitle << 1 << "und"
                                  << ""
                                  << "" << QStringLiteral("Subtitle 1");
    QTest::newRow("no such language") << Kind::Audio << 2 << "qqx"
                                      << ""
                                      << "fr" << QStringLiteral("Audio 2");
    QTest::newRow("title only") << Kind::Audio << 2 << ""
                                << "Director"
                                << "de" << QStringLiteral("Audio 2: Director");
}

void StreamLabelTest::namesStreams()
{
    QFETCH(Kind, kind);
    QFETCH(int, number);
    QFETCH(QString, code);
    QFETCH(QString, title);
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QCOMPARE(StreamLabel::Text(kind, number, code, title, locale), text);
}

// The Preferences dialog offers these: each must show a name in every interface language and
// be taken for its own language when a disc's stream is matched against it.
void StreamLabelTest::everyOfferedLanguageIsNamedAndFoundAgain()
{
    const QStringList codes = StreamLabel::NamedLanguageCodes();
    QVERIFY(codes.size() >= 4);
    QCOMPARE(QSet<QString>(codes.begin(), codes.end()).size(), codes.size());
    QSet<int> languages;
    for (const QString &code : codes) {
        const QLocale::Language language = StreamLabel::LanguageOf(code);
        QVERIFY2(language != QLocale::AnyLanguage, qPrintable(code));
        languages << int(language);
        for (const QString &locale :
             {QString(), QStringLiteral("de"), QStringLiteral("fr"), QStringLiteral("zh_CN")})
            QVERIFY2(!StreamLabel::LanguageName(code, locale).isEmpty(),
                     qPrintable(code + " in " + locale));
    }
    QCOMPARE(languages.size(), codes.size());
    QVERIFY(codes.contains(QStringLiteral("fre")) || codes.contains(QStringLiteral("fra")));
}

QTEST_APPLESS_MAIN(StreamLabelTest)
#include "tst_StreamLabel.moc"
