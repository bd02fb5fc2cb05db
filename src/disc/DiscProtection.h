#pragma once

#include <QString>

class DiscFileSource;

// What libbluray can do with a disc's copy protection, as its disc information tells it.
struct DiscProtectionInfo
{
    bool opened = false; // libbluray opened the disc at all; without it nothing else is known
    bool aacsDetected = false;
    bool libaacsDetected = false;
    bool aacsHandled = false;
    int aacsErrorCode = 0; // libbluray's BD_AACS_* code, 0 when there is none
    bool bdplusDetected = false;
    bool libbdplusDetected = false;
    bool bdplusHandled = false;
};

// The one reading of DiscProtectionInfo the player acts on: whether the disc's titles can
// be played here, and if not, which single cause the user is told about.
enum class DiscProtectionVerdict
{
    Unprotected,        // no protection, or nothing known about it: plays as any disc
    Decrypted,          // protected, and the libraries here hold what it takes
    NoLibaacs,          // AACS without an AACS library
    NoKeyFile,          // libaacs found no key file
    NoDiscKey,          // the key file holds nothing that opens this disc
    CertificateRevoked, // the disc revokes the host certificate of the key file
    AacsUnreadable,     // the disc's AACS files are damaged, or another AACS failure
    NoLibbdplus,        // BD+ without the BD+ library
    BdplusFailed,       // libbdplus is there but could not run the disc's BD+ program
};

namespace DiscProtection {

// libbluray's AACS error codes (bluray.h), repeated so that readers of the table below need
// not look them up; Read() refuses to build if they ever move.
enum AacsError
{
    AacsCorruptedDisc = -1,
    AacsNoConfig = -2,
    AacsNoProcessingKey = -3,
    AacsNoCertificate = -4,
    AacsCertificateRevoked = -5,
    AacsMmcFailed = -6,
};

// Asks libbluray for a folder, a disc image or a device. Opens the disc once, reads no
// stream, and touches no shared state, so it may run on a worker thread.
DiscProtectionInfo Read(const QString &path);
// False when the disc has neither an "AACS" nor a "BDSVM" folder at its root: libbluray
// then finds no protection, and Read need not run.
bool MayBeProtected(DiscFileSource &source);

DiscProtectionVerdict Decide(const DiscProtectionInfo &info);
// Whether a title of a disc with this verdict is handed to the engine.
bool CanPlay(DiscProtectionVerdict verdict);
// The message that names cause and remedy ("Messages/MSG0120"...), nullptr when it plays.
const char *MessageKey(DiscProtectionVerdict verdict);
// The disc page's line for a protected disc ("MainWnd/..."), nullptr for an unprotected
// one; its text takes the protection's names ("AACS", "AACS, BD+") as %1.
const char *PageLineKey(DiscProtectionVerdict verdict);
QString SchemeNames(const DiscProtectionInfo &info);

} // namespace DiscProtection
