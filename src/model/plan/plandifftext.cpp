#include "model/plan/plandiff.h"
#include "model/plan/plandifftext.h"

#include "model/plan/basescenario.h"
#include "model/numericutil.h"
#include "model/codec/sensorcatalogue.h"
#include "model/plan/timertext.h"
#include "model/wallclock.h"

#include <cmath>

namespace {

const QString Arrow = QStringLiteral(" → ");

double param(const Condition &row, int i)
{
    return i < row.params.size() ? row.params.at(i) : 0.0;
}

QString quoted(const QString &name)
{
    return QStringLiteral("«%1»").arg(name);
}

QString actionText(const Condition &row)
{
    return row.action == ConditionAction::On ? QStringLiteral("ВКЛ") : QStringLiteral("ВЫКЛ");
}

// The input offering the row's channel and the channel's place in it; -1 when none does.
int sensorOfRow(const ControllerState &plan, const Condition &row, int *channel)
{
    for (int j = 0; j < plan.sensors.size(); ++j) {
        const qsizetype k = plan.sensors.at(j).channels.indexOf(row.source);
        if (k >= 0) {
            *channel = int(k);
            return j;
        }
    }
    return -1;
}

QString sensorRowText(const ControllerState &plan, const Condition &row)
{
    int channel = 0;
    const int input = sensorOfRow(plan, row, &channel);
    if (input < 0)
        return QStringLiteral("канал %1").arg(row.source);
    const SensorSlot &sensor = plan.sensors.at(input);
    const SensorTypeInfo &info = sensorTypeInfo(sensor.type);
    const QString caption = sensor.name + QStringLiteral(": ") + info.valueNames.value(channel);
    const QString unit = info.units.value(channel);
    if (sensor.type == SensorContact)
        return caption + (row.kind == ConditionKind::Below ? QStringLiteral(" замкнут") : QStringLiteral(" разомкнут"));
    const double value = floatFromBits(row.value);
    if (row.kind == ConditionKind::Interval)
        return caption + QStringLiteral(" от ") + planValueText(value, QString()) + QStringLiteral(" до ")
               + planValueText(param(row, 0), unit);
    return caption + (row.kind == ConditionKind::Below ? QStringLiteral(" ниже ") : QStringLiteral(" выше "))
           + planValueText(value, unit);
}

QString timerText(const ControllerState &plan, const Condition &row)
{
    const qint64 start = truncateToInt64(param(row, 0));
    const QString startText = plan.startTime.isValid() ? clockText(plan.startTime, start) : formatDuration(start);
    return QStringLiteral("Таймер: старт %1, длительность %2, период %3, повторов %4")
        .arg(startText, formatDuration(truncateToInt64(param(row, 1))), formatDuration(truncateToInt64(param(row, 2))))
        .arg(truncateToInt64(param(row, 3)));
}

QString timeText(const QDateTime &t)
{
    return t.isValid() ? t.toString(startTimeFormat()) : QStringLiteral("не задано");
}

QString outputText(const PlanDiff::ListChange &list)
{
    if (list.output >= FirstRelayOutput)
        return QStringLiteral("реле %1").arg(quoted(list.outputName));
    return QStringLiteral("розетка %1 %2").arg(QString::number(list.output), quoted(list.outputName));
}

QString channelsText(const QList<int> &channels)
{
    QStringList ids;
    for (int id : channels)
        ids << QString::number(id);
    return ids.isEmpty() ? QStringLiteral("нет") : ids.join(QStringLiteral(", "));
}

QString typeText(int type)
{
    return type >= 0 && type < SensorTypeCount ? quoted(sensorTypeInfo(type).name) : QStringLiteral("тип %1").arg(type);
}

QString calibrationText(const QList<CalibrationEntry> &entries, int k, const QString &unit)
{
    const float offset = entries.value(k).offset;
    return offset == 0.0f ? QStringLiteral("нет") : planValueText(offset, unit, true);
}

void sensorLines(const PlanDiff::SensorChange &c, QStringList &lines)
{
    const QString input = QStringLiteral("Вход %1").arg(c.index + 1);
    if (c.typeTo == SensorOff) {
        lines << input + QStringLiteral(": ") + quoted(c.from) + QStringLiteral(" → не подключен");
        return;
    }
    if (c.typeFrom == SensorOff) {
        lines << input + QStringLiteral(": не подключен → ") + quoted(c.to) + QStringLiteral(", ") + typeText(c.typeTo);
        return;
    }
    if (c.from != c.to)
        lines << input + QStringLiteral(": ") + quoted(c.from) + Arrow + quoted(c.to);
    const QString prefix = input + QLatin1Char(' ') + quoted(c.to) + QStringLiteral(": ");
    if (c.typeFrom != c.typeTo)
        lines << prefix + QStringLiteral("тип ") + typeText(c.typeFrom) + Arrow + typeText(c.typeTo);
    if (c.channelsFrom != c.channelsTo)
        lines << prefix + QStringLiteral("каналы ") + channelsText(c.channelsFrom) + Arrow + channelsText(c.channelsTo);
    const SensorTypeInfo &info = sensorTypeInfo(c.typeTo);
    const qsizetype entries = std::max(c.calibrationFrom.size(), c.calibrationTo.size());
    for (int k = 0; k < entries; ++k) {
        const CalibrationEntry a = c.calibrationFrom.value(k);
        const CalibrationEntry b = c.calibrationTo.value(k);
        if (bitsFromFloat(a.offset) == bitsFromFloat(b.offset) && a.marker == b.marker)
            continue;
        const QString unit = info.units.value(k);
        const QString value = info.valueNames.value(k);
        lines << prefix + QStringLiteral("поправка") + (value.isEmpty() ? QString() : QLatin1Char(' ') + quoted(value))
                     + QLatin1Char(' ') + calibrationText(c.calibrationFrom, k, unit) + Arrow
                     + calibrationText(c.calibrationTo, k, unit);
    }
    if (c.otherBytes)
        lines << prefix + QStringLiteral("другие настройки датчика");
}

QString keptSectionText(const KeptSensorSection &k)
{
    // one arg() call: a name holding "%2" must not take the later values
    return QStringLiteral("неизвестный датчик %1 (тип %2) на входе %3")
        .arg(quoted(k.name), QString::number(k.type), QString::number(k.input + 1));
}

QString keptRowText(const QByteArray &record)
{
    return QStringLiteral("неизвестное условие (канал %1)").arg(keptRowSource(record));
}

QStringList dayLines(const PlanDiff &diff)
{
    QStringList lines;
    for (int i = 0; i < diff.days.size();) {
        const PlanDiff::DayChange &first = diff.days.at(i);
        int last = i;
        while (last + 1 < diff.days.size() && diff.days.at(last + 1).day == diff.days.at(last).day + 1
               && diff.days.at(last + 1).from == first.from && diff.days.at(last + 1).to == first.to)
            ++last;
        const QString days = last == i ? QStringLiteral("День %1").arg(first.day + 1)
                                       : QStringLiteral("Дни %1–%2").arg(first.day + 1).arg(diff.days.at(last).day + 1);
        lines << days + QStringLiteral(": ") + quoted(first.from) + Arrow + quoted(first.to);
        i = last + 1;
    }
    return lines;
}

QStringList listLines(const PlanDiff::ListChange &list)
{
    QStringList lines;
    for (const PlanDiff::RowChange &c : list.rows) {
        switch (c.kind) {
        case PlanDiff::RowChange::Added:
            lines << QStringLiteral("добавлено: ") + c.to.text;
            break;
        case PlanDiff::RowChange::Removed:
            lines << QStringLiteral("удалено: ") + c.from.text;
            break;
        case PlanDiff::RowChange::Changed:
            lines << QStringLiteral("изменено: ") + c.from.text + Arrow + c.to.text;
            break;
        }
    }
    for (const QByteArray &record : list.keptAdded)
        lines << QStringLiteral("добавлено: ") + keptRowText(record);
    for (const QByteArray &record : list.keptRemoved)
        lines << QStringLiteral("удалено: ") + keptRowText(record);
    return lines;
}

} // namespace

