#include "model/files/datafolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// Makes path with owner-only permissions when it is missing (its parents as usual).
bool makeFolder(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists()) {
        *error = QStringLiteral("%1: exists and is not a folder").arg(path);
        return false;
    }
    const QString parent = info.absolutePath();
    // the last folder is made owner-only in one step, never briefly readable by others
    if (!QDir().mkpath(parent) || !QDir().mkdir(info.absoluteFilePath(), OwnerOnly)) {
        *error = QStringLiteral("%1: cannot be created").arg(path);
        return false;
    }
    return true;
}

} // namespace

namespace DataFolder {

QString prepare(Choice choice, const QString &dir, QString *error)
{
    QString path;
    switch (choice) {
    case CurrentDirectory:
        return QDir::currentPath();
    case UserData:
    case UserDemoData:
        path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (path.isEmpty()) {
            *error = QStringLiteral("no data folder is known for this user");
            return QString();
        }
        if (choice == UserDemoData) {
            // the user's folder first, private as always; the demo's below it
            if (prepare(UserData, QString(), error).isEmpty() || !error->isEmpty())
                return QString();
            path = QDir(path).filePath(QStringLiteral("demo"));
        }
        break;
    case Given:
        path = dir;
        if (path.isEmpty()) {
            *error = QStringLiteral("the data folder is empty");
            return QString();
        }
        break;
    }
    // Login files and snapshots live below: the program's own folder stays private even when it
    // was made earlier with wider permissions.
    if (makeFolder(path, error) && choice == UserData && !QFile::setPermissions(path, OwnerOnly))
        *error = QStringLiteral("%1: cannot be made private").arg(path);
    return QFileInfo(path).absoluteFilePath();
}

} // namespace DataFolder
