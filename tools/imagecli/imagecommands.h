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

// Decodes an image body file, or a whole image with its 64-byte header, and gives the decoded
// state as JSON with whether the body was understood whole and where decoding stopped.
InspectOutput inspectImage(const QString &path);

// Reads a scenario file and gives its plan (as inspectImage does), its comment index lines, its
// day comments by number and its description as JSON. A damaged file is an error.
InspectOutput inspectScenarioFile(const QString &path);

// Reads the JSON form of a state and gives the encoded image body, after its header when the JSON
// says the image had one.
InspectOutput encodeImage(const QString &path);

// Decodes an image body for the sensors, work cycle and scenarios, then parses a log block with
// them and gives the records as a JSON array. nowText (ISO 8601, local time) fixes the window's
// "now"; empty = the current time.
InspectOutput inspectLog(const QString &imagePath, const QString &logPath, const QString &nowText);

// What writing image B to a controller that holds image A would change, as JSON (each a body, or
// header and body).
InspectOutput diffImages(const QString &pathA, const QString &pathB);
