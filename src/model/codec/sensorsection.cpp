#include "model/codec/sensorsection.h"

#include "model/codec/configimageformat.h"
#include "model/codec/sensorcatalogue.h"
#include "model/codec/textlimit.h"

#include <cstring>

namespace {

struct TypeLayout
{
    quint8 modelCode;
    quint32 trailer;
};

// Indexed by type code 1..5.
const TypeLayout Layouts[] = {{0, 0}, {5, 200}, {6, 300}, {7, 10}, {8, 300}, {2, 300}};

// Offset written for a channel, or 0 for "no calibration value".
float calibrationOffset(int type, int channel, const QList<CalibrationEntry> &calibration)
{
    switch (type) {
    case 1:
    case 3:
        return calibration.isEmpty() ? 0.0f : calibration.first().offset;
    case 2:
        return calibration.size() >= 2 ? calibration.at(channel).offset : 0.0f;
    case 5:
        return calibration.size() >= 2 ? calibration.first().offset : 0.0f;
    default:
        return 0.0f;
    }
}

} // namespace

QByteArray buildSensorSection(int index, int type, const QString &name, const QList<int> &channels,
                              const QList<CalibrationEntry> &calibration)
{
    if (type < 1 || type > 5 || index < 0 || index >= ControllerState::SensorCount)
        return QByteArray();
    const int channelCount = int(sensorTypeInfo(type).valueNames.size());
    if (channels.size() < channelCount)
        return QByteArray();

    QByteArray out;
    const QByteArray nameBytes = utf8CutTo(name, 255);
    appendU8(out, ImageTag::SensorStart);
    out.append(char(nameBytes.size()));
    out.append(nameBytes);
    out.append(char(index));
    out.append(char(Layouts[type].modelCode));
    out.append(char(type));
    for (int c = 0; c < channelCount; ++c) {
        appendU8(out, ImageTag::ChannelBlock);
        out.append(char(channels.at(c)));
        out.append(char(0x00));
        const float offset = calibrationOffset(type, c, calibration);
        if (offset != 0.0f) {
            out.append(char(4));
            quint32 bits;
            std::memcpy(&bits, &offset, sizeof bits);
            appendU32(out, bits);
        } else {
            out.append(char(0));
        }
        appendU8(out, ImageTag::ChannelUsable);
    }
    appendU8(out, ImageTag::SensorTrailer);
    appendU32(out, Layouts[type].trailer);
    appendU8(out, ImageTag::SensorEnd);
    return out;
}
