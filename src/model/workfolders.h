#pragma once

#include <QDir>

// The working folders below the current directory: "logins", "scenarios", "comments" and
// "gencomments". prepare() creates the missing ones and points the handles at them.
struct WorkFolders
{
    QDir scenarioDir;
    QDir commentDir;
    QDir generalCommentDir;
    bool ready = false; // all four exist

    // Returns whether all four folders exist afterwards; existing folders are left as they are.
    bool prepare();
    static QString loginsPath();
};

WorkFolders &workFolders();
