#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A scenario file (".scn") carries a whole plan from one box to another: the configuration image
// body, the day comment index with the notes, and the scenario description. Little-endian; a byte
// block is its u32 length followed by the bytes:
//   image block, index block ("main.txt", possibly empty), then items (i16 number, block): a note
//   file by its number, or the description for a negative number.
struct ScenarioNote
{
    int number = 0;  // file number of the note
    QByteArray text;
    bool operator==(const ScenarioNote &o) const { return number == o.number && text == o.text; }
};

struct ScenarioFileContent
{
    QByteArray image;
    QByteArray index;
    QList<ScenarioNote> notes;  // in ascending day order
    QByteArray description;     // empty = none
};

QByteArray writeScenarioFile(const ScenarioFileContent &content);

// Reads the structure of a scenario file. False when a length field runs past the end or bytes
// are left over that form no whole item; *content is then left as it was. Files whose writer left
// out the index block (when there were no day comments) are read too. An image stored as whole
// blocks read from a controller is cut to the controller's image (controllerImageIn); an image
// that holds no whole plan is kept as stored, for imageHoldsWholePlan to refuse.
bool readScenarioFile(const QByteArray &data, ScenarioFileContent *content);

// Whether an image body decodes to a whole plan: read up to and including its day map with only
// padding after it, a work cycle of at least one day and a named base scenario.
bool imageHoldsWholePlan(const QByteArray &body);

// The ".scn" path for a name the user chose (".scn" appended unless it ends so, case-sensitive)
// and its ".txt" companion.
struct ScenarioFilePaths
{
    QString scenario;
    QString companion;
};
ScenarioFilePaths scenarioFilePaths(const QString &chosen);

// The folder part of a path: everything before its last "/" or "\".
QString folderOfPath(const QString &path);

// The content of the comment and description folders as a file carries it, for a given image.
ScenarioFileContent collectScenarioFile(const QByteArray &image);
