#pragma once

#include <QByteArray>
#include <QString>

// Result of one inspector command: the bytes for standard output, or a one-line error.
struct InspectOutput
{
    bool ok = false;
    QByteArray data;
    QString error;
};

// Decodes an image body file and gives the decoded state as JSON.
InspectOutput inspectImage(const QString &path);

// Reads the JSON form of a state and gives the encoded image body.
InspectOutput encodeImage(const QString &path);

// What writing image body B to a controller that holds body A would change, as JSON.
InspectOutput diffImages(const QString &pathA, const QString &pathB);
