#include "model/plan/daypreview.h"

#include "model/numericutil.h"

#include <algorithm>

namespace DayPreview {

namespace {

// Repeats beyond one cycle never matter; counts from files are not trusted.
constexpr qint64 MaxRepeats = 2000;

struct Rule
{
    int priority = 0;
    int source = BaseStateSource;
    ConditionAction action = ConditionAction::On;
    QList<QPair<qint64, qint64>> windows; // timer: minutes it runs
};

bool running(const Rule &rule, int minute)
{
    return std::any_of(rule.windows.cbegin(), rule.windows.cend(),
                       [minute](const QPair<qint64, qint64> &w) { return minute >= w.first && minute < w.second; });
}

QList<Rule> rulesOf(const QList<Condition> &rows, int cycleMinutes)
{
    QList<Rule> rules;
    for (const Condition &row : rows) {
        Rule rule;
        rule.priority = row.priority;
        rule.source = row.source;
        rule.action = row.action;
        if (row.source == TimerSource) {
            const qint64 start = truncateToInt64(row.params.value(0));
            const qint64 duration = truncateToInt64(row.params.value(1));
            const qint64 period = truncateToInt64(row.params.value(2));
            const qint64 count = qBound(qint64(1), truncateToInt64(row.params.value(3)), MaxRepeats);
            for (qint64 i = 0; i < count; ++i) {
                const qint64 from = start + i * period;
                if (from >= cycleMinutes || (i > 0 && period <= 0))
                    break;
                rule.windows.append({from, from + duration});
            }
        }
        rules << rule;
    }
    // highest priority first; among equals the first row, as the controller reads them
    std::stable_sort(rules.begin(), rules.end(), [](const Rule &a, const Rule &b) { return a.priority > b.priority; });
    return rules;
}

int stateAt(const QList<Rule> &rules, int minute)
{
    for (const Rule &rule : rules) {
        if (rule.source == BaseStateSource)
            return rule.action == ConditionAction::On ? On : Off;
        if (rule.source == TimerSource) {
            if (running(rule, minute))
                return rule.action == ConditionAction::On ? On : Off;
            continue;
        }
        return BySensor; // a reading decides before anything lower is asked
    }
    return Off; // nothing applies
}

} // namespace

QList<Span> outputSpans(const SocketProgram &program, int dayHours, int nightHours)
{
    const int dayEnd = qMax(0, dayHours) * 60;
    const int cycle = dayEnd + qMax(0, nightHours) * 60;
    const QList<Rule> day = rulesOf(program.dayConditions, cycle);
    const QList<Rule> night = rulesOf(program.nightConditions, cycle);

    // The state changes only where a timer window or a phase begins or ends.
    QList<int> edges{0, dayEnd, cycle};
    for (const QList<Rule> *rules : {&day, &night})
        for (const Rule &rule : *rules)
            for (const auto &w : rule.windows)
                edges << int(qBound(qint64(0), w.first, qint64(cycle))) << int(qBound(qint64(0), w.second, qint64(cycle)));
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    QList<Span> spans;
    for (int i = 0; i + 1 < edges.size(); ++i) {
        const int from = edges.at(i);
        const int to = edges.at(i + 1);
        if (from >= to)
            continue;
        const int state = stateAt(from < dayEnd ? day : night, from);
        if (!spans.isEmpty() && spans.last().state == state && spans.last().to == from)
            spans.last().to = to;
        else
            spans << Span{from, to, state};
    }
    return spans;
}

} // namespace DayPreview
