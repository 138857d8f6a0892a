#pragma once

#include <QByteArray>
#include <QString>

// Names carry a one-byte length in the configuration image.
constexpr int MaxNameBytes = 255;

// The UTF-8 form of text, cut to at most maxBytes at a character boundary.
QByteArray utf8CutTo(const QString &text, int maxBytes);

// text shortened so that its UTF-8 form takes at most maxBytes (for the name fields of dialogs).
QString cutToUtf8Bytes(const QString &text, int maxBytes = MaxNameBytes);
