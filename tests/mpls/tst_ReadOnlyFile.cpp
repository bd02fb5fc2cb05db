#include "disc/ReadOnlyFile.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

class ReadOnlyFileTest : public QObject
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

    // Bytes that differ from one position to the next, so a misplaced piece shows.
    static QByteArray Pattern(int size)
    {
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i)
            bytes[i] = char(i * 7 + i / 251);
        return bytes;
    }

private slots:
    void initTestCase() { QVERIFY(folder.isValid()); }

    void reads_data()
    {
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<int>("code");
        QTest::addColumn<qint64>("bytesRead");
        // The file is 200,000 bytes: a little over three read pieces.
        QTest::newRow("whole file in pieces") << 0LL << 200000LL << 0 << 200000LL;
        QTest::newRow("across a piece boundary") << 65000LL << 2000LL << 0 << 2000LL;
        QTest::newRow("past the end") << 199500LL << 1000LL << ReadOnlyFile::ReadFault << 500LL;
        QTest::newRow("buffer larger than file")
            << 0LL << 300000LL << ReadOnlyFile::ReadFault << 200000LL;
        QTest::newRow("at the end") << 200000LL << 10LL << ReadOnlyFile::ReadFault << 0LL;
        QTest::newRow("negative offset") << -1LL << 10LL << EINVAL << 0LL;
    }
    void reads()
    {
        QFETCH(qint64, offset);
        QFETCH(qint64, count);
        QFETCH(qint64, bytesRead);
        const QByteArray content = Pattern(200000);
        ReadOnlyFile file;
        QCOMPARE(file.Open(WriteFile(QStringLiteral("pattern"), content)), 0);
        QByteArray buffer(int(count), '\0');
        qint64 got = -1;
        QTEST(file.ReadAt(buffer.data(), count, offset, got), "code");
        QCOMPARE(got, bytesRead);
        if (bytesRead > 0)
            QCOMPARE(buffer.left(int(got)), content.mid(int(offset), int(got)));
    }

    void readWithoutFile()
    {
        ReadOnlyFile file;
        char byte = 0;
        qint64 got = -1;
        QCOMPARE(file.ReadAt(&byte, 1, 0, got), ReadOnlyFile::NotOpen);
        QCOMPARE(got, 0);
    }

    void openingReplacesTheFileHeld()
    {
        ReadOnlyFile file;
        QCOMPARE(file.Open(WriteFile(QStringLiteral("first"), "first")), 0);
        QCOMPARE(file.Open(WriteFile(QStringLiteral("second"), "second")), 0);
        QByteArray buffer(6, '\0');
        qint64 got = 0;
        QCOMPARE(file.ReadAt(buffer.data(), 6, 0, got), 0);
        QCOMPARE(buffer, QByteArray("second"));

        // A failed open still lets go of the file held before.
        QCOMPARE(file.Open(folder.filePath(QStringLiteral("absent"))), ENOENT);
        QVERIFY(!file.IsOpen());
        QCOMPARE(file.ReadAt(buffer.data(), 1, 0, got), ReadOnlyFile::NotOpen);
    }

    void namedPipeDoesNotBlock()
    {
        const QByteArray path = QFile::encodeName(folder.filePath(QStringLiteral("pipe")));
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        // Should the open wait for a writer, the alarm ends the test instead of hanging it.
        ::alarm(10);
        ReadOnlyFile file;
        QCOMPARE(file.Open(QFile::decodeName(path)), 0);
        char buffer[16];
        qint64 got = -1;
        QCOMPARE(file.ReadAt(buffer, sizeof buffer, 0, got) != 0, true);
        ::alarm(0);
        QCOMPARE(got, 0);
    }
};

QTEST_APPLESS_MAIN(ReadOnlyFileTest)
#include "tst_ReadOnlyFile.moc"
