#include "cycle/calendartext.h"

namespace CalendarText {

namespace {
const char *const Months[] = {"ЯНВАРЬ", "ФЕВРАЛЬ", "МАРТ", "АПРЕЛЬ", "МАЙ", "ИЮНЬ",
                              "ИЮЛЬ", "АВГУСТ", "СЕНТЯБРЬ", "ОКТЯБРЬ", "НОЯБРЬ", "ДЕКАБРЬ"};
const char *const Weekdays[] = {"ПН", "ВТ", "СР", "ЧТ", "ПТ", "СБ", "ВС"};
const char *const Colours[ColourCount] = {
    "rgba(62, 144, 240, 62)", "rgba(222, 31, 240, 62)", "#F08080", "#FFA07A", "#B22222", "#008B8B",
    "#008000", "#D2B48C", "#FF4500", "#D2691E", "#FF00FF", "#9400D3", "#00FFFF", "#EE82EE",
    "#8A2BE2", "#8B008B", "#4B0082", "#6A5ACD", "#66CDAA", "#20B2AA", "#00008B", "#808080"};

QString cardStyle(const QString &background, const QString &border)
{
    return QStringLiteral("QPushButton { background-color: %1; border: 1px solid %2; border-radius: 6px; "
                          "color: rgb(200, 204, 206); }")
        .arg(background, border);
}

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
    QString html = QStringLiteral("<html><body>"
                                  "<p align=\"center\" style=\"margin:0; white-space:nowrap\"><span style=\"color:#ffffff; font-size:16px; font-weight:700;\">%1</span></p>"
                                  "<p align=\"center\" style=\"margin:0; white-space:nowrap\"><span style=\"font-size:12px; text-decoration:overline;\">%2•%3</span></p>")
                       .arg(index + 1)
                       .arg(days, weekdays);
    if (hasComment)
        html += QStringLiteral("<p align=\"center\" style=\"margin:0; white-space:nowrap\"><span style=\"color:#3FDD78; font-size:19px;\">•</span></p>");
    return html + QStringLiteral("</body></html>");
}

QList<int> colourNumbers(const QList<int> &scenarioIndexes)
{
    QList<int> colours;
    colours.reserve(scenarioIndexes.size());
    int colour = 0;
    int previous = -1;
    for (int scenario : scenarioIndexes) {
        if (scenario == 0) {
            colours.append(0);
            continue;
        }
        if (colour == 0)
            colour = 1;
        else if (scenario != previous)
            colour = colour % ColourCount + 1;
        previous = scenario;
        colours.append(colour);
    }
    return colours;
}

QString colourStyle(int colour)
{
    if (colour < 1 || colour > ColourCount)
        return cardStyle(QStringLiteral("#2A2E30"), QStringLiteral("#1F2325"));
    return cardStyle(QString::fromLatin1(Colours[colour - 1]), QStringLiteral("#3E90F0"));
}

QString selectedStyle()
{
    return cardStyle(QStringLiteral("rgba(63, 144, 120, 62)"), QStringLiteral("#3FDD78"));
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

QString summary(int count, const QDateTime &start, const QDateTime &end, bool twoMonths, int firstMonth, int secondMonth)
{
    QString text = QString::number(count) + cycleWord(count);
    if (twoMonths) {
        text += twoDigits(start.date().day()) + QLatin1Char(' ') + monthName(firstMonth) + QLatin1Char('-')
                + twoDigits(end.date().day()) + QLatin1Char(' ') + monthName(secondMonth);
    } else {
        text += twoDigits(start.date().day()) + QLatin1Char('-') + twoDigits(end.date().day()) + QLatin1Char(' ')
                + monthName(firstMonth);
    }
    return text + QLatin1Char(' ') + QString::number(start.date().year());
}

} // namespace CalendarText
