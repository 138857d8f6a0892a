#include "cycle/calendartext.h"

#include "model/plan/scenariointervals.h"
#include "widgets/theme.h"

#include <algorithm>

namespace CalendarText {

namespace {
const char *const Months[] = {"ЯНВАРЬ", "ФЕВРАЛЬ", "МАРТ", "АПРЕЛЬ", "МАЙ", "ИЮНЬ",
                              "ИЮЛЬ", "АВГУСТ", "СЕНТЯБРЬ", "ОКТЯБРЬ", "НОЯБРЬ", "ДЕКАБРЬ"};
const char *const Weekdays[] = {"ПН", "ВТ", "СР", "ЧТ", "ПТ", "СБ", "ВС"};
QString twoDigits(int day)
{
    return QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0'));
}
} // namespace

QString monthName(int month)
{
    return month >= 1 && month <= 12 ? QString::fromUtf8(Months[month - 1]) : QString();
}

QString weekdayName(int weekday)
{
    return weekday >= 1 && weekday <= 7 ? QString::fromUtf8(Weekdays[weekday - 1]) : QString();
}

QString cardText(int index, const QDateTime &start, const QDateTime &end, bool hasComment)
{
    QString days = twoDigits(start.date().day());
    if (end.date() != start.date())
        days += QLatin1Char('-') + twoDigits(end.date().day());
    QString weekdays = weekdayName(start.date().dayOfWeek());
    if (end.date().dayOfWeek() != start.date().dayOfWeek())
        weekdays += QLatin1Char('-') + weekdayName(end.date().dayOfWeek());
    // the text takes the card's own colour, chosen to read on its background
    QString html = QStringLiteral("<html><body>"
                                  "<p align=\"center\" style=\"margin:0; white-space:nowrap\"><span style=\"font-size:16px; font-weight:700;\">%1</span></p>"
                                  "<p align=\"center\" style=\"margin:0; white-space:nowrap\"><span style=\"font-size:12px; text-decoration:overline;\">%2•%3</span></p>")
                       .arg(index + 1)
                       .arg(days, weekdays);
    if (hasComment)
        html += QStringLiteral("<p align=\"center\" style=\"margin:0; white-space:nowrap\"><span style=\"color:%1; font-size:19px;\">•</span></p>")
                    .arg(Theme::Done.name().toUpper());
    return html + QStringLiteral("</body></html>");
}

int colourNumber(int scenarioIndex)
{
    return scenarioIndex > 0 ? (scenarioIndex - 1) % Theme::ScenarioColourCount + 1 : 0;
}

QList<int> colourNumbers(const QList<int> &scenarioIndexes)
{
    QList<int> colours;
    colours.reserve(scenarioIndexes.size());
    for (int scenario : scenarioIndexes)
        colours.append(colourNumber(scenario));
    return colours;
}

CardLook colourLook(int colour)
{
    if (colour < 1 || colour > Theme::ScenarioColourCount)
        return {Theme::PageBackground, Theme::CardBackground};
    return {Theme::scenarioColour(colour), Theme::Focus};
}

CardLook selectedLook()
{
    return {Theme::SelectedCard, Theme::Done};
}

QList<LegendEntry> legend(const QList<CycleDay> &days, const QList<Scenario> &scenarios)
{
    QList<int> used;
    for (const CycleDay &day : days) {
        if (day.scenarioIndex > 0 && !used.contains(day.scenarioIndex))
            used.append(day.scenarioIndex);
    }
    std::sort(used.begin(), used.end());
    QList<LegendEntry> entries;
    for (int index : std::as_const(used)) {
        LegendEntry entry;
        entry.scenarioIndex = index;
        entry.colour = colourNumber(index);
        entry.name = index < scenarios.size() ? scenarios.at(index).name.trimmed() : QString();
        if (entry.name.isEmpty())
            entry.name = QStringLiteral("Сценарий %1").arg(index);
        entry.dates = scenarioIntervalTexts(days, index).join(QStringLiteral(", "));
        entries.append(entry);
    }
    return entries;
}

QString legendHtml(const QList<LegendEntry> &entries)
{
    QStringList items;
    for (const LegendEntry &entry : entries) {
        // a translucent colour is shown as it looks on the page
        const QColor swatch = Theme::composite(colourLook(entry.colour).background, Theme::PageBackground);
        items << QStringLiteral("<span style=\"color:%1; font-size:18px;\">■</span>&nbsp;%2&nbsp;<span style=\"color:%3;\">%4</span>")
                     .arg(swatch.name(), entry.name.toHtmlEscaped(), Theme::MutedText.name(), entry.dates);
    }
    return items.join(QStringLiteral("&nbsp;&nbsp;&nbsp; "));
}

QString cycleWord(int count)
{
    const int last = count % 10;
    const int lastTwo = count % 100;
    if (lastTwo >= 5 && lastTwo <= 20)
        return QStringLiteral(" ЦИКЛОВ•");
    if (last == 1)
        return QStringLiteral(" ЦИКЛ•");
    if (last >= 2 && last <= 4)
        return QStringLiteral(" ЦИКЛА • ");
    return QStringLiteral(" ЦИКЛОВ•");
}

QString summary(int count, const QDateTime &start, int cycleHours)
{
    const QDate first = start.date();
    const QDate last = start.addSecs(qint64(cycleHours) * 3600 * count).date();
    QString from = twoDigits(first.day());
    if (first.month() != last.month() || first.year() != last.year())
        from += QLatin1Char(' ') + genitiveMonthName(first.month());
    return QString::number(count) + cycleWord(count) + from + QStringLiteral(" – ") + twoDigits(last.day())
           + QLatin1Char(' ') + genitiveMonthName(last.month()) + QLatin1Char(' ') + QString::number(last.year());
}

} // namespace CalendarText
