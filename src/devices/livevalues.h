#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class StatusRecord;
struct SensorTypeInfo;

// What a numeric sensor (temperature, humidity, voltage) currently reads.
struct NumericReading
{
    QString text;         // "name value unit" per channel, joined with "<p>"
    QStringList numbers;  // the bare number texts, channel by channel
};

// Reads one value per named channel of the type from the sensor's channel ids. A sensor that
// owns fewer channel ids than its type has values shows only the values it has.
NumericReading numericReading(const SensorTypeInfo &type, const QList<int> &channels,
                              const StatusRecord &record);

// A number as the tiles show it: shortest general notation, at most 6 significant digits.
QString liveNumberText(float value);

// A contact input: any non-zero level means open.
QString contactText(quint32 level);
