#include "model/workfolders.h"

#include <QFileInfo>

namespace {
const char *const FolderNames[] = {"logins", "scenarios", "comments", "gencomments", "snapshots"};

QString g_root;

QDir rootDir()
{
    return g_root.isEmpty() ? QDir::current() : QDir(g_root);
}
}

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
    commentDir = QDir(base.filePath(QStringLiteral("comments")));
    generalCommentDir = QDir(base.filePath(QStringLiteral("gencomments")));
    ready = ok;
    return ok;
}

QString WorkFolders::loginsPath()
{
    return rootDir().filePath(QStringLiteral("logins"));
}

QString WorkFolders::snapshotsPath()
{
    return rootDir().filePath(QStringLiteral("snapshots"));
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
