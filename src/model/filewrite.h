#pragma once

#include <QByteArray>
#include <QString>

// Writes a whole file in one step: the old content stays until the new one is complete.
// Returns false when the file cannot be created or written.
bool writeWholeFile(const QString &path, const QByteArray &data);

// Reads a whole file; false when it cannot be opened or read.
bool readWholeFile(const QString &path, QByteArray *data);
