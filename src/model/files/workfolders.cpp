#include "model/files/workfolders.h"

#include <QFileInfo>

namespace {
const char *const FolderNames[] = {"logins", "scenarios", "comments", "gencomments", "snapshots"};

QString g_root;

QDir rootDir()
{
    return g_root.isEmpty() ? QDir::current() : QDir(g_root);
}

bool makeFolder(const QString &path)
{
    return QFileInfo(path).isDir() || QDir().mkpath(path);
}
} // namespace

bool WorkFolders::prepare()
{
    const QDir base = rootDir();
    bool ok = true;
    for (const char *name : FolderNames) {
        const QString folder = QString::fromLatin1(name);
        if (!QFileInfo(base.filePath(folder)).isDir() && !base.mkpath(folder))
            ok = false;
    }
    scenarioDir = QDir(base.filePath(QStringLiteral("scenarios")));
    ready = ok;
    selectController(0);
    return ok;
}

bool WorkFolders::selectController(quint64 address)
{
    // With none chosen the handles point at nothing that exists; DayComments asks hasController().
    controller = 0;
    commentDir = QDir();
    generalCommentDir = QDir();
    if (address == 0)
        return true;
    const QString comments = controllerCommentsPath(address);
    const QString description = controllerGeneralCommentsPath(address);
    if (!makeFolder(comments) || !makeFolder(description))
        return false;
    commentDir = QDir(comments);
    generalCommentDir = QDir(description);
    controller = address;
    return true;
}

QString WorkFolders::loginsPath()
{
    return rootDir().filePath(QStringLiteral("logins"));
}

QString WorkFolders::snapshotsPath()
{
    return rootDir().filePath(QStringLiteral("snapshots"));
}

QString WorkFolders::commentsPath()
{
    return rootDir().absoluteFilePath(QStringLiteral("comments"));
}

QString WorkFolders::generalCommentsPath()
{
    return rootDir().absoluteFilePath(QStringLiteral("gencomments"));
}

QString WorkFolders::controllerCommentsPath(quint64 address)
{
    return QDir(commentsPath()).filePath(QString::number(address));
}

QString WorkFolders::controllerGeneralCommentsPath(quint64 address)
{
    return QDir(generalCommentsPath()).filePath(QString::number(address));
}

bool WorkFolders::removeControllerNotes(quint64 address)
{
    if (address == 0)
        return true;
    bool ok = true;
    for (const QString &path : {controllerCommentsPath(address), controllerGeneralCommentsPath(address)}) {
        QDir folder(path);
        if (folder.exists() && !folder.removeRecursively())
            ok = false;
    }
    if (address == controller && !selectController(address))
        ok = false;
    return ok;
}

void WorkFolders::setRoot(const QString &path)
{
    g_root = path;
}

QString WorkFolders::root()
{
    return rootDir().absolutePath();
}

WorkFolders &workFolders()
{
    static WorkFolders folders;
    return folders;
}
