#pragma once

#include <QByteArray>
#include <QString>

// Writes a whole file in one step: the old content stays until the new one is complete.
// Returns false when the file cannot be created or written.
bool writeWholeFile(const QString &path, const QByteArray &data);

// Reads a whole file; false when it cannot be opened or read.
bool readWholeFile(const QString &path, QByteArray *data);

// Reads a whole file of at most maxBytes bytes. A larger file is refused without being read
// whole: its size is looked at first, and no more than maxBytes + 1 bytes are ever read (a file
// that grows meanwhile, or one whose size the system does not report, is caught by that).
enum class BoundedRead { Read, Unreadable, TooLarge };
BoundedRead readFileUpTo(const QString &path, qint64 maxBytes, QByteArray *data);
