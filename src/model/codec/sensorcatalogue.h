#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

// Type codes of the sensor inputs, as stored per input and in the sensor sections of the image.
enum SensorTypeCode {
    SensorOff = 0,
    SensorOneWireTemperature = 1,
    SensorTemperatureHumidity = 2,
    SensorContact = 3,          // two-state: conditions on it use the fixed threshold 0.5
    SensorRelayOutput = 4,      // an output, never offered on an input
    SensorVoltage = 5,
};

// One row of the fixed sensor type table.
struct SensorTypeInfo
{
    int code = 0;
    QString name;
    QStringList valueNames;     // one per channel
    QStringList units;          // same order as valueNames
    QStringList pinNames;       // four connector pins, left to right; empty = unused pin
    int typeParam = 0;
    QList<int> valueFormats;    // display-format code per value (see formatPlaceholder)
    QList<int> allowedOnInput;  // 6 flags, one per sensor input
    // Usual scatter of a reading, per value: thresholds closer than this make a relay chatter.
    QList<double> noiseWidths;

    friend bool operator==(const SensorTypeInfo &a, const SensorTypeInfo &b)
    {
        return a.code == b.code && a.name == b.name && a.valueNames == b.valueNames
            && a.units == b.units && a.pinNames == b.pinNames && a.typeParam == b.typeParam
            && a.valueFormats == b.valueFormats && a.allowedOnInput == b.allowedOnInput
            && a.noiseWidths == b.noiseWidths;
    }
    friend bool operator!=(const SensorTypeInfo &a, const SensorTypeInfo &b) { return !(a == b); }
};
Q_DECLARE_METATYPE(SensorTypeInfo)

constexpr int SensorTypeCount = 6;
constexpr int UnknownSensorType = 6;  // what a name lookup gives when nothing matches; handled as SensorOff

// The whole table, rows in code order. Built once, never changes.
const QList<SensorTypeInfo> &sensorCatalogue();

// The row of a type code; codes outside the table give the "off" row.
const SensorTypeInfo &sensorTypeInfo(int code);

// Code of the first row whose name equals the text; UnknownSensorType when none does.
int sensorTypeCodeByName(const QString &name);

// Rows (and their codes) that may be chosen for sensor input 0..5, in table order.
QList<SensorTypeInfo> selectableTypes(int input);
QList<int> selectableTypeCodes(int input);

// Placeholder shown for a value that has no reading, e.g. 121 -> " --.-", 40 -> "----".
QString formatPlaceholder(int formatCode);
