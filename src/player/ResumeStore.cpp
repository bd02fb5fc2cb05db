#include "player/ResumeStore.h"

#include "platform/AppFolders.h"
#include "platform/PathBytes.h"
#include "platform/RegularFileReader.h"
#include "platform/WholeFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>

#include <sys/stat.h>

namespace {

const QString FormatName = QStringLiteral("orvel-resume");
constexpr int FormatVersion = 1;

struct Name
{
    ResumeKey::Kind kind;
    const char *text;
};
constexpr Name KindNames[] = {
    {ResumeKey::Kind::MediaFile, "file"},
    {ResumeKey::Kind::Dvd, "dvd"},
    {ResumeKey::Kind::BluRay, "bluray"},
};

struct SubtitleName
{
    ResumePoint::Subtitles choice;
    const char *text;
};
constexpr SubtitleName SubtitleNames[] = {
    {ResumePoint::Subtitles::EngineDefault, "default"},
    {ResumePoint::Subtitles::Off, "off"},
    {ResumePoint::Subtitles::Stream, "stream"},
    {ResumePoint::Subtitles::File, "file"},
};

bool Fits(const QString &text)
{
    return text.toUtf8().size() <= ResumeStore::MaxPathBytes;
}

// A whole number from JSON within [low, high]; JSON numbers are doubles, so anything else
// (a fraction, text, a missing field) is no number of ours.
std::optional<qint64> Whole(const QJsonValue &value, qint64 low, qint64 high)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!(number >= double(low) && number <= double(high)) || number != qint64(number))
        return std::nullopt;
    return qint64(number);
}

QJsonObject ToJson(const ResumeKey &key, const ResumePoint &point)
{
    QJsonObject object;
    for (const Name &name : KindNames) {
        if (name.kind == key.kind)
            object[QStringLiteral("kind")] = QString::fromLatin1(name.text);
    }
    object[QStringLiteral("path")] = key.path;
    object[QStringLiteral("title")] = key.title;
    object[QStringLiteral("size")] = double(key.size);
    object[QStringLiteral("modified")] = double(key.modified);
    object[QStringLiteral("position")] = double(point.position);
    object[QStringLiteral("audio")] = point.audio;
    for (const SubtitleName &name : SubtitleNames) {
        if (name.choice == point.subtitles)
            object[QStringLiteral("subtitles")] = QString::fromLatin1(name.text);
    }
    object[QStringLiteral("subtitleIndex")] = point.subtitleIndex;
    object[QStringLiteral("subtitleFile")] = point.subtitleFile;
    object[QStringLiteral("volume")] = point.volume;
    object[QStringLiteral("audioDelayMs")] = point.audioDelayMs;
    object[QStringLiteral("subtitleDelayMs")] = point.subtitleDelayMs;
    object[QStringLiteral("savedAt")] = double(point.savedAt);
    return object;
}

constexpr qint64 Largest = qint64(1) << 53;

bool FromJson(const QJsonObject &object, ResumeKey &key, ResumePoint &point)
{
    const QString kind = object.value(QStringLiteral("kind")).toString();
    const auto kindName =
        std::find_if(std::begin(KindNames), std::end(KindNames),
                     [&](const Name &n) { return kind == QLatin1String(n.text); });
    const QString subtitles = object.value(QStringLiteral("subtitles")).toString();
    const auto subtitleName =
        std::find_if(std::begin(SubtitleNames), std::end(SubtitleNames),
                     [&](const SubtitleName &n) { return subtitles == QLatin1String(n.text); });
    const QJsonValue path = object.value(QStringLiteral("path"));
    const QJsonValue title = object.value(QStringLiteral("title"));
    const QJsonValue subtitleFile = object.value(QStringLiteral("subtitleFile"));
    const auto size = Whole(object.value(QStringLiteral("size")), -1, Largest);
    const auto modified = Whole(object.value(QStringLiteral("modified")), -Largest, Largest);
    const auto position = Whole(object.value(QStringLiteral("position")), 0, Largest);
    const auto audio = Whole(object.value(QStringLiteral("audio")), -2, 1 << 20);
    const auto subtitleIndex = Whole(object.value(QStringLiteral("subtitleIndex")), -1, 1 << 20);
    const auto volume = Whole(object.value(QStringLiteral("volume")), 0, 100);
    const auto savedAt = Whole(object.value(QStringLiteral("savedAt")), 0, Largest);
    // Entries from before the delays have none; a delay that is there must be a whole number
    // of milliseconds within a minute either way, or the entry is refused like any other bad one.
    const QJsonValue audioDelayValue = object.value(QStringLiteral("audioDelayMs"));
    const QJsonValue subtitleDelayValue = object.value(QStringLiteral("subtitleDelayMs"));
    const auto audioDelay = audioDelayValue.isUndefined() ? std::optional<qint64>(0)
                                                          : Whole(audioDelayValue, -60000, 60000);
    const auto subtitleDelay = subtitleDelayValue.isUndefined()
                                   ? std::optional<qint64>(0)
                                   : Whole(subtitleDelayValue, -60000, 60000);
    if (kindName == std::end(KindNames) || subtitleName == std::end(SubtitleNames) ||
        !path.isString() || !title.isString() || !subtitleFile.isString() || !size || !modified ||
        !position || !audio || !subtitleIndex || !volume || !savedAt || !audioDelay ||
        !subtitleDelay || path.toString().isEmpty() || !Fits(path.toString()) ||
        !Fits(title.toString()) || !Fits(subtitleFile.toString()))
        return false;
    key.kind = kindName->kind;
    key.path = path.toString();
    key.title = title.toString();
    key.size = *size;
    key.modified = *modified;
    point.position = *position;
    point.audio = int(*audio);
    point.subtitles = subtitleName->choice;
    point.subtitleIndex = int(*subtitleIndex);
    point.subtitleFile = subtitleFile.toString();
    point.volume = int(*volume);
    point.audioDelayMs = int(*audioDelay);
    point.subtitleDelayMs = int(*subtitleDelay);
    point.savedAt = *savedAt;
    return true;
}

} // namespace

