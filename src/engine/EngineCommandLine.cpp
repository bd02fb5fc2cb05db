#include "engine/EngineCommandLine.h"

#include <QDir>

QStringList EngineArguments(EngineSource source, const QString &path, qulonglong windowId,
                            bool titleChosen, std::optional<int> titleNumber)
{
    // The lavf demuxer is what makes the engine announce the streams of discs (", -aid ",
    // ", -sid ") before "VIDEO: "; its own disc demuxers stay silent about them.
    // "-identify" is what makes the engine print a media file's chapters.
    QStringList arguments{QStringLiteral("-demuxer"), QStringLiteral("lavf"),
                          QStringLiteral("-ni"),      QStringLiteral("-slave"),
                          QStringLiteral("-quiet"),   QStringLiteral("-identify"),
                          QStringLiteral("-wid"),     QString::number(windowId)};
    // The engine's own texts over the picture ("Audio: (0) unknown" at every stream choice,
    // a bar for every volume command) stay off; what the player says there it says itself.
    // A size that leaves room for a snapshot's file name across a 4:3 picture.
    arguments << QStringLiteral("-osdlevel") << QStringLiteral("0")
              << QStringLiteral("-subfont-osd-scale") << QStringLiteral("3");
    // XVideo scales in hardware; without an adaptor the engine falls through to plain X11,
    // which scales in software only when asked to with "-zoom".
    arguments << QStringLiteral("-vo") << QStringLiteral("xv,x11,") << QStringLiteral("-zoom");
    // Without a sound device the engine's own list ends with no output at all, and it then
    // stalls on seeks and chapter jumps; the null output plays the picture on in silence.
    arguments << QStringLiteral("-ao") << QStringLiteral("pulse,alsa,oss,null");
    arguments << QStringLiteral("-lavdopts") << QStringLiteral("threads=4");
    // Each clip of a Blu-ray title keeps its own time line, and with B-frames the decoder
    // hands out, after a clip change, frames still stamped on the clip before: with its
    // reordered time stamps the engine then waits on the last picture for a time that never
    // comes, seconds past the title's end, and after a seek across clips the picture stands
    // while the sound goes on. Taking the demuxer's time stamps as they come avoids both.
    if (source == EngineSource::BluRayFolder)
        arguments << QStringLiteral("-nocorrect-pts");
    // The deinterlacer is always there, so that it can be turned on and off while playing
    // ("set_property deinterlace"); it starts on. It comes after the screenshot filter: one
    // that is off in front of that filter makes the engine complain at every frame.
    arguments << QStringLiteral("-vf")
              << QStringLiteral("screenshot=") + EngineScreenshotPrefix + QStringLiteral(",yadif");
    // The tempo filter keeps the pitch when the speed changes; then six output channels and
    // 5.1 dB of gain, soft-clipped where it overshoots.
    arguments << QStringLiteral("-af") << QStringLiteral("scaletempo,channels=6,volume=5.1:1");
    // Decoders mix down to what this asks for (two channels unless told): a 5.1 track of a
    // disc would reach the six outputs above as stereo.
    arguments << QStringLiteral("-channels") << QStringLiteral("6");

    if (source == EngineSource::DvdFolder) {
        const int title = titleChosen && titleNumber && *titleNumber >= 1 ? *titleNumber : 1;
        arguments << QStringLiteral("dvd://%1").arg(title) << QStringLiteral("-dvd-device");
    } else if (source == EngineSource::BluRayFolder) {
        if (!titleChosen)
            arguments << QStringLiteral("br://0") << QStringLiteral("-bluray-device");
        else if (titleNumber)
            arguments << QStringLiteral("br://%1").arg(*titleNumber)
                      << QStringLiteral("-bluray-device");
    }
    arguments << (QDir::isRelativePath(path) && !path.isEmpty()
                      ? QDir::current().absoluteFilePath(path)
                      : path);
    return arguments;
}

QStringList DvdIdentifyArguments(const QString &discPath)
{
    QStringList arguments{QStringLiteral("-identify"),
                          QStringLiteral("-frames"),
                          QStringLiteral("0"),
                          QStringLiteral("-vo"),
                          QStringLiteral("null"),
                          QStringLiteral("-ao"),
                          QStringLiteral("null"),
                          QStringLiteral("-dvd-device"),
                          QDir::isRelativePath(discPath) && !discPath.isEmpty()
                              ? QDir::current().absoluteFilePath(discPath)
                              : discPath};
    for (int title = 1; title <= 99; ++title)
        arguments << QStringLiteral("dvd://%1").arg(title);
    return arguments;
}

QStringList HeadlessEngineArguments(QStringList arguments)
{
    const qsizetype windowOption = arguments.indexOf(QStringLiteral("-wid"));
    if (windowOption >= 0 && windowOption + 1 < arguments.size())
        arguments.remove(windowOption, 2);
    arguments.removeAll(QStringLiteral("-zoom"));
    const qsizetype audioOption = arguments.indexOf(QStringLiteral("-ao"));
    if (audioOption >= 0 && audioOption + 1 < arguments.size())
        arguments.remove(audioOption, 2);
    const qsizetype videoOption = arguments.indexOf(QStringLiteral("-vo"));
    if (videoOption >= 0 && videoOption + 1 < arguments.size())
        arguments[videoOption + 1] = QStringLiteral("null");
    arguments.insert(videoOption >= 0 ? videoOption + 2 : 0, QStringLiteral("-ao"));
    arguments.insert(videoOption >= 0 ? videoOption + 3 : 1, QStringLiteral("null"));
    return arguments;
}

QStringList SubtitleArguments(const QStringList &files)
{
    QStringList arguments{QStringLiteral("-noautosub"),
                          QStringLiteral("-subcp"),
                          QStringLiteral("utf-8"),
                          QStringLiteral("-font"),
                          SubtitleFont,
                          QStringLiteral("-subfont"),
                          SubtitleFont};
    if (!files.isEmpty())
        arguments << QStringLiteral("-sub") << files.join(QLatin1Char(','));
    return arguments;
}

QStringList EngineRunArguments(const EngineRun &run)
{
    const bool titleChosen = run.source != EngineSource::MediaFile && run.titleNumber.has_value();
    QStringList arguments = EngineArguments(run.source, run.path, run.windowId, titleChosen,
                                            titleChosen ? run.titleNumber : std::nullopt);
    if (run.windowId == 0)
        arguments = HeadlessEngineArguments(arguments);
    // Options go after the player's own, so that one given again wins (the engine takes an
    // option's last value: a test's "-ao pcm:file=..." records the sound), and before the
    // source and its device option, which end the list.
    qsizetype sourceAt = arguments.size() - 1;
    for (const char *device : {"-bluray-device", "-dvd-device"}) {
        const qsizetype at = arguments.indexOf(QLatin1String(device));
        if (at > 0)
            sourceAt = at - 1;
    }
    return SubtitleArguments(run.subtitleFiles) + arguments.mid(0, sourceAt) + run.extraOptions +
           arguments.mid(sourceAt);
}
