#include "model/codec/textlimit.h"

QByteArray utf8CutTo(const QString &text, int maxBytes)
{
    QByteArray bytes = text.toUtf8();
    if (maxBytes < 0)
        maxBytes = 0;
    if (bytes.size() <= maxBytes)
        return bytes;
    int end = maxBytes;
    // Step back over continuation bytes (10xxxxxx) so that no character is split.
    while (end > 0 && (quint8(bytes.at(end)) & 0xC0) == 0x80)
        --end;
    bytes.truncate(end);
    return bytes;
}

QString cutToUtf8Bytes(const QString &text, int maxBytes)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.size() <= maxBytes)
        return text;
    return QString::fromUtf8(utf8CutTo(text, maxBytes));
}
