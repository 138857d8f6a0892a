#include "devices/livevalues.h"

#include "model/codec/statusrecord.h"
#include "model/codec/sensorcatalogue.h"

#include <algorithm>

NumericReading numericReading(const SensorTypeInfo &type, const QList<int> &channels,
                              const StatusRecord &record)
{
    NumericReading reading;
    QStringList lines;
    const int count = std::min(type.valueNames.size(), channels.size());
    for (int j = 0; j < count; ++j) {
        const QString number = liveNumberText(record.channelFloat(channels.at(j)));
        lines.append(QStringLiteral("%1 %2%3").arg(type.valueNames.at(j), number, type.units.value(j)));
        reading.numbers.append(number);
    }
    reading.text = lines.join(QStringLiteral("<p>"));
    return reading;
}

QString liveNumberText(float value)
{
    return QString::number(double(value), 'g', 6);
}

QString contactText(quint32 level)
{
    return level != 0 ? QStringLiteral("Разомкнут") : QStringLiteral("Замкнут");
}
