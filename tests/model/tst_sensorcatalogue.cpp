#include <QTest>

#include "model/codec/sensorcatalogue.h"

class TestSensorCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void rows_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("valueNames");
        QTest::addColumn<QStringList>("units");
        QTest::addColumn<QStringList>("pins");
        QTest::addColumn<int>("typeParam");
        QTest::addColumn<QList<int>>("formats");
        QTest::addColumn<QList<int>>("allowed");

        const QString n;
        const QList<int> all{1, 1, 1, 1, 1, 1};
        QTest::newRow("off") << 0 << QStringLiteral("Отключен") << QStringList{n} << QStringList{n}
                             << QStringList{n, n, n, n} << 0 << QList<int>{0} << all;
        QTest::newRow("1-wire") << 1 << QStringLiteral("Цифровой датчик температуры (1-Wire)")
                                << QStringList{QStringLiteral("Температура")} << QStringList{QStringLiteral("°C")}
                                << QStringList{n, QStringLiteral("Питание/VCC"), QStringLiteral("Данные"), QStringLiteral("Земля/GND")}
                                << 3 << QList<int>{121} << all;
        QTest::newRow("temperature+humidity")
            << 2 << QStringLiteral("Датчик температуры & влажности (AM2301A)")
            << QStringList{QStringLiteral("Влажность"), QStringLiteral("Температура")}
            << QStringList{QStringLiteral("%"), QStringLiteral("°C")}
            << QStringList{QStringLiteral("Питание/VCC"), n, QStringLiteral("Данные"), QStringLiteral("Земля/GND")}
            << 4 << QList<int>{21, 121} << all;
        QTest::newRow("contact") << 3 << QStringLiteral("Датчик замыкания(уровня...)")
                                 << QStringList{QStringLiteral("Состояние")} << QStringList{n}
                                 << QStringList{n, n, QStringLiteral("Сигнал"), QStringLiteral("Земля/GND")}
                                 << 5 << QList<int>{10} << all;
        QTest::newRow("relay") << 4 << QStringLiteral("Выход управления реле")
                               << QStringList{QStringLiteral("Состояние")} << QStringList{n}
                               << QStringList{n, n, QStringLiteral("Выход"), QStringLiteral("Земля/GND")}
                               << 5 << QList<int>{0} << QList<int>{0, 0, 0, 0, 0, 0};
        QTest::newRow("voltage") << 5 << QStringLiteral("Измерение напряжения(датчик освещенности/уровня...)")
                                 << QStringList{QStringLiteral("Напряжение")} << QStringList{QStringLiteral("мВ")}
                                 << QStringList{n, n, QStringLiteral("Вход"), QStringLiteral("Земля/GND")}
                                 << 7 << QList<int>{40} << all;
    }

    void rows()
    {
        QFETCH(int, code);
        const SensorTypeInfo &row = sensorTypeInfo(code);
        QCOMPARE(row.code, code);
        QTEST(row.name, "name");
        QTEST(row.valueNames, "valueNames");
        QTEST(row.units, "units");
        QTEST(row.pinNames, "pins");
        QTEST(row.typeParam, "typeParam");
        QTEST(row.valueFormats, "formats");
        QTEST(row.allowedOnInput, "allowed");
        QCOMPARE(&sensorCatalogue().at(code), &row);
    }

    void outOfRangeCodesGiveTheOffRow_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("6") << 6;
        QTest::newRow("-1") << -1;
        QTest::newRow("255") << 255;
        QTest::newRow("int min") << std::numeric_limits<int>::min();
    }

    void outOfRangeCodesGiveTheOffRow()
    {
        QFETCH(int, code);
        QCOMPARE(&sensorTypeInfo(code), &sensorCatalogue().at(SensorOff));
    }

    void lookupByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("code");
        for (const SensorTypeInfo &row : sensorCatalogue())
            QTest::addRow("%d", row.code) << row.name << row.code;
        // Spacing is part of the name.
        QTest::newRow("blank before parenthesis") << QStringLiteral("Датчик замыкания (уровня...)") << 6;
        QTest::newRow("no blank in 1-wire") << QStringLiteral("Цифровой датчик температуры(1-Wire)") << 6;
        QTest::newRow("and instead of &") << QStringLiteral("Датчик температуры и влажности (AM2301A)") << 6;
        QTest::newRow("empty") << QString() << 6;
    }

    void lookupByName()
    {
        QFETCH(QString, name);
        QTEST(sensorTypeCodeByName(name), "code");
    }

    void everyInputOffersTheSameFiveTypes()
    {
        const QList<int> expected{0, 1, 2, 3, 5};
        for (int input = 0; input < 6; ++input) {
            QCOMPARE(selectableTypeCodes(input), expected);
            const QList<SensorTypeInfo> rows = selectableTypes(input);
            QCOMPARE(rows.size(), expected.size());
            for (int i = 0; i < rows.size(); ++i)
                QCOMPARE(rows.at(i), sensorTypeInfo(expected.at(i)));
        }
        QVERIFY(selectableTypes(6).isEmpty());
        QVERIFY(selectableTypeCodes(-1).isEmpty());
    }

    void placeholders_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("text");
        QTest::newRow("121") << 121 << QStringLiteral(" --.-");
        QTest::newRow("21") << 21 << QStringLiteral("--.-");
        QTest::newRow("10") << 10 << QStringLiteral("-");
        QTest::newRow("40") << 40 << QStringLiteral("----");
        QTest::newRow("0") << 0 << QString();
        QTest::newRow("100") << 100 << QStringLiteral(" ");
        QTest::newRow("132") << 132 << QStringLiteral(" ---.--");
    }

    void placeholders()
    {
        QFETCH(int, format);
        QTEST(formatPlaceholder(format), "text");
    }

    void rowTravelsInAVariant()
    {
        const QVariant v = QVariant::fromValue(sensorTypeInfo(SensorTemperatureHumidity));
        QCOMPARE(v.value<SensorTypeInfo>(), sensorTypeInfo(SensorTemperatureHumidity));
    }
};

QTEST_GUILESS_MAIN(TestSensorCatalogue)
#include "tst_sensorcatalogue.moc"
