#include "model/plan/scenariovalidation.h"

#include "model/plan/timershift.h"

#include <QSet>

namespace {

bool fail(const NoteFn &note, const QString &message)
{
    if (note)
        note(message);
    return false;
}

double param(const Condition &row, int i)
{
    return i < row.params.size() ? row.params.at(i) : 0.0;
}

// The first timer message that applies to the row, or an empty text. Comparisons are written so
// that a missing or NaN value fails.
QString timerProblem(const Condition &row, int shift, qint64 cycleHours)
{
    if (shiftedTimerStart(param(row, 0), shift, cycleHours) < 0)
        return QStringLiteral("Некорректно задано время старта таймера устройства: %1");
    const double duration = param(row, 1);
    if (!(duration > 0))
        return QStringLiteral("Некорректно задано время окончания таймера устройства: %1");
    if (!(duration <= param(row, 2)))
        return QStringLiteral("ОШИБКА! <p> Период работы таймера устройства: %1 меньше длительности его работы");
    if (!(param(row, 3) >= 1))
        return QStringLiteral("Некорректно задано кол-во периодов работы таймера устройства: %1");
    return QString();
}

} // namespace

bool validateConditionList(const ControllerState &state, const QList<Condition> &list, bool night,
                           int output, const NoteFn &note)
{
    const QString name = outputName(state, output);
    if (list.isEmpty()) {
        return fail(note, (night ? QStringLiteral("Не задано ночное состояние  для <p>")
                                 : QStringLiteral("Не задано дневное состояние  для <p>")) + name);
    }

    const QString conflict = QStringLiteral("Одинаковый приоритет %2 условий ВКЛ и ВЫКЛ устройства: <p> %1")
                                 .arg(name, night ? QStringLiteral("ночных") : QStringLiteral("дневных"));
    const int shift = computeTimerShiftMinutes(state);
    const qint64 cycleHours = qint64(state.editedDayHours) + state.editedNightHours;

    QSet<int> onPriorities;
    QSet<int> offPriorities;
    bool hasBase = false;
    bool hasOn = false;
    bool hasOff = false;
    for (const Condition &row : list) {
        const bool on = row.action == ConditionAction::On;  // anything else is written as Off
        if (row.kind == ConditionKind::Interval) {
            if (onPriorities.contains(row.priority) || offPriorities.contains(row.priority))
                return fail(note, conflict);
            onPriorities.insert(row.priority);
            offPriorities.insert(row.priority);
        } else {
            (on ? onPriorities : offPriorities).insert(row.priority);
            if ((on ? offPriorities : onPriorities).contains(row.priority))
                return fail(note, conflict);
        }
        if (row.source == BaseStateSource)
            hasBase = true;
        (on ? hasOn : hasOff) = true;
        if (row.source == TimerSource) {
            const QString problem = timerProblem(row, shift, cycleHours);
            if (!problem.isEmpty())
                return fail(note, problem.arg(name));
        }
    }

    if (!hasBase) {
        const QString word = night ? QStringLiteral("ночного") : QStringLiteral("дневного");
        if (!hasOn)
            return fail(note, QStringLiteral("Нет условия %2 включения для <p> %1").arg(name, word));
        if (!hasOff)
            return fail(note, QStringLiteral("Нет условия %2 выключения для <p> %1").arg(name, word));
    }
    return true;
}

bool validateScenario(const ControllerState &state, const Scenario &scenario, const NoteFn &note)
{
    for (auto it = scenario.sockets.cbegin(); it != scenario.sockets.cend(); ++it) {
        if (!validateConditionList(state, it->dayConditions, false, it.key(), note))
            return false;
        if (!validateConditionList(state, it->nightConditions, true, it.key(), note))
            return false;
    }
    return true;
}