std::optional<ResumeKey> ResumeKey::ForMediaFile(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QString absolute =
        QDir::isRelativePath(path) ? QDir::current().absoluteFilePath(path) : QDir::cleanPath(path);
    struct stat info;
    // Names travel as bytes: a film named in Latin-1 is resumed like any other.
    if (::stat(PathBytes::ToBytes(absolute).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    ResumeKey key;
    key.kind = Kind::MediaFile;
    key.path = absolute;
    key.size = info.st_size;
    key.modified = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
    return key;
}

ResumeKey ResumeKey::ForDvd(const QString &path, int title)
{
    ResumeKey key;
    key.kind = Kind::Dvd;
    key.path = path;
    key.title = QString::number(title);
    return key;
}

ResumeKey ResumeKey::ForBluRay(const QString &path, const QString &playlist)
{
    ResumeKey key;
    key.kind = Kind::BluRay;
    key.path = path;
    key.title = playlist;
    return key;
}

QString ResumeStore::FilePathIn(const QString &appDataFolder)
{
    return QDir(appDataFolder).filePath(QStringLiteral("Resume.json"));
}

void ResumeStore::Load()
{
    entries.clear();
    const QByteArray name = PathBytes::ToBytes(file);
    // Read without waiting: a named pipe or a device in its place is ignored with a warning,
    // as is a file beyond MaxFileBytes; a missing file is no store yet.
    const std::optional<QByteArray> read = ReadRegularFile(file, MaxFileBytes);
    if (!read || read->isEmpty())
        return;
    const QByteArray &content = *read;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    const QJsonObject root = document.object();
    if (content.size() > MaxFileBytes || error.error != QJsonParseError::NoError ||
        !document.isObject() || root.value(QStringLiteral("format")).toString() != FormatName ||
        root.value(QStringLiteral("version")).toInt() != FormatVersion ||
        !root.value(QStringLiteral("entries")).isArray()) {
        qWarning("resume store %s is damaged; ignored", name.constData());
        return;
    }
    int skipped = 0;
    // The sources seen so far, so that a second entry of one is found without a search
    // through every entry read before it.
    QSet<QString> seen;
    const QJsonArray list = root.value(QStringLiteral("entries")).toArray();
    seen.reserve(list.size());
    entries.reserve(list.size());
    for (const QJsonValue &value : list) {
        Entry entry;
        if (!value.isObject() || !FromJson(value.toObject(), entry.key, entry.point)) {
            ++skipped;
            continue;
        }
        const QString source = QString::number(int(entry.key.kind)) + QLatin1Char('\n') +
                               entry.key.path + QLatin1Char('\n') + entry.key.title;
        if (seen.contains(source)) {
            ++skipped;
            continue;
        }
        seen.insert(source);
        entries << entry;
    }
    if (skipped > 0)
        qWarning("resume store %s: %d damaged entries skipped", name.constData(), skipped);
    if (entries.size() > MaxEntries) {
        std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
            return a.point.savedAt > b.point.savedAt;
        });
        entries.resize(MaxEntries);
    }
}

qsizetype ResumeStore::IndexOf(const ResumeKey &key) const
{
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries[i].key.SameSource(key))
            return i;
    }
    return -1;
}

std::optional<ResumePoint> ResumeStore::Find(const ResumeKey &key) const
{
    const qsizetype index = IndexOf(key);
    if (index < 0)
        return std::nullopt;
    const ResumeKey &stored = entries[index].key;
    if (stored.size != key.size || stored.modified != key.modified)
        return std::nullopt;
    return entries[index].point;
}

bool ResumeStore::Remember(const ResumeKey &key, const ResumePoint &point)
{
    if (key.path.isEmpty() || !Fits(key.path) || !Fits(key.title) || !Fits(point.subtitleFile))
        return false;
    const qsizetype index = IndexOf(key);
    if (index >= 0)
        entries.removeAt(index);
    entries << Entry{key, point};
    while (entries.size() > MaxEntries) {
        const auto oldest =
            std::min_element(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
                return a.point.savedAt < b.point.savedAt;
            });
        entries.erase(oldest);
    }
    return Save();
}

bool ResumeStore::Forget(const ResumeKey &key)
{
    const qsizetype index = IndexOf(key);
    if (index < 0)
        return true;
    entries.removeAt(index);
    return Save();
}

bool ResumeStore::Save() const
{
    QJsonArray list;
    for (const Entry &entry : entries)
        list.append(ToJson(entry.key, entry.point));
    QJsonObject root;
    root[QStringLiteral("format")] = FormatName;
    root[QStringLiteral("version")] = FormatVersion;
    root[QStringLiteral("entries")] = list;
    const QByteArray content = QJsonDocument(root).toJson(QJsonDocument::Compact);

    AppFolders::EnsureFolder(QFileInfo(file).absolutePath());
    // Like every settings file: whole or not at all, owner-only, never through a pipe or a
    // link to a device, and the real cause (a full disk, say) in the log.
    return WriteWholeFile(file, content);
}
