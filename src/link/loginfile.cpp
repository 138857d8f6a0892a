#include "link/loginfile.h"

#include "model/files/workfolders.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray readStored(QFile &file)
{
    QDataStream in(&file);
    in.setByteOrder(QDataStream::LittleEndian);
    QByteArray stored;
    in >> stored;
    if (in.status() != QDataStream::Ok)
        return QByteArray();
    return stored;
}

QString withoutTrailingZeros(const QByteArray &bytes)
{
    qsizetype n = bytes.size();
    while (n > 0 && bytes.at(n - 1) == '\0')
        --n;
    return QString::fromUtf8(bytes.left(n));
}

} // namespace

namespace LoginFile {

QString path(quint64 address)
{
    return QDir(WorkFolders::loginsPath()).filePath(QString::number(address) + QStringLiteral(".li"));
}

bool read(quint64 address, const QByteArray &advertisedLogin, QString *login, QString *password)
{
    QFile file(path(address));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A genuine file is 4 + 120 bytes; do not let a damaged length field allocate much.
    if (file.size() > 4 + CredentialBytes)
        return false;
    const QByteArray stored = readStored(file);
    if (stored.size() != CredentialBytes || !stored.contains(advertisedLogin))
        return false;
    *login = withoutTrailingZeros(stored.left(80));
    *password = withoutTrailingZeros(stored.mid(80, 40));
    return true;
}

bool save(quint64 address, const QByteArray &signInReply)
{
    const QDir folder(WorkFolders::loginsPath());
    if (!folder.exists())
        return false;
    const QByteArray data = signInReply.mid(2, CredentialBytes);
    if (data.size() != CredentialBytes)
        return false;
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QFile file(path(address));
    if (file.exists()) {
        if (!file.open(QIODevice::ReadWrite))
            return false;
        if (readStored(file) == data)
            return true;
        file.resize(0);
        file.seek(0);
    } else if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out << data;
    return out.status() == QDataStream::Ok;
}

void remove(quint64 address)
{
    QFile::remove(path(address));
}

} // namespace LoginFile
