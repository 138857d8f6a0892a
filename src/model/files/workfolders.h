#pragma once

#include <QDir>

// The working folders "logins", "scenarios", "comments", "gencomments" and "snapshots", below
// the data folder: the current directory unless setRoot() chose another one at start. Everything
// the program writes or removes lies below that folder.
// prepare() creates the missing ones and points the handles at them.
//
// Day notes and the description belong to one controller: "comments/<address as decimal>/" and
// "gencomments/<address>/" (as "snapshots/<address>/"). The handles commentDir and
// generalCommentDir point at the folders of the controller chosen with selectController(), the one
// signed in to; with none chosen (controller == 0) there are no notes to read or write.
struct WorkFolders
{
    QDir scenarioDir;
    QDir commentDir;
    QDir generalCommentDir;
    quint64 controller = 0; // whose notes the handles reach; 0 = none
    bool ready = false; // all exist

    // Returns whether all folders exist afterwards; existing folders are left as they are. No
    // controller is chosen afterwards.
    bool prepare();
    // Points the note handles at the folders of the controller with this address (0: none) and
    // makes them when missing. False when they cannot be made; no controller is chosen then.
    bool selectController(quint64 address);
    bool hasController() const { return controller != 0; }
    // Forgets the handles and the controller; the root stays.
    void reset() { *this = WorkFolders(); }

    static QString loginsPath();
    static QString snapshotsPath();
    // "comments" and "gencomments" of the data folder: the parents of the controllers' note
    // folders, and where the notes of every controller were kept before they were kept apart.
    static QString commentsPath();
    static QString generalCommentsPath();
    static QString controllerCommentsPath(quint64 address);
    static QString controllerGeneralCommentsPath(quint64 address);
    // Removes the notes and the description of one controller (its account was deleted); the
    // folders of the other controllers and anything outside the data folder stay. When that
    // controller is the chosen one, its folders are made again, empty. False when something
    // could not be removed.
    bool removeControllerNotes(quint64 address);

    // The folder that holds the working folders; empty = the current directory at each use.
    static void setRoot(const QString &path);
    static QString root();
};

WorkFolders &workFolders();
