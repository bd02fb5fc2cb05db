#include "i18n/CPrivateProfile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

// Code units as they are, unpaired surrogates included.
QByteArray Utf16WithMark(const QString &text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return QByteArray("\xFF\xFE") + bytes;
}

// count entries "k<i>=xxx" of exactly the given length each.
QStringList Entries(int count, int length)
{
    QStringList entries;
    for (int i = 0; i < count; ++i) {
        QString entry = QStringLiteral("k%1=").arg(i);
        entries.append(entry.leftJustified(length, QLatin1Char('x')));
    }
    return entries;
}

} // namespace

class PrivateProfileTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir folder;

    QString WriteFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static QByteArray ReadFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase() { QVERIFY(folder.isValid()); }

    void readSection_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QStringList>("entries");
        const QStringList kv{QStringLiteral("k=v")};
        QTest::newRow("LF") << QByteArray("[A]\nk=v\n") << "A" << kv;
        QTest::newRow("CRLF") << QByteArray("[A]\r\nk=v\r\nx=y\r\n") << "A"
                              << QStringList{"k=v", "x=y"};
        QTest::newRow("no line end at the end") << QByteArray("[A]\nk=v") << "A" << kv;
        QTest::newRow("UTF-16LE with mark, CRLF")
            << Utf16WithMark(QStringLiteral("[中文]\r\n键=值=二\r\n")) << QStringLiteral("中文")
            << QStringList{QStringLiteral("键=值=二")};
        QTest::newRow("UTF-16LE odd last byte dropped")
            << Utf16WithMark(QStringLiteral("[A]\nk=v")) + '\0' << "A" << kv;
        QTest::newRow("UTF-8 mark is not part of the first line")
            << QByteArray("\xEF\xBB\xBF[A]\nk=v") << "A" << kv;
        QTest::newRow("8-bit non-ASCII names")
            << QByteArray("[Größe]\nÄ=ö\n") << "Größe" << QStringList{"Ä=ö"};
        QTest::newRow("spaces around names and values")
            << QByteArray("[ A ]\n  k  =  v w  \n") << "A" << QStringList{"k=v w"};
        QTest::newRow("entry without =")
            << QByteArray("[A]\nlonely\n") << "A" << QStringList{"lonely"};
        QTest::newRow("comments and blank lines") << QByteArray("[A]\n;c=1\n\n\nk=v") << "A" << kv;
        QTest::newRow("lines before the first section")
            << QByteArray("k=v\n[A]\nx=y") << "A" << QStringList{"x=y"};
        QTest::newRow("section name is case-sensitive")
            << QByteArray("[a]\nk=v") << "A" << QStringList();
        QTest::newRow("first of repeated sections")
            << QByteArray("[A]\nk=1\n[B]\nk=3\n[A]\nk=2\n") << "A" << QStringList{"k=1"};
        QTest::newRow("duplicate keys are all handed over")
            << QByteArray("[A]\nk=1\nk=2\n") << "A" << QStringList{"k=1", "k=2"};
        QTest::newRow("header without closing bracket") << QByteArray("[A\nk=v") << "A" << kv;
        QTest::newRow("missing section") << QByteArray("[A]\nk=v") << "B" << QStringList();
    }
    void readSection()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, section);
        QFETCH(QStringList, entries);
        QCOMPARE(CPrivateProfile::Parse(bytes).ReadSection(section, 10240), entries);
    }

    void readString_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("bufferSize");
        QTest::addColumn<QString>("value");
        const QByteArray file("[S]\nk=first\nk=second\nEq=a=b\nlonely\nQ=\"quoted\"\n"
                              "Q1='single'\nQ2=\"mixed'\nEmpty=\n");
        QTest::newRow("first duplicate wins") << file << "k" << 64 << "first";
        QTest::newRow("= inside the value") << file << "Eq" << 64 << "a=b";
        QTest::newRow("key is case-sensitive") << file << "K" << 64 << "default";
        QTest::newRow("missing key") << file << "none" << 64 << "default";
        QTest::newRow("entry without = has no value") << file << "lonely" << 64 << "";
        QTest::newRow("empty value is not the default") << file << "Empty" << 64 << "";
        QTest::newRow("double quotes dropped") << file << "Q" << 64 << "quoted";
        QTest::newRow("single quotes dropped") << file << "Q1" << 64 << "single";
        QTest::newRow("unmatched quotes kept") << file << "Q2" << 64 << "\"mixed'";
        QTest::newRow("cut to buffer - 1") << file << "k" << 4 << "fir";
        QTest::newRow("value that fills the buffer") << file << "k" << 6 << "first";
        QTest::newRow("missing file") << QByteArray() << "k" << 64 << "default";
    }
    void readString()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, key);
        QFETCH(int, bufferSize);
        QFETCH(QString, value);
        QCOMPARE(CPrivateProfile::Parse(bytes).ReadString("S", key, "default", bufferSize), value);
    }

    // Lists hold only what fits whole: strings, a terminator each, one closing terminator.
    void listBuffers_data()
    {
        QTest::addColumn<int>("bufferSize");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("kept");
        // 10 entries of 1023 + terminators = 10240, plus the closing one: the last is lost.
        QTest::newRow("section one over") << 10240 << 10 << 1023 << 9;
        // 10 entries of 1022: 10230 + 1 fits.
        QTest::newRow("section fits") << 10240 << 10 << 1022 << 10;
        QTest::newRow("section exactly full") << 10240 << 1 << 10238 << 1;
        QTest::newRow("section entry larger than buffer") << 10240 << 2 << 10239 << 0;
        QTest::newRow("small buffer") << 10 << 3 << 3 << 2;
    }
    void listBuffers()
    {
        QFETCH(int, bufferSize);
        QFETCH(int, count);
        QFETCH(int, length);
        QFETCH(int, kept);
        const QStringList entries = Entries(count, length);
        const QByteArray file = "[S]\n" + entries.join(QLatin1Char('\n')).toUtf8();
        QCOMPARE(CPrivateProfile::Parse(file).ReadSection("S", bufferSize), entries.mid(0, kept));
    }

    void sectionNameBuffer()
    {
        // Four names of 254 characters take 4 * 255 + 1 = 1021 of 1024: a fifth name of two
        // characters fills the buffer exactly, one of three is lost with all that follow.
        QStringList names;
        QByteArray file;
        for (char c : {'a', 'b', 'c', 'd'}) {
            names.append(QString(254, QLatin1Char(c)));
            file += "[" + names.last().toUtf8() + "]\n";
        }
        const CPrivateProfile withShort = CPrivateProfile::Parse(file + "[ef]\n");
        QCOMPARE(withShort.ReadSectionNames(1024), names + QStringList{"ef"});
        const CPrivateProfile withLonger = CPrivateProfile::Parse(file + "[efg]\n[g]\n");
        QCOMPARE(withLonger.ReadSectionNames(1024), names);
    }

    void missingFileReadsEmpty()
    {
        const CPrivateProfile profile = CPrivateProfile::Load(folder.filePath("absent.ini"));
        QVERIFY(profile.IsEmpty());
        QVERIFY(profile.ReadSectionNames(1024).isEmpty());
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("replaces the value, keeps the rest")
            << QByteArray("; shipped\n[Languages]\n/English=English\n\n[DefaultLanguage]\n"
                          "Default=/English\nOther = 1 \n")
            << QByteArray("; shipped\n[Languages]\n/English=English\n\n[DefaultLanguage]\n"
                          "Default=/German\nOther = 1 \n");
        QTest::newRow("adds the key after the section's last line, CRLF kept")
            << QByteArray("[DefaultLanguage]\r\nOther=1\r\n\r\n[X]\r\n")
            << QByteArray("[DefaultLanguage]\r\nOther=1\r\nDefault=/German\r\n\r\n[X]\r\n");
        QTest::newRow("adds the key to an empty section")
            << QByteArray("[DefaultLanguage]\n\n[X]\n")
            << QByteArray("[DefaultLanguage]\nDefault=/German\n\n[X]\n");
        QTest::newRow("appends the section to a file without final line end")
            << QByteArray("[X]\na=b")
            << QByteArray("[X]\na=b\n[DefaultLanguage]\nDefault=/German\n");
        QTest::newRow("only the first of duplicate keys changes")
            << QByteArray("[DefaultLanguage]\n Default = /A\nDefault=/B\n")
            << QByteArray("[DefaultLanguage]\nDefault=/German\nDefault=/B\n");
        QTest::newRow("other letter case is another section")
            << QByteArray("[defaultlanguage]\nDefault=/A\n")
            << QByteArray("[defaultlanguage]\nDefault=/A\n[DefaultLanguage]\nDefault=/German\n");
        QTest::newRow("UTF-8 mark kept")
            << QByteArray("\xEF\xBB\xBF[DefaultLanguage]\nDefault=/A")
            << QByteArray("\xEF\xBB\xBF[DefaultLanguage]\nDefault=/German");
        QTest::newRow("empty file")
            << QByteArray() << QByteArray("[DefaultLanguage]\nDefault=/German\n");
        // Bytes outside the written line are kept whether or not they decode.
        QTest::newRow("Latin-1 in another section")
            << QByteArray("[Other]\nName=Caf\xe9\n[DefaultLanguage]\nDefault=/A\n")
            << QByteArray("[Other]\nName=Caf\xe9\n[DefaultLanguage]\nDefault=/German\n");
        QTest::newRow("Latin-1 and a stray byte around an added key")
            << QByteArray("[DefaultLanguage]\nName=Caf\xe9\n\xff\n[X]\n\xc3")
            << QByteArray("[DefaultLanguage]\nName=Caf\xe9\n\xff\nDefault=/German\n[X]\n\xc3");
        QTest::newRow("UTF-16LE odd last byte stays last")
            << Utf16WithMark(QStringLiteral("[X]\r\na=b")) + 'A'
            << Utf16WithMark(
                   QStringLiteral("[X]\r\na=b\r\n[DefaultLanguage]\r\nDefault=/German\r\n")) +
                   'A';
        QTest::newRow("UTF-16LE unpaired surrogate kept")
            << Utf16WithMark(QStringLiteral("[X]\na=") + QChar(0xD800) +
                             QStringLiteral("\n[DefaultLanguage]\nDefault=/A\n"))
            << Utf16WithMark(QStringLiteral("[X]\na=") + QChar(0xD800) +
                             QStringLiteral("\n[DefaultLanguage]\nDefault=/German\n"));
        QTest::newRow("UTF-16LE stays UTF-16LE")
            << Utf16WithMark(
                   QStringLiteral("[语言]\r\n中=文\r\n[DefaultLanguage]\r\nDefault=/A\r\n"))
            << Utf16WithMark(
                   QStringLiteral("[语言]\r\n中=文\r\n[DefaultLanguage]\r\nDefault=/German\r\n"));
    }
    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QString path = WriteFile(QStringLiteral("write.ini"), before);
        QVERIFY(CPrivateProfile::WriteString(path, "DefaultLanguage", "Default", "/German"));
        QCOMPARE(ReadFile(path), after);
        QCOMPARE(CPrivateProfile::Load(path).ReadString("DefaultLanguage", "Default", "", 64),
                 QStringLiteral("/German"));
    }

    // What is written reads back as it was given, or is refused and changes nothing.
    void writtenValueReadsBackOrIsRefused_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain") << "S"
                               << "k"
                               << "v" << true;
        QTest::newRow("empty value") << "S"
                                     << "k"
                                     << "" << true;
        QTest::newRow("spaces around the value") << "S"
                                                 << "k"
                                                 << "  v  " << true;
        QTest::newRow("value in quotes") << "S"
                                         << "k"
                                         << "\"v\"" << true;
        QTest::newRow("value in single quotes") << "S"
                                                << "k"
                                                << "'v'" << true;
        QTest::newRow("lone quote") << "S"
                                    << "k"
                                    << "\"" << true;
        QTest::newRow("= and ; in the value") << "S"
                                              << "k"
                                              << "a=b;c" << true;
        QTest::newRow("key starting with U+FEFF")
            << "S" << QStringLiteral("\uFEFFk") << "v" << true;
        QTest::newRow("section with /") << "A/B"
                                        << "k"
                                        << "v" << true;
        QTest::newRow("line break in the value") << "S"
                                                 << "k"
                                                 << "a\rb" << false;
        QTest::newRow("= in the key") << "S"
                                      << "k=x"
                                      << "v" << false;
        QTest::newRow("key like a comment") << "S"
                                            << ";k"
                                            << "v" << false;
        QTest::newRow("key like a section") << "S"
                                            << "[k"
                                            << "v" << false;
        QTest::newRow("spaces around the key") << "S"
                                               << " k"
                                               << "v" << false;
        QTest::newRow("empty key") << "S"
                                   << ""
                                   << "v" << false;
        QTest::newRow("spaces around the section") << "S "
                                                   << "k"
                                                   << "v" << false;
        QTest::newRow("] in the section") << "a]b"
                                          << "k"
                                          << "v" << false;
    }
    void writtenValueReadsBackOrIsRefused()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(bool, accepted);
        const QByteArray before("[S]\nk=old\n");
        const std::optional<QByteArray> after =
            CPrivateProfile::WithValue(before, section, key, value);
        QCOMPARE(after.has_value(), accepted);
        if (after) {
            QCOMPARE(CPrivateProfile::Parse(*after).ReadString(section, key, "default", 1024),
                     value);
        }
    }

    // A file past the limit is neither read nor rewritten; one at the limit is read.
    void oversizedFileIsRefused()
    {
        const QByteArray head("[DefaultLanguage]\nDefault=/German\n");
        QByteArray bytes = head + QByteArray(CPrivateProfile::MaxFileSize - head.size(), '\n');
        const QString path = WriteFile(QStringLiteral("large.ini"), bytes);
        QCOMPARE(CPrivateProfile::Load(path).ReadString("DefaultLanguage", "Default", "/E", 64),
                 QStringLiteral("/German"));

        bytes += '\n';
        WriteFile(QStringLiteral("large.ini"), bytes);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("large\\.ini: 16777217 bytes"));
        QVERIFY(CPrivateProfile::Load(path).IsEmpty());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("large\\.ini"));
        QVERIFY(!CPrivateProfile::WriteString(path, "DefaultLanguage", "Default", "/French"));
        QCOMPARE(QFileInfo(path).size(), CPrivateProfile::MaxFileSize + 1);
    }

    void writeCreatesMissingFileAndLeavesNoTemporaries()
    {
        QTemporaryDir empty;
        const QString path = empty.filePath(QStringLiteral("config.ini"));
        QVERIFY(CPrivateProfile::WriteString(path, "DefaultLanguage", "Default", "/Français"));
        QCOMPARE(CPrivateProfile::Load(path).ReadString("DefaultLanguage", "Default", "", 64),
                 QStringLiteral("/Français"));
        QCOMPARE(QDir(empty.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"config.ini"});
    }

    void writeFailures()
    {
        const QByteArray before("[DefaultLanguage]\nDefault=/A\n");
        const QString path = WriteFile(QStringLiteral("refuse.ini"), before);
        QVERIFY(!CPrivateProfile::WriteString(path, "DefaultLanguage", "Default", "/B\n[X]"));
        QCOMPARE(ReadFile(path), before);
        QVERIFY(!CPrivateProfile::WriteString(folder.filePath("no/such/folder/config.ini"),
                                              "DefaultLanguage", "Default", "/B"));
    }
};

QTEST_APPLESS_MAIN(PrivateProfileTest)
#include "tst_PrivateProfile.moc"
