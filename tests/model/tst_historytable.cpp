#include <QTest>

#include "model/log/eventlog.h"
#include "model/log/historytable.h"
#include "model/codec/sensorcatalogue.h"

namespace {

const QString Nbsp = QStringLiteral("<html>&nbsp;</html>");
const QDate Day(2026, 2, 10);

QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(Day.addDays(day), QTime(hour, minute));
}

// "Климат" (humidity id 4, temperature id 5) and "Корни" (temperature id 7); a relay on input 1.
ControllerState twoSensors()
{
    ControllerState s;
    s.sensors[0].type = SensorTemperatureHumidity;
    s.sensors[0].name = QStringLiteral("Климат");
    s.sensors[0].channels = {4, 5};
    s.sensors[1].type = SensorRelayOutput;
    s.sensors[1].name = QStringLiteral("Насос");
    s.sensors[1].channels = {6};
    s.sensors[2].type = SensorOneWireTemperature;
    s.sensors[2].name = QStringLiteral("Корни");
    s.sensors[2].channels = {7};
    return s;
}

// A measurement placed inside the work period (channel = its id).
EventRecord measured(const QDateTime &t, int sensor, int position, int id, float min, float avg, float max,
                     int minHit = 0, int maxHit = 0)
{
    EventRecord e;
    e.time = t;
    e.sensor = sensor;
    e.position = position;
    e.channel = id;
    e.min = min;
    e.avg = avg;
    e.max = max;
    e.minHit = minHit;
    e.maxHit = maxHit;
    return e;
}

EventRecord power(const QDateTime &t, int sensor)
{
    EventRecord e;
    e.time = t;
    e.sensor = sensor;
    return e;
}

QString span(const QString &text, bool hit = false)
{
    return QStringLiteral("<span style=\"  color:%1;\">%2</span>").arg(hit ? QStringLiteral("#F82161") : QStringLiteral("#FFFFFF"), text);
}

QString paragraph(const QString &spans)
{
    return QStringLiteral("<html><p style=\" margin: 0px;\">") + spans + QStringLiteral("</p></html>");
}

} // namespace

class TestHistoryTable : public QObject
{
    Q_OBJECT
private slots:
    void columns_data()
    {
        QTest::addColumn<bool>("withSensors");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QString>("csvHeader");
        QTest::newRow("no sensor columns") << false << QStringList{QStringLiteral("Дата Время"), QString(), QString()}
                                           << QStringLiteral("Дата Время;Событие;\n");
        QTest::newRow("two-channel sensor and a thermometer")
            << true
            << QStringList{QStringLiteral("Дата Время"), QString(), QStringLiteral("Климат: Влажность/ Температура"),
                           QStringLiteral("Корни: Температура")}
            << QStringLiteral("Дата Время;Событие;"
                              "Климат Влажность (минимум);Климат Температура (минимум);"
                              "Климат Влажность (среднее);Климат Температура (среднее);"
                              "Климат Влажность (максимум);Климат Температура (максимум);"
                              "Корни Температура (минимум);Корни Температура (среднее);Корни Температура (максимум);\n");
    }
    void columns()
    {
        QFETCH(bool, withSensors);
        QFETCH(QStringList, headers);
        QFETCH(QString, csvHeader);
        ControllerState s = withSensors ? twoSensors() : ControllerState();
        if (!withSensors)
            s.sensors[1].type = SensorRelayOutput;  // a relay alone gives no column
        const HistoryColumns c = buildHistoryColumns(s);
        QCOMPARE(c.headers, headers);
        QCOMPARE(c.csvHeader, csvHeader);
        if (withSensors) {
            QCOMPARE(c.columnChannels.size(), 3);
            QCOMPARE(c.columnChannels.value(5).column, 0);
            QCOMPARE(c.columnChannels.value(5).position, 1);
            QCOMPARE(c.columnChannels.value(5).format, 121);
            QCOMPARE(c.columnChannels.value(7).column, 1);
            QVERIFY(!c.columnChannels.contains(6));
            QCOMPARE(c.columnFormats, (QList<QList<int>>{{21, 121}, {121}}));
        } else {
            QVERIFY(c.columnChannels.isEmpty());
        }
    }

