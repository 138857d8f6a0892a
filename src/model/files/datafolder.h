#pragma once

#include <QString>

// Where the program keeps its working folders: the current directory (started from a terminal),
// the user's data folder (started from the menu) or a folder given on the command line.
namespace DataFolder {

// UserDemoData: the demo's own folder inside the user's data folder, so that trying the program
// from the menu never mixes with a real controller's files.
enum Choice { CurrentDirectory, UserData, Given, UserDemoData };

// The folder for the choice (dir is used with Given), made when missing: the user's data folder
// is kept owner-only (0700), a folder made here for Given as well. Returns its absolute path (empty
// when none can be named); *error is set when the folder cannot be made or named, and left alone
// otherwise.
QString prepare(Choice choice, const QString &dir, QString *error);

} // namespace DataFolder
