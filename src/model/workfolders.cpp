#include "model/workfolders.h"

#include <QFileInfo>

namespace {
const char *const FolderNames[] = {"logins", "scenarios", "comments", "gencomments"};
}

bool WorkFolders::prepare()
{
    const QDir current = QDir::current();
    bool ok = true;
    for (const char *name : FolderNames) {
        const QString folder = QString::fromLatin1(name);
        if (!QFileInfo(current.filePath(folder)).isDir() && !current.mkpath(folder))
            ok = false;
    }
    scenarioDir = QDir(current.filePath(QStringLiteral("scenarios")));
    commentDir = QDir(current.filePath(QStringLiteral("comments")));
    generalCommentDir = QDir(current.filePath(QStringLiteral("gencomments")));
    ready = ok;
    return ok;
}

QString WorkFolders::loginsPath()
{
    return QDir::current().filePath(QStringLiteral("logins"));
}

WorkFolders &workFolders()
{
    static WorkFolders folders;
    return folders;
}
