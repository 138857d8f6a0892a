#include "model/files/filewrite.h"

#include <QFile>
#include <QSaveFile>

#include <utility>

bool writeWholeFile(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool readWholeFile(const QString &path, QByteArray *data)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *data = file.readAll();
    return file.error() == QFileDevice::NoError;
}

BoundedRead readFileUpTo(const QString &path, qint64 maxBytes, QByteArray *data)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return BoundedRead::Unreadable;
    if (file.size() > maxBytes)
        return BoundedRead::TooLarge;
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return BoundedRead::Unreadable;
    if (bytes.size() > maxBytes)
        return BoundedRead::TooLarge;
    *data = std::move(bytes);
    return BoundedRead::Read;
}
