// What a protected disc needs: the decisions on libbluray's disc information, and libbluray
// itself on AACS discs of our own with and without their key. Run a second time with
// libaacs hidden (HideLibaacs preloaded), where every protected disc lacks its library.
#include "AacsWriter.h"
#include "BluRayFolderBuilder.h"
#include "DiscImageMaker.h"
#include "disc/BluRayScan.h"
#include "disc/DiscFileSource.h"
#include "disc/DiscProtection.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(DiscProtectionVerdict)

namespace {

bool LibaacsHidden()
{
    return qEnvironmentVariableIsSet("ORVEL_TEST_LIBAACS_HIDDEN");
}

DiscProtectionInfo Info(const QByteArray &flags, int aacsError = 0)
{
    // One letter per field that is set: A aacs, L libaacs, H aacs handled, B BD+,
    // P libbdplus, Q BD+ handled.
    DiscProtectionInfo info;
    info.opened = true;
    info.aacsDetected = flags.contains('A');
    info.libaacsDetected = flags.contains('L');
    info.aacsHandled = flags.contains('H');
    info.bdplusDetected = flags.contains('B');
    info.libbdplusDetected = flags.contains('P');
    info.bdplusHandled = flags.contains('Q');
    info.aacsErrorCode = aacsError;
    return info;
}

} // namespace

class DiscProtectionTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void decisions_data();
    void decisions();
    void eachCauseHasItsOwnMessageInEveryLanguage();
    void streamsAreScrambledUnitByUnit();
    void libblurayOnOurDiscs_data();
    void libblurayOnOurDiscs();

private:
    QTemporaryDir dir;
    QString protectedDisc;
    QString protectedImage;
    QString plainDisc;
    QByteArray keyFileEntry;
};

void DiscProtectionTest::initTestCase()
{
    QVERIFY(dir.isValid());
    BluRayFolderBuilder disc;
    disc.streamCache = qEnvironmentVariable("ORVEL_DISCBUILDER_CACHE");
    disc.AddClip("00001", 2);
    disc.AddPlaylist("00001.mpls", {"00001"});
    plainDisc = dir.filePath("plain");
    QString error;
    QVERIFY2(disc.Build(plainDisc, &error), qPrintable(error));
    disc.aacs.enabled = true;
    protectedDisc = dir.filePath("protected");
    QVERIFY2(disc.Build(protectedDisc, &error), qPrintable(error));
    keyFileEntry = disc.KeyFileEntry();
    QCOMPARE(disc.DiscId().size(), 20);
    protectedImage = dir.filePath("protected.iso");
    QVERIFY2(MakeUdfImage(protectedDisc, protectedImage, &error), qPrintable(error));
}

void DiscProtectionTest::decisions_data()
{
    QTest::addColumn<DiscProtectionInfo>("info");
    QTest::addColumn<DiscProtectionVerdict>("verdict");
    using V = DiscProtectionVerdict;
    DiscProtectionInfo unopened = Info("A");
    unopened.opened = false;
    QTest::newRow("not opened") << unopened << V::Unprotected;
    QTest::newRow("no protection") << Info("LP") << V::Unprotected;
    QTest::newRow("AACS handled") << Info("ALH") << V::Decrypted;
    QTest::newRow("AACS and BD+ handled") << Info("ALHBPQ") << V::Decrypted;
    QTest::newRow("no libaacs") << Info("A") << V::NoLibaacs;
    QTest::newRow("no libaacs says so whatever the code") << Info("A", -2) << V::NoLibaacs;
    QTest::newRow("no key file") << Info("AL", DiscProtection::AacsNoConfig) << V::NoKeyFile;
    QTest::newRow("no processing key")
        << Info("AL", DiscProtection::AacsNoProcessingKey) << V::NoDiscKey;
    QTest::newRow("no host certificate")
        << Info("AL", DiscProtection::AacsNoCertificate) << V::NoDiscKey;
    QTest::newRow("drive refused") << Info("AL", DiscProtection::AacsMmcFailed) << V::NoDiscKey;
    QTest::newRow("revoked") << Info("AL", DiscProtection::AacsCertificateRevoked)
                             << V::CertificateRevoked;
    QTest::newRow("corrupt AACS files")
        << Info("AL", DiscProtection::AacsCorruptedDisc) << V::AacsUnreadable;
    QTest::newRow("unknown AACS failure") << Info("AL", -99) << V::AacsUnreadable;
    QTest::newRow("AACS trouble comes before BD+")
        << Info("ALB", DiscProtection::AacsNoConfig) << V::NoKeyFile;
    QTest::newRow("BD+ without libbdplus") << Info("ALHB") << V::NoLibbdplus;
    QTest::newRow("BD+ failed") << Info("ALHBP") << V::BdplusFailed;
    QTest::newRow("BD+ alone, no library") << Info("B") << V::NoLibbdplus;
}

void DiscProtectionTest::decisions()
{
    QFETCH(DiscProtectionInfo, info);
    QFETCH(DiscProtectionVerdict, verdict);
    QCOMPARE(DiscProtection::Decide(info), verdict);
    const bool plays = DiscProtection::CanPlay(verdict);
    // A disc that plays gets no message; one that does not always gets one.
    QCOMPARE(DiscProtection::MessageKey(verdict) == nullptr, plays);
    // The page names a protected disc, even one that plays, and says nothing of others.
    QCOMPARE(DiscProtection::PageLineKey(verdict) == nullptr,
             verdict == DiscProtectionVerdict::Unprotected);
}

