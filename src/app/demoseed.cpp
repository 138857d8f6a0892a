#include "app/demoseed.h"

#include "model/plan/basescenario.h"
#include "model/clock.h"
#include "model/codec/configimage.h"
#include "model/controllerstate.h"
#include "model/codec/sensorcatalogue.h"
#include "model/codec/sensorsection.h"
#include "sim/simtransport.h"
#include "sim/simulatedcontroller.h"

#include <QDir>
#include <cstring>

namespace {

constexpr quint64 DemoAddress = 0xC4F0A1B2C301ULL;
const QString DemoName = QStringLiteral("Vireosant-REZ-4S");

quint32 floatBits(float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

void addSensor(ControllerState &s, int index, int type, const QString &name, const QList<int> &channels)
{
    SensorSlot &slot = s.sensors[index];
    slot.type = type;
    slot.name = name;
    slot.channels = channels;
    slot.section = buildSensorSection(index, type, name, channels, {});
    for (int id : channels)
        s.usedChannels[id] = 1;
}

Condition sensorRow(const ControllerState &s, int sensor, int position, ConditionKind kind, float value, ConditionAction action, int priority,
                    double upper = 0)
{
    Condition c;
    c.ref = sensor;
    c.text = s.sensors[sensor].name + QStringLiteral(": ") + sensorTypeInfo(s.sensors[sensor].type).valueNames.value(position);
    c.kind = kind;
    c.value = floatBits(value);
    c.action = action;
    c.priority = priority;
    c.source = s.sensors[sensor].channels.value(position);
    if (kind == ConditionKind::Interval)
        c.params = {upper};
    return c;
}

Condition timerRow(int timerIndex, const TimerSlot &t, ConditionAction action, int priority)
{
    Condition c;
    c.ref = TimerRef;
    c.text = timerRowText();
    c.kind = ConditionKind::Above;
    c.action = action;
    c.priority = priority;
    c.source = TimerSource;
    c.params = {double(t.start), double(t.duration), double(t.period), double(t.count), double(timerIndex)};
    return c;
}

SocketProgram baseProgram(ConditionAction dayAction, ConditionAction nightAction)
{
    SocketProgram p;
    p.dayConditions = {baseStateCondition(dayAction)};
    p.nightConditions = {baseStateCondition(nightAction)};
    return p;
}

Scenario growScenario(const ControllerState &s, const QString &name, float fanAbove, float humidityBelow, int lampTimerStart)
{
    Scenario sc;
    sc.name = name;
    // lamp: on by day, off by night
    sc.sockets[1] = baseProgram(ConditionAction::On, ConditionAction::Off);
    // fan: off, on when it gets warm
    SocketProgram fan = baseProgram(ConditionAction::Off, ConditionAction::Off);
    fan.dayConditions << sensorRow(s, 0, 1, ConditionKind::Above, fanAbove, ConditionAction::On, 1);
    fan.nightConditions << sensorRow(s, 0, 1, ConditionKind::Above, fanAbove - 2, ConditionAction::On, 1);
    sc.sockets[2] = fan;
    // humidifier: off, on while the air is dry, never when the tank is empty
    SocketProgram humidifier = baseProgram(ConditionAction::Off, ConditionAction::Off);
    humidifier.dayConditions << sensorRow(s, 0, 0, ConditionKind::Below, humidityBelow, ConditionAction::On, 1) << sensorRow(s, 2, 0, ConditionKind::Above, 0.5f, ConditionAction::Off, 2);
    humidifier.nightConditions << sensorRow(s, 0, 0, ConditionKind::Below, humidityBelow, ConditionAction::On, 1);
    sc.sockets[3] = humidifier;
    // heater: on while the roots are cold, within a band
    SocketProgram heater = baseProgram(ConditionAction::Off, ConditionAction::Off);
    heater.dayConditions << sensorRow(s, 1, 0, ConditionKind::Interval, 18.0f, ConditionAction::Off, 1, 21.0);
    heater.nightConditions << sensorRow(s, 1, 0, ConditionKind::Interval, 17.0f, ConditionAction::Off, 1, 20.0);
    sc.sockets[4] = heater;
    // pump on the relay input: a short watering every three hours of the day
    SocketProgram pump = baseProgram(ConditionAction::Off, ConditionAction::Off);
    TimerSlot watering;
    watering.start = lampTimerStart;
    watering.duration = 10;
    watering.period = 180;
    watering.count = 5;
    pump.timers = {watering};
    pump.dayConditions << timerRow(0, watering, ConditionAction::On, 1);
    sc.sockets[FirstRelayOutput + 3] = pump;
    return sc;
}

} // namespace

namespace DemoSeed {

QByteArray imageBody()
{
    ControllerState s;
    s.resetToEmptyForm();
    addSensor(s, 0, 2, QStringLiteral("Климат"), {4, 5});
    addSensor(s, 1, 1, QStringLiteral("Корни"), {6});
    addSensor(s, 2, 3, QStringLiteral("Бак"), {7});
    addSensor(s, 3, 4, QStringLiteral("Насос"), {8});
    addSensor(s, 4, 5, QStringLiteral("Свет"), {9});
    const QStringList sockets = {QStringLiteral("Лампа"), QStringLiteral("Вентилятор"), QStringLiteral("Увлажнитель"),
                                 QStringLiteral("Обогрев")};
    for (int i = 0; i < sockets.size(); ++i)
        s.sockets[i].name = sockets.at(i);

    // A 30-day cycle of 18 + 6 hours that began fifteen days ago at 06:00, so that the two weeks
    // of history lie inside it and the history page shows both scenarios at work.
    s.dayHours = 18;
    s.nightHours = 6;
    s.cycleCount = 30;
    s.startTime = QDateTime(Clock::now().date().addDays(-15), QTime(6, 0));
    s.scenarios = {baseScenario(), growScenario(s, QStringLiteral("Вегетация"), 27.0f, 55.0f, 30),
                   growScenario(s, QStringLiteral("Цветение"), 25.0f, 45.0f, 60)};
    // the base scenario runs the pump relay by its base state, as the editor gives every relay
    s.scenarios[0].sockets[FirstRelayOutput + 3] = baseProgram(ConditionAction::On, ConditionAction::Off);
    s.scenarios[1].usage = 12;
    s.scenarios[2].usage = 18;
    for (int d = 0; d < s.cycleCount; ++d) {
        CycleDay day;
        day.time = s.startTime.addDays(d);
        day.scenarioIndex = d < 12 ? 1 : 2;
        s.days << day;
    }
    QByteArray body;
    encodeConfigImage(s, body);
    return body;
}

void prepare(SimTransport &transport, const QString &stateFolder)
{
    transport.setScanPeriod(5000);
    SimulatedController *c = transport.addController(DemoName, DemoAddress);
    if (!QDir(stateFolder).exists() || !c->loadFrom(stateFolder)) {
        // Hourly records: the log area then holds about twelve days of the five measured channels,
        // the power cut half-way included.
        c->setLogPeriodMinutes(60);
        c->seedDemo(imageBody(), 14);
    }
}

void save(SimTransport &transport, const QString &stateFolder)
{
    if (SimulatedController *c = transport.controller(DemoAddress)) {
        QDir().mkpath(stateFolder);
        c->saveTo(stateFolder);
    }
}

} // namespace DemoSeed