    void cellText_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        const QString point = QStringLiteral("C");
        const QString comma = QStringLiteral("ru_RU");
        QTest::newRow("21.37, code 121") << 21.37f << 121 << point << QStringLiteral("21.4") + Nbsp;
        QTest::newRow("21.37, code 121, comma") << 21.37f << 121 << comma << QStringLiteral("21,4") + Nbsp + Nbsp;
        QTest::newRow("negative") << -5.5f << 121 << point << QStringLiteral("-5.5") + Nbsp;
        QTest::newRow("fills the width") << 123.45f << 121 << point << QStringLiteral("123.4");
        QTest::newRow("wider: cut from the right") << -123.4f << 121 << point << QStringLiteral("-123.");
        QTest::newRow("humidity") << 55.3f << 21 << point << QStringLiteral("55.3");
        QTest::newRow("code 10 shows one character") << 12.0f << 10 << point << QStringLiteral("1") + Nbsp;
        QTest::newRow("contact closed") << 0.0f << 10 << point << QStringLiteral("0") + Nbsp;
        QTest::newRow("millivolts") << 1234.0f << 40 << point << QStringLiteral("1234") + Nbsp;
        // a group separator would be cut like a digit
        QTest::newRow("millivolts, grouping locale") << 1234.0f << 40 << QStringLiteral("en_US") << QStringLiteral("1234") + Nbsp;
        QTest::newRow("millivolts, comma locale") << 1234.0f << 40 << comma << QStringLiteral("1234") + Nbsp;
        QTest::newRow("code 0") << 5.0f << 0 << point << Nbsp;
    }
    void cellText()
    {
        QFETCH(float, value);
        QFETCH(int, code);
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QCOMPARE(historyCellText(value, code, QLocale(locale)), text);
    }

    // Rows of a period: shared times, power records splitting a row, the window's edges, hits.
    void fill()
    {
        const ControllerState s = twoSensors();
        const HistoryColumns c = buildHistoryColumns(s);
        const QList<EventRecord> events{
            measured(at(-1, 23, 59), 2, 0, 7, 1, 1, 1),                 // the day before the start
            measured(at(0, 0), 0, 0, 4, 40, 50, 60),                    // start of the first day
            measured(at(0, 0), 0, 1, 5, 20.04f, 21.37f, 25.5f, 0, 1),   // shares the row
            measured(at(0, 0), 2, 0, 7, 18, 19, 20, 1, 0),              // ditto
            measured(at(0, 8), 2, 0, 7, 18, 19, 20),
            power(at(0, 8), EventLog::PowerOff),                        // splits the row
            measured(at(0, 8), 0, 0, 4, 41, 51, 61),
            power(at(0, 9), EventLog::PowerOn),
            measured(at(0, 10), 1, 0, 6, 1, 1, 1),                      // relay: no column
            measured(at(2, 0), 2, 0, 7, 17, 18, 19),                    // 00:00 after the last day
            measured(at(2, 0).addSecs(1), 2, 0, 7, 1, 1, 1),            // one second later
        };
        const HistoryFill f = fillHistory(c, events, Day, Day.addDays(1), QLocale::c());

        QCOMPARE(f.rows.size(), 6);
        QCOMPARE(f.csvLines.size(), 7);
        QCOMPARE(f.csvLines.first(), c.csvHeader);
        // plain values for a spreadsheet: no padding, an empty field where the row has none
        QCOMPARE(f.csvLines.mid(1), (QStringList{
            QStringLiteral("10.02.2026  00:00;;40.0;20.0;50.0;21.4;60.0;25.5;18.0;19.0;20.0;\n"),
            QStringLiteral("10.02.2026  08:00;;;;;;;;18.0;19.0;20.0;\n"),
            QStringLiteral("10.02.2026  08:00;Отключение питания;\n"),
            QStringLiteral("10.02.2026  08:00;;41.0;;51.0;;61.0;;;;;\n"),
            QStringLiteral("10.02.2026  09:00;Включение питания;\n"),
            QStringLiteral("12.02.2026  00:00;;;;;;;;17.0;18.0;19.0;\n"),
        }));

        const HistoryRow &first = f.rows.first();
        QCOMPARE(first.event, 0);
        QCOMPARE(first.cells.size(), 4);
        QCOMPARE(first.cells[0], QStringLiteral("10.02.2026  00:00"));
        QCOMPARE(first.cells[1], HistoryText::legend());
        // maximum of the temperature hit; the average paragraph never is
        QCOMPARE(first.cells[2], paragraph(span(QStringLiteral("40.0")) + QLatin1Char('/') + span(QStringLiteral("20.0") + Nbsp))
                                     + paragraph(span(QStringLiteral("50.0")) + QLatin1Char('/') + span(QStringLiteral("21.4") + Nbsp))
                                     + paragraph(span(QStringLiteral("60.0")) + QLatin1Char('/') + span(QStringLiteral("25.5") + Nbsp, true)));
        QCOMPARE(first.cells[3], paragraph(span(QStringLiteral("18.0") + Nbsp, true)) + paragraph(span(QStringLiteral("19.0") + Nbsp))
                                     + paragraph(span(QStringLiteral("20.0") + Nbsp)));
        const HistoryRow &off = f.rows.at(2);
        QCOMPARE(off.event, int(EventLog::PowerOff));
        QCOMPARE(off.cells, (QStringList{QStringLiteral("10.02.2026  08:00"), HistoryText::eventLegend(),
                                         QStringLiteral("<html><head/><body><p style=\" margin: 0px;\"><span style=\" color:#ff2700;\">"
                                                        "Отключение питания</span></p></body></html>")}));
        QCOMPARE(f.rows.at(4).cells.at(2), QStringLiteral("<html><head/><body><p style=\" margin: 0px;\"><span style=\" color:#ffff7f;\">"
                                                          "Включение питания</span></p></body></html>"));
    }

    void fillWithoutSensorColumns()
    {
        const HistoryColumns c = buildHistoryColumns(ControllerState());
        const QList<EventRecord> events{power(at(0, 1), EventLog::PowerOn), measured(at(0, 2), 0, 0, 4, 1, 2, 3)};
        const HistoryFill f = fillHistory(c, events, Day, Day, QLocale::c());
        QCOMPARE(f.csvLines, (QStringList{QStringLiteral("Дата Время;Событие;\n"),
                                          QStringLiteral("10.02.2026  01:00;Включение питания;\n")}));
        QCOMPARE(f.rows.size(), 1);
    }

    // A record outside the work period still holds its channel position; it goes to its own
    // sensor's column, not to the column of whatever channel id equals that position.
    void recordOutsideTheWorkPeriod()
    {
        ControllerState s = twoSensors();
        s.sensors[3].type = SensorOneWireTemperature;
        s.sensors[3].name = QStringLiteral("Бак");
        s.sensors[3].channels = {1};
        const HistoryColumns c = buildHistoryColumns(s);
        EventRecord e = measured(at(0, 1), 0, 1, 1, 30, 31, 32);  // Климат's temperature, position 1
        const HistoryFill f = fillHistory(c, {e}, Day, Day, QLocale::c());
        QCOMPARE(f.rows.size(), 1);
        QVERIFY(f.rows[0].cells[2].contains(QStringLiteral("30.0")));
        QVERIFY(!f.rows[0].cells[4].contains(QStringLiteral("30.0")));
    }
};

QTEST_GUILESS_MAIN(TestHistoryTable)
#include "tst_historytable.moc"
