#include "model/files/snapshotstore.h"

#include "model/codec/configimage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>

namespace {

constexpr QFileDevice::Permissions OwnerOnlyFolder = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions OwnerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
// The image shares the controller's 0x7F00 bytes of memory with nothing below its header.
constexpr int MaxBodySize = 0x7F00 - ImageHeaderSize;
constexpr int HashChars = 16;

// milliseconds too: a read and the write that follows it can fall within one second
const QString TimeFormat = QStringLiteral("yyyyMMdd-HHmmss.zzz");
constexpr int SequenceDigits = 6;

// "+0300": the offset of local time from UTC that a name carries after the time
QString offsetText(const QDateTime &when)
{
    const int offset = when.offsetFromUtc();
    const int minutes = qAbs(offset) / 60;
    return QStringLiteral("%1%2%3")
        .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString fileName(qint64 sequence, const QDateTime &when, const QString &hash)
{
    return QStringLiteral("%1-").arg(sequence, SequenceDigits, 10, QLatin1Char('0')) + when.toString(TimeFormat)
           + offsetText(when) + QLatin1Char('-') + hash + QStringLiteral(".img");
}

// numbered: sequence, local time, offset, hash
const QRegularExpression &namePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{6,18})-(\\d{8}-\\d{6}\\.\\d{3})([+-])(\\d{2})(\\d{2})-([0-9a-f]{16})\\.img$"));
    return pattern;
}

// the earlier form, without sequence or offset: time, hash
const QRegularExpression &earlierNamePattern()
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{8}-\\d{6}\\.\\d{3})-([0-9a-f]{16})\\.img$"));
    return pattern;
}

// The entry a file name describes; false for names of neither form or an impossible time.
bool entryOfName(const QDir &folder, const QString &name, SnapshotEntry *entry)
{
    QRegularExpressionMatch match = namePattern().match(name);
    if (match.hasMatch()) {
        bool ok = false;
        entry->sequence = match.captured(1).toLongLong(&ok);
        QDateTime wall = QDateTime::fromString(match.captured(2), TimeFormat);
        const int hours = match.captured(4).toInt();
        const int minutes = match.captured(5).toInt();
        if (!ok || entry->sequence <= 0 || !wall.isValid() || hours > 14 || minutes > 59)
            return false;
        const int offset = (hours * 60 + minutes) * 60 * (match.captured(3) == QLatin1String("-") ? -1 : 1);
        // the same wall-clock fields, read at the offset they were written with
        wall.setOffsetFromUtc(offset);
        entry->time = wall.toLocalTime();
        entry->hash = match.captured(6);
    } else {
        match = earlierNamePattern().match(name);
        if (!match.hasMatch())
            return false;
        entry->sequence = 0;
        entry->time = QDateTime::fromString(match.captured(1), TimeFormat);
        entry->hash = match.captured(2);
    }
    entry->path = folder.filePath(name);
    return entry->time.isValid();
}

// Reads no more than one byte beyond what an image can be, whatever the file's size.
bool readAll(const QString &path, QByteArray *data)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *data = file.read(MaxBodySize + 1);
    return file.error() == QFileDevice::NoError;
}

bool writeFile(const QString &path, const QByteArray &body)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // the temporary file gets the final permissions before anything is in it
    file.setPermissions(OwnerOnlyFile);
    return file.write(body) == body.size() && file.commit();
}

} // namespace

SnapshotStore::SnapshotStore(const QString &folder, int limit) : m_folder(folder), m_limit(qMax(1, limit)) {}

QString SnapshotStore::controllerFolder(quint64 address) const
{
    return QDir(m_folder).filePath(QString::number(address));
}

QString SnapshotStore::contentHash(const QByteArray &body)
{
    return QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex().left(HashChars));
}

SnapshotStore::Outcome SnapshotStore::save(quint64 address, const QByteArray &body, const QDateTime &when, QString *error) const
{
    const auto fail = [error](const QString &path) {
        if (error)
            *error = path;
        return Failed;
    };
    const QString folder = controllerFolder(address);
    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkpath(m_folder) || !QDir().mkdir(folder, OwnerOnlyFolder))
            return fail(folder);
    }
    QFile::setPermissions(m_folder, OwnerOnlyFolder);

    const QString hash = contentHash(body);
    const QList<SnapshotEntry> before = list(address);
    // one more than any number given so far: the snapshot kept now is the newest whatever the clock says
    const qint64 sequence = (before.isEmpty() ? 0 : before.first().sequence) + 1;
    const QString target = QDir(folder).filePath(fileName(sequence, when, hash));
    Outcome outcome = Saved;
    bool written = false;
    for (const SnapshotEntry &entry : before) {
        if (entry.hash != hash)
            continue;
        QByteArray stored;
        if (!written && readAll(entry.path, &stored) && stored == body) {
            // the same plan again: it moves to the new time instead of being kept twice
            written = QFile::rename(entry.path, target);
            if (written)
                outcome = Refreshed;
            continue;
        }
        // a damaged file under this content's name, or a second copy: the fresh one replaces it
        QFile::remove(entry.path);
    }
    if (!written && !writeFile(target, body))
        return fail(target);

    const QList<SnapshotEntry> kept = list(address);
    for (int i = m_limit; i < kept.size(); ++i) {
        if (kept.at(i).path != target)
            QFile::remove(kept.at(i).path);
    }
    return outcome;
}

QList<SnapshotEntry> SnapshotStore::list(quint64 address) const
{
    const QDir folder(controllerFolder(address));
    QList<SnapshotEntry> entries;
    const QStringList names = folder.entryList({QStringLiteral("*.img")}, QDir::Files);
    for (const QString &name : names) {
        SnapshotEntry entry;
        if (entryOfName(folder, name, &entry))
            entries << entry;
    }
    // newest first: by sequence; names of the earlier form (sequence 0) last, by their time
    std::sort(entries.begin(), entries.end(), [](const SnapshotEntry &a, const SnapshotEntry &b) {
        if (a.sequence != b.sequence)
            return a.sequence > b.sequence;
        return a.path > b.path;
    });
    return entries;
}

bool SnapshotStore::read(const SnapshotEntry &entry, QByteArray *body, QString *error)
{
    const QString name = QFileInfo(entry.path).fileName();
    QByteArray data;
    if (!readAll(entry.path, &data)) {
        *error = QStringLiteral("Не удалось прочитать снимок %1").arg(name);
        return false;
    }
    bool whole = !data.isEmpty() && data.size() % ImageBodyGranule == 0 && data.size() <= MaxBodySize
                 && contentHash(data) == entry.hash;
    if (whole) {
        ControllerState state;
        state.resetToEmptyForm();
        const DecodeResult result = decodeConfigImage(state, data);
        // decoding must end in the zero padding, not at a broken record
        const QByteArray rest = data.mid(result.stopPosition);
        whole = rest.count('\0') == rest.size() && !state.scenarios.isEmpty() && !state.scenarios.first().name.isEmpty();
    }
    if (!whole) {
        *error = QStringLiteral("Снимок %1 повреждён").arg(name);
        return false;
    }
    *body = data;
    return true;
}