QString planValueText(double value, const QString &unit, bool withSign)
{
    QString text = QString::number(value, 'f', 2);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    if (text.startsWith(QLatin1Char('-')))
        text.replace(0, 1, QChar(0x2212));
    else if (withSign && value > 0)
        text.prepend(QLatin1Char('+'));
    return unit.isEmpty() ? text : text + QLatin1Char(' ') + unit;
}

QString planRowText(const ControllerState &plan, const Condition &row)
{
    QString condition;
    if (row.source == BaseStateSource)
        condition = baseStateText();
    else if (row.source == TimerSource)
        condition = timerText(plan, row);
    else
        condition = sensorRowText(plan, row);
    QString text = condition + QStringLiteral(": ") + actionText(row);
    if (row.source != BaseStateSource)
        text += QStringLiteral(", приоритет %1").arg(quint8(row.priority));
    return text;
}

QList<PlanDiffGroup> planDiffGroups(const PlanDiff &diff)
{
    QList<PlanDiffGroup> groups;
    const auto add = [&groups](const QString &title, const QStringList &lines) {
        if (!lines.isEmpty())
            groups << PlanDiffGroup{title, lines};
    };

    QStringList cycle;
    if (diff.start.changed())
        cycle << QStringLiteral("Начало работы: ") + timeText(diff.start.from) + Arrow + timeText(diff.start.to);
    if (diff.end.changed())
        cycle << QStringLiteral("Окончание работы: ") + timeText(diff.end.from) + Arrow + timeText(diff.end.to);
    if (diff.cycleCount.changed())
        cycle << QStringLiteral("Количество циклов: %1%2%3").arg(diff.cycleCount.from).arg(Arrow).arg(diff.cycleCount.to);
    if (diff.dayHours.changed())
        cycle << QStringLiteral("Длительность дня: %1 ч%2%3 ч").arg(diff.dayHours.from).arg(Arrow).arg(diff.dayHours.to);
    if (diff.nightHours.changed())
        cycle << QStringLiteral("Длительность ночи: %1 ч%2%3 ч").arg(diff.nightHours.from).arg(Arrow).arg(diff.nightHours.to);
    add(QStringLiteral("Работа"), cycle);

    QStringList scenarios;
    for (const QString &name : diff.scenariosAdded)
        scenarios << QStringLiteral("Новый сценарий ") + quoted(name);
    for (const QString &name : diff.scenariosRemoved)
        scenarios << QStringLiteral("Удаляется сценарий ") + quoted(name);
    for (const QString &name : diff.scenariosChanged)
        scenarios << QStringLiteral("Меняется сценарий ") + quoted(name);
    add(QStringLiteral("Сценарии"), scenarios);
    add(QStringLiteral("Дни цикла"), dayLines(diff));

    QStringList sockets;
    for (const PlanDiff::SocketChange &c : diff.sockets) {
        if (c.from != c.to)
            sockets << QStringLiteral("Розетка %1: ").arg(c.index + 1) + quoted(c.from) + Arrow + quoted(c.to);
        if (c.baseFlagFrom != c.baseFlagTo)
            sockets << QStringLiteral("Розетка %1 %2: другие настройки розетки (флаг %3%4%5)")
                           .arg(QString::number(c.index + 1), quoted(c.to), QString::number(c.baseFlagFrom), Arrow,
                                QString::number(c.baseFlagTo));
    }
    add(QStringLiteral("Розетки"), sockets);

    QStringList sensors;
    for (const PlanDiff::SensorChange &c : diff.sensors)
        sensorLines(c, sensors);
    for (const KeptSensorSection &k : diff.keptSectionsAdded)
        sensors << QStringLiteral("Добавляется ") + keptSectionText(k);
    for (const KeptSensorSection &k : diff.keptSectionsRemoved)
        sensors << QStringLiteral("Удаляется ") + keptSectionText(k);
    add(QStringLiteral("Датчики"), sensors);

    for (const PlanDiff::ListChange &list : diff.lists) {
        const QString title = QStringLiteral("Сценарий %1, %2, %3")
                                  .arg(quoted(list.scenario), outputText(list), list.night ? QStringLiteral("ночь") : QStringLiteral("день"));
        add(title, listLines(list));
    }
    return groups;
}

QStringList planDiffLines(const PlanDiff &diff, int maxPerGroup)
{
    QStringList lines;
    const QString indent = QStringLiteral("    ");
    for (const PlanDiffGroup &group : planDiffGroups(diff)) {
        lines << group.title;
        const qsizetype shown = maxPerGroup > 0 ? std::min<qsizetype>(maxPerGroup, group.lines.size()) : group.lines.size();
        for (qsizetype i = 0; i < shown; ++i)
            lines << indent + group.lines.at(i);
        if (shown < group.lines.size())
            lines << indent + QStringLiteral("и ещё %1").arg(group.lines.size() - shown);
    }
    return lines;
}
