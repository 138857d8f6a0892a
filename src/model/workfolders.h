#pragma once

#include <QDir>

// The working folders "logins", "scenarios", "comments", "gencomments" and "snapshots", below
// the data folder: the current directory unless setRoot() chose another one at start.
// prepare() creates the missing ones and points the handles at them.
struct WorkFolders
{
    QDir scenarioDir;
    QDir commentDir;
    QDir generalCommentDir;
    bool ready = false; // all exist

    // Returns whether all folders exist afterwards; existing folders are left as they are.
    bool prepare();
    static QString loginsPath();
    static QString snapshotsPath();

    // The folder that holds the working folders; empty = the current directory at each use.
    static void setRoot(const QString &path);
    static QString root();
};

WorkFolders &workFolders();
