#include "disc/DiscProtection.h"

#include "disc/DiscFileSource.h"

#include <QFile>
#include <QStringList>

#include <libbluray/bluray.h>

static_assert(DiscProtection::AacsCorruptedDisc == BD_AACS_CORRUPTED_DISC &&
                  DiscProtection::AacsNoConfig == BD_AACS_NO_CONFIG &&
                  DiscProtection::AacsNoProcessingKey == BD_AACS_NO_PK &&
                  DiscProtection::AacsNoCertificate == BD_AACS_NO_CERT &&
                  DiscProtection::AacsCertificateRevoked == BD_AACS_CERT_REVOKED &&
                  DiscProtection::AacsMmcFailed == BD_AACS_MMC_FAILED,
              "libbluray's AACS error codes moved");

namespace DiscProtection {

DiscProtectionInfo Read(const QString &path)
{
    DiscProtectionInfo info;
    if (path.isEmpty()) {
        return info;
    }
    // bd_open takes a folder, an image file or a device alike, and runs libaacs (and
    // libbdplus) on it: the same libraries, with the same key files, as the engine.
    BLURAY *disc = bd_open(QFile::encodeName(path).constData(), nullptr);
    if (!disc) {
        return info;
    }
    if (const BLURAY_DISC_INFO *disc_info = bd_get_disc_info(disc)) {
        info.opened = true;
        info.aacsDetected = disc_info->aacs_detected;
        info.libaacsDetected = disc_info->libaacs_detected;
        info.aacsHandled = disc_info->aacs_handled;
        info.aacsErrorCode = disc_info->aacs_error_code;
        info.bdplusDetected = disc_info->bdplus_detected;
        info.libbdplusDetected = disc_info->libbdplus_detected;
        info.bdplusHandled = disc_info->bdplus_handled;
    }
    bd_close(disc);
    return info;
}

bool MayBeProtected(DiscFileSource &source)
{
    return source.IsFolder(QStringLiteral("AACS")) || source.IsFolder(QStringLiteral("BDSVM"));
}

DiscProtectionVerdict Decide(const DiscProtectionInfo &info)
{
    if (!info.opened || (!info.aacsDetected && !info.bdplusDetected)) {
        return DiscProtectionVerdict::Unprotected;
    }
    // BD+ sits on top of AACS: its own trouble only matters once AACS is through.
    if (info.aacsDetected && !info.aacsHandled) {
        if (!info.libaacsDetected) {
            return DiscProtectionVerdict::NoLibaacs;
        }
        switch (info.aacsErrorCode) {
        case AacsNoConfig:
            return DiscProtectionVerdict::NoKeyFile;
        case AacsNoProcessingKey:
        case AacsNoCertificate:
        case AacsMmcFailed:
            return DiscProtectionVerdict::NoDiscKey;
        case AacsCertificateRevoked:
            return DiscProtectionVerdict::CertificateRevoked;
        default:
            return DiscProtectionVerdict::AacsUnreadable;
        }
    }
    if (info.bdplusDetected && !info.bdplusHandled) {
        return info.libbdplusDetected ? DiscProtectionVerdict::BdplusFailed
                                      : DiscProtectionVerdict::NoLibbdplus;
    }
    return DiscProtectionVerdict::Decrypted;
}

bool CanPlay(DiscProtectionVerdict verdict)
{
    return verdict == DiscProtectionVerdict::Unprotected ||
           verdict == DiscProtectionVerdict::Decrypted;
}

const char *MessageKey(DiscProtectionVerdict verdict)
{
    switch (verdict) {
    case DiscProtectionVerdict::Unprotected:
    case DiscProtectionVerdict::Decrypted:
        return nullptr;
    case DiscProtectionVerdict::NoLibaacs:
        return "Messages/MSG0120";
    case DiscProtectionVerdict::NoKeyFile:
        return "Messages/MSG0121";
    case DiscProtectionVerdict::NoDiscKey:
        return "Messages/MSG0122";
    case DiscProtectionVerdict::CertificateRevoked:
        return "Messages/MSG0123";
    case DiscProtectionVerdict::AacsUnreadable:
        return "Messages/MSG0124";
    case DiscProtectionVerdict::NoLibbdplus:
        return "Messages/MSG0125";
    case DiscProtectionVerdict::BdplusFailed:
        return "Messages/MSG0126";
    }
    return nullptr;
}

const char *PageLineKey(DiscProtectionVerdict verdict)
{
    if (verdict == DiscProtectionVerdict::Unprotected) {
        return nullptr;
    }
    return verdict == DiscProtectionVerdict::Decrypted ? "MainWnd/ProtectedPlays"
                                                       : "MainWnd/ProtectedLocked";
}

QString SchemeNames(const DiscProtectionInfo &info)
{
    QStringList names;
    if (info.aacsDetected) {
        names << QStringLiteral("AACS");
    }
    if (info.bdplusDetected) {
        names << QStringLiteral("BD+");
    }
    return names.join(QStringLiteral(", "));
}

} // namespace DiscProtection
