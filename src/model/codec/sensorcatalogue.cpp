#include "model/codec/sensorcatalogue.h"

namespace {

QList<SensorTypeInfo> buildCatalogue()
{
    const QList<int> everyInput{1, 1, 1, 1, 1, 1};
    const QList<int> noInput{0, 0, 0, 0, 0, 0};
    const QString vcc = QStringLiteral("Питание/VCC");
    const QString gnd = QStringLiteral("Земля/GND");
    const QString state = QStringLiteral("Состояние");
    return {
        {SensorOff, QStringLiteral("Отключен"), {QString()}, {QString()},
         {QString(), QString(), QString(), QString()}, 0, {0}, everyInput, {0.0}},
        {SensorOneWireTemperature, QStringLiteral("Цифровой датчик температуры (1-Wire)"),
         {QStringLiteral("Температура")}, {QStringLiteral("°C")},
         {QString(), vcc, QStringLiteral("Данные"), gnd}, 3, {121}, everyInput, {0.5}},
        {SensorTemperatureHumidity, QStringLiteral("Датчик температуры & влажности (AM2301A)"),
         {QStringLiteral("Влажность"), QStringLiteral("Температура")},
         {QStringLiteral("%"), QStringLiteral("°C")},
         {vcc, QString(), QStringLiteral("Данные"), gnd}, 4, {21, 121}, everyInput, {2.0, 0.5}},
        {SensorContact, QStringLiteral("Датчик замыкания(уровня...)"), {state}, {QString()},
         {QString(), QString(), QStringLiteral("Сигнал"), gnd}, 5, {10}, everyInput, {0.0}},
        {SensorRelayOutput, QStringLiteral("Выход управления реле"), {state}, {QString()},
         {QString(), QString(), QStringLiteral("Выход"), gnd}, 5, {0}, noInput, {0.0}},
        {SensorVoltage, QStringLiteral("Измерение напряжения(датчик освещенности/уровня...)"),
         {QStringLiteral("Напряжение")}, {QStringLiteral("мВ")},
         {QString(), QString(), QStringLiteral("Вход"), gnd}, 7, {40}, everyInput, {20.0}},
    };
}

} // namespace

const QList<SensorTypeInfo> &sensorCatalogue()
{
    static const QList<SensorTypeInfo> catalogue = buildCatalogue();
    return catalogue;
}

const SensorTypeInfo &sensorTypeInfo(int code)
{
    const QList<SensorTypeInfo> &rows = sensorCatalogue();
    return (code >= 0 && code < rows.size()) ? rows.at(code) : rows.at(SensorOff);
}

int sensorTypeCodeByName(const QString &name)
{
    const QList<SensorTypeInfo> &rows = sensorCatalogue();
    for (int code = 0; code < rows.size(); ++code) {
        if (rows.at(code).name == name)
            return code;
    }
    return UnknownSensorType;
}

QList<SensorTypeInfo> selectableTypes(int input)
{
    QList<SensorTypeInfo> result;
    for (const SensorTypeInfo &row : sensorCatalogue()) {
        if (input >= 0 && input < row.allowedOnInput.size() && row.allowedOnInput.at(input) == 1)
            result.append(row);
    }
    return result;
}

QList<int> selectableTypeCodes(int input)
{
    QList<int> codes;
    for (const SensorTypeInfo &row : selectableTypes(input))
        codes.append(row.code);
    return codes;
}

QString formatPlaceholder(int formatCode)
{
    if (formatCode <= 0)
        return QString();
    const int integerDigits = (formatCode / 10) % 10;
    const int decimals = formatCode % 10;
    QString text;
    if (formatCode >= 100)
        text += QLatin1Char(' ');
    text += QString(integerDigits, QLatin1Char('-'));
    if (decimals != 0)
        text += QLatin1Char('.') + QString(decimals, QLatin1Char('-'));
    return text;
}
