#include "sim/simstorage.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

constexpr int CredentialBytes = 120;
constexpr int RecordSize = 20;
constexpr qint64 MemorySize = 0x7F00;

QString accountFile() { return QStringLiteral("account.bin"); }
QString imageFile() { return QStringLiteral("image.bin"); }
QString logFile() { return QStringLiteral("log.bin"); }
QString deviceFile() { return QStringLiteral("device.json"); }

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

QByteArray readFile(const QString &path, qint64 maxSize)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(maxSize) : QByteArray();
}

} // namespace

namespace SimStorage {

bool save(const SimDeviceState &state, const QString &folder)
{
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral(".")))
        return false;

    bool ok = true;
    if (state.credentials.isEmpty())
        dir.remove(accountFile());
    else
        ok &= writeFile(dir.filePath(accountFile()), state.credentials);
    ok &= writeFile(dir.filePath(imageFile()), state.image);
    ok &= writeFile(dir.filePath(logFile()), state.log.join());

    QJsonObject outputs;
    for (auto it = state.outputs.cbegin(); it != state.outputs.cend(); ++it)
        outputs.insert(QString::number(it.key()), qint64(it.value()));
    QJsonObject device;
    device.insert(QStringLiteral("running"), state.running);
    device.insert(QStringLiteral("clockOffset"), state.clockOffset);
    device.insert(QStringLiteral("outputs"), outputs);
    device.insert(QStringLiteral("logPeriodMinutes"), state.logPeriodMinutes);
    device.insert(QStringLiteral("savedAt"), state.savedAt);
    ok &= writeFile(dir.filePath(deviceFile()), QJsonDocument(device).toJson());
    return ok;
}

bool load(const QString &folder, SimDeviceState *state)
{
    const QDir dir(folder);
    if (!dir.exists())
        return false;

    SimDeviceState out;
    const QByteArray credentials = readFile(dir.filePath(accountFile()), CredentialBytes + 1);
    if (credentials.size() == CredentialBytes)
        out.credentials = credentials;
    out.image = readFile(dir.filePath(imageFile()), MemorySize);
    const QByteArray log = readFile(dir.filePath(logFile()), MemorySize);
    for (qsizetype p = 0; p + RecordSize <= log.size(); p += RecordSize)
        out.log.append(log.mid(p, RecordSize));

    const QJsonObject device = QJsonDocument::fromJson(readFile(dir.filePath(deviceFile()), 1 << 16)).object();
    out.running = device.value(QStringLiteral("running")).toBool(true);
    out.clockOffset = device.value(QStringLiteral("clockOffset")).toInteger(0);
    out.logPeriodMinutes = device.value(QStringLiteral("logPeriodMinutes")).toInt(30);
    out.savedAt = device.value(QStringLiteral("savedAt")).toInteger(0);
    const QJsonObject outputs = device.value(QStringLiteral("outputs")).toObject();
    for (auto it = outputs.constBegin(); it != outputs.constEnd(); ++it) {
        bool ok = false;
        const int key = it.key().toInt(&ok);
        if (ok && key >= 0 && key <= 0xFF)
            out.outputs.insert(key, quint32(it.value().toInteger(0)));
    }
    *state = out;
    return true;
}

} // namespace SimStorage
