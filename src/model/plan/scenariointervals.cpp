#include "model/plan/scenariointervals.h"

namespace {

QString dayOfMonth(const QDateTime &t)
{
    return t.toString(QStringLiteral("dd"));
}

QString runText(const QDateTime &first, const QDateTime &last)
{
    const int m1 = first.date().month();
    const int m2 = last.date().month();
    if (m1 == m2) {
        if (first.date().day() == last.date().day())
            return dayOfMonth(first) + QLatin1Char(' ') + genitiveMonthName(m1);
        return dayOfMonth(first) + QLatin1Char('-') + dayOfMonth(last) + QLatin1Char(' ') + genitiveMonthName(m1);
    }
    return dayOfMonth(first) + QLatin1Char(' ') + genitiveMonthName(m1) + QLatin1Char('-') + dayOfMonth(last)
        + QLatin1Char(' ') + genitiveMonthName(m2);
}

} // namespace

QString genitiveMonthName(int month)
{
    static const char *const names[] = {"ЯНВАРЯ", "ФЕВРАЛЯ", "МАРТА", "АПРЕЛЯ", "МАЯ", "ИЮНЯ",
                                        "ИЮЛЯ", "АВГУСТА", "СЕНТЯБРЯ", "ОКТЯБРЯ", "НОЯБРЯ", "ДЕКАБРЯ"};
    if (month < 1 || month > 12)
        return QString();
    return QString::fromUtf8(names[month - 1]);
}

QStringList scenarioIntervalTexts(const QList<CycleDay> &days, int scenarioIndex)
{
    QStringList texts;
    int runStart = -1;
    for (int i = 0; i <= days.size(); ++i) {
        const bool match = i < days.size() && days.at(i).scenarioIndex == scenarioIndex;
        if (match && runStart < 0) {
            runStart = i;
        } else if (!match && runStart >= 0) {
            texts << runText(days.at(runStart).time, days.at(i - 1).time);
            runStart = -1;
        }
    }
    return texts;
}