void DiscProtectionTest::eachCauseHasItsOwnMessageInEveryLanguage()
{
    using V = DiscProtectionVerdict;
    QSet<QByteArray> keys;
    int refusals = 0;
    for (V verdict : {V::NoLibaacs, V::NoKeyFile, V::NoDiscKey, V::CertificateRevoked,
                      V::AacsUnreadable, V::NoLibbdplus, V::BdplusFailed}) {
        keys.insert(DiscProtection::MessageKey(verdict));
        ++refusals;
    }
    QCOMPARE(keys.size(), refusals);
    keys.insert(DiscProtection::PageLineKey(V::Decrypted));
    keys.insert(DiscProtection::PageLineKey(V::NoKeyFile));
    QCOMPARE(keys.size(), refusals + 2);
    for (const char *language : {"English", "German", "French", "ChineseSimplified"}) {
        QFile file(QStringLiteral(ORVEL_SOURCE_DIR "/languages/%1.ini").arg(language));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QString text =
            bytes.startsWith("\xff\xfe")
                ? QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData() + 2),
                                     (bytes.size() - 2) / 2)
                : QString::fromUtf8(bytes);
        for (const QByteArray &key : std::as_const(keys)) {
            const QString entry = QString::fromLatin1(key.mid(key.indexOf('/') + 1)) + '=';
            QVERIFY2(text.contains(entry), qPrintable(entry + " in " + language));
        }
    }
}

void DiscProtectionTest::streamsAreScrambledUnitByUnit()
{
    QFile file(plainDisc + "/BDMV/STREAM/00001.m2ts");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray plain = file.readAll();
    QFile scrambledFile(protectedDisc + "/BDMV/STREAM/00001.m2ts");
    QVERIFY(scrambledFile.open(QIODevice::ReadOnly));
    const QByteArray scrambled = scrambledFile.readAll();
    QCOMPARE(scrambled.size(), plain.size());
    QCOMPARE(plain.size() % AacsWriter::AlignedUnit, 0);
    for (qsizetype unit = 0; unit < plain.size(); unit += AacsWriter::AlignedUnit) {
        // The head of each unit stays readable, with the copy-permission bits set in every
        // packet header that is not scrambled over; the rest is unreadable.
        QCOMPARE(quint8(scrambled[unit]) & 0xC0, 0xC0);
        QCOMPARE(scrambled.mid(unit + 1, 15), plain.mid(unit + 1, 15));
        QCOMPARE(scrambled[unit + AacsWriter::PacketSize + 4] == char(0x47) &&
                     scrambled[unit + 2 * AacsWriter::PacketSize + 4] == char(0x47),
                 false);
    }
    QByteArray back = scrambled;
    QVERIFY(AacsWriter::UnscrambleStream(back, BluRayFolderBuilder::Aacs().unitKey));
    QVERIFY(back == plain);
    QByteArray wrongKey = scrambled;
    QVERIFY(AacsWriter::UnscrambleStream(wrongKey, QByteArray(16, 'k')));
    QVERIFY(wrongKey != plain);
}

void DiscProtectionTest::libblurayOnOurDiscs_data()
{
    QTest::addColumn<QString>("disc");
    QTest::addColumn<QByteArray>("keyFile"); // the key file's text; "-" for no key file
    QTest::addColumn<DiscProtectionVerdict>("verdict");
    QTest::addColumn<bool>("mayBeProtected");
    using V = DiscProtectionVerdict;
    const bool hidden = LibaacsHidden();
    const QByteArray otherDisc = AacsWriter::KeyFileEntry(
        QByteArray(20, '\x11'), BluRayFolderBuilder::Aacs().volumeUniqueKey);
    QTest::newRow("unprotected") << plainDisc << keyFileEntry << V::Unprotected << false;
    QTest::newRow("with its key") << protectedDisc << keyFileEntry
                                  << (hidden ? V::NoLibaacs : V::Decrypted) << true;
    QTest::newRow("image with its key")
        << protectedImage << keyFileEntry << (hidden ? V::NoLibaacs : V::Decrypted) << true;
    QTest::newRow("no key file") << protectedDisc << QByteArray("-")
                                 << (hidden ? V::NoLibaacs : V::NoKeyFile) << true;
    QTest::newRow("another disc's key")
        << protectedDisc << otherDisc << (hidden ? V::NoLibaacs : V::NoDiscKey) << true;
}

void DiscProtectionTest::libblurayOnOurDiscs()
{
    QFETCH(QString, disc);
    QFETCH(QByteArray, keyFile);
    QFETCH(DiscProtectionVerdict, verdict);
    QFETCH(bool, mayBeProtected);
    // libaacs looks in the user's configuration folder, then in the system's: both are
    // pointed at folders of this test.
    QTemporaryDir config;
    QVERIFY(QDir(config.path()).mkpath("user/aacs"));
    QVERIFY(QDir(config.path()).mkpath("system"));
    if (keyFile != "-") {
        QFile file(config.filePath("user/aacs/KEYDB.cfg"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(keyFile);
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.filePath("user")));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(config.filePath("system")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(config.filePath("cache")));

    const DiscProtectionInfo info = DiscProtection::Read(disc);
    QCOMPARE(DiscProtection::Decide(info), verdict);
    const std::unique_ptr<DiscFileSource> source = OpenDiscSource(disc);
    QVERIFY(source);
    QCOMPARE(DiscProtection::MayBeProtected(*source), mayBeProtected);
    // The scan brings the same answer along with the titles.
    const BluRayScan scan = ScanBluRayFolder(disc);
    QCOMPARE(scan.titles.size(), 1);
    QCOMPARE(DiscProtection::Decide(scan.protection), verdict);
}

QTEST_GUILESS_MAIN(DiscProtectionTest)
#include "tst_DiscProtection.moc"
