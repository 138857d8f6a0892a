#include <QTest>

#include "model/plan/basescenario.h"
#include "model/plan/daypreview.h"
#include "model/numericutil.h"
#include "timercondition.h"

using DayPreview::Span;

namespace {

Condition timer(int start, int duration, int period, int count, ConditionAction action, int priority)
{
    return timerCondition(start, duration, period, count, action, priority);
}

Condition sensor(ConditionAction action, int priority)
{
    Condition row;
    row.ref = 0;
    row.source = 4;
    row.kind = ConditionKind::Above;
    row.action = action;
    row.priority = priority;
    row.value = bitsFromFloat(60);
    return row;
}

SocketProgram program(const QList<Condition> &day, const QList<Condition> &night)
{
    SocketProgram p;
    p.dayConditions = day;
    p.nightConditions = night;
    return p;
}

} // namespace

Q_DECLARE_METATYPE(SocketProgram)
Q_DECLARE_METATYPE(QList<Span>)

// What an output does over a cycle: base states by phase, timers over them, sensor rules leaving
// it to the readings.
class TestDayPreview : public QObject
{
    Q_OBJECT

private slots:
    void spans_data()
    {
        QTest::addColumn<SocketProgram>("program");
        QTest::addColumn<int>("dayHours");
        QTest::addColumn<int>("nightHours");
        QTest::addColumn<QList<Span>>("expected");
        const ConditionAction on = ConditionAction::On;
        const ConditionAction off = ConditionAction::Off;
        const Condition dayOn = baseStateCondition(on);
        const Condition nightOff = baseStateCondition(off);

        QTest::newRow("on by day, off by night") << program({dayOn}, {nightOff}) << 16 << 8
                                                 << QList<Span>{{0, 960, DayPreview::On}, {960, 1440, DayPreview::Off}};
        QTest::newRow("no night") << program({dayOn}, {nightOff}) << 24 << 0 << QList<Span>{{0, 1440, DayPreview::On}};
        QTest::newRow("a repeating timer over the base state")
            << program({baseStateCondition(off), timer(60, 30, 120, 2, on, 1)}, {nightOff}) << 16 << 8
            << QList<Span>{{0, 60, DayPreview::Off}, {60, 90, DayPreview::On}, {90, 180, DayPreview::Off},
                           {180, 210, DayPreview::On}, {210, 1440, DayPreview::Off}};
        QTest::newRow("a sensor rule outranks the base state")
            << program({dayOn, sensor(off, 1)}, {nightOff}) << 16 << 8
            << QList<Span>{{0, 960, DayPreview::BySensor}, {960, 1440, DayPreview::Off}};
        QTest::newRow("a timer above the sensor rule")
            << program({dayOn, sensor(off, 1), timer(120, 60, 0, 1, on, 2)}, {nightOff}) << 16 << 8
            << QList<Span>{{0, 120, DayPreview::BySensor}, {120, 180, DayPreview::On}, {180, 960, DayPreview::BySensor},
                           {960, 1440, DayPreview::Off}};
        QTest::newRow("a night timer runs in the night only")
            << program({dayOn}, {nightOff, timer(1000, 20, 0, 1, on, 1)}) << 16 << 8
            << QList<Span>{{0, 960, DayPreview::On}, {960, 1000, DayPreview::Off}, {1000, 1020, DayPreview::On},
                           {1020, 1440, DayPreview::Off}};
        QTest::newRow("a huge repeat count stays bounded")
            << program({baseStateCondition(off), timer(0, 1, 0, 1000000000, on, 1)}, {nightOff}) << 1 << 0
            << QList<Span>{{0, 1, DayPreview::On}, {1, 60, DayPreview::Off}};
    }
    void spans()
    {
        QFETCH(SocketProgram, program);
        QFETCH(int, dayHours);
        QFETCH(int, nightHours);
        QFETCH(QList<Span>, expected);
        const QList<Span> got = DayPreview::outputSpans(program, dayHours, nightHours);
        for (const Span &s : got)
            qInfo("%d-%d %d", s.from, s.to, s.state);
        QCOMPARE(got, expected);
    }
};

QTEST_GUILESS_MAIN(TestDayPreview)
#include "tst_daypreview.moc"
