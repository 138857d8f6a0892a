#include "ble/transport.h"

QString BleDeviceInfo::addressText() const
{
    QString text;
    for (int shift = 40; shift >= 0; shift -= 8) {
        if (!text.isEmpty())
            text += QLatin1Char(':');
        text += QStringLiteral("%1").arg((address >> shift) & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

QUuid bleUuidFrom16(quint16 value)
{
    return QUuid(value, 0x0000, 0x1000, 0x80, 0x00, 0x00, 0x80, 0x5F, 0x9B, 0x34, 0xFB);
}

quint16 bleUuidTo16(const QUuid &uuid)
{
    const QUuid base = bleUuidFrom16(0);
    if (uuid.data1 > 0xFFFF || uuid.data2 != base.data2 || uuid.data3 != base.data3)
        return 0;
    for (int i = 0; i < 8; ++i)
        if (uuid.data4[i] != base.data4[i])
            return 0;
    return quint16(uuid.data1);
}
