#include "model/snapshotstore.h"

#include "model/configimage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

constexpr QFileDevice::Permissions OwnerOnlyFolder = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions OwnerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
// The image shares the controller's 0x7F00 bytes of memory with nothing below its header.
constexpr int MaxBodySize = 0x7F00 - ImageHeaderSize;
constexpr int HashChars = 16;

// milliseconds too: a read and the write that follows it can fall within one second
const QString TimeFormat = QStringLiteral("yyyyMMdd-HHmmss.zzz");

QString fileName(const QDateTime &when, const QString &hash)
{
    return when.toString(TimeFormat) + QLatin1Char('-') + hash + QStringLiteral(".img");
}

const QRegularExpression &namePattern()
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{8}-\\d{6}\\.\\d{3})-([0-9a-f]{16})\\.img$"));
    return pattern;
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
    const QString target = QDir(folder).filePath(fileName(when, hash));
    Outcome outcome = Saved;
    bool written = false;
    for (const SnapshotEntry &entry : list(address)) {
        if (entry.hash != hash)
            continue;
        QByteArray stored;
        if (!written && readAll(entry.path, &stored) && stored == body) {
            // the same plan again: it moves to the new time instead of being kept twice
            written = entry.path == target || QFile::rename(entry.path, target);
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
    for (int i = m_limit; i < kept.size(); ++i)
        QFile::remove(kept.at(i).path);
    return outcome;
}

QList<SnapshotEntry> SnapshotStore::list(quint64 address) const
{
    const QDir folder(controllerFolder(address));
    QList<SnapshotEntry> entries;
    // names sort by time; newest first
    const QStringList names = folder.entryList({QStringLiteral("*.img")}, QDir::Files, QDir::Name | QDir::Reversed);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = namePattern().match(name);
        if (!match.hasMatch())
            continue;
        SnapshotEntry entry;
        entry.path = folder.filePath(name);
        entry.time = QDateTime::fromString(match.captured(1), TimeFormat);
        entry.hash = match.captured(2);
        if (entry.time.isValid())
            entries << entry;
    }
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
