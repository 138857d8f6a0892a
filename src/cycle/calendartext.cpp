#include "cycle/calendartext.h"

#include "model/plan/scenariointervals.h"

namespace CalendarText {

namespace {
const char *const Months[] = {"ЯНВАРЬ", "ФЕВРАЛЬ", "МАРТ", "АПРЕЛЬ", "МАЙ", "ИЮНЬ",
                              "ИЮЛЬ", "АВГУСТ", "СЕНТЯБРЬ", "ОКТЯБРЬ", "НОЯБРЬ", "ДЕКАБРЬ"};
const char *const Weekdays[] = {"ПН", "ВТ", "СР", "ЧТ", "ПТ", "СБ", "ВС"};
// The card colours by number (1..22); the first two are translucent.
const QColor Colours[ColourCount] = {
    QColor(62, 144, 240, 62), QColor(222, 31, 240, 62), QColor(0xF0, 0x80, 0x80), QColor(0xFF, 0xA0, 0x7A),
    QColor(0xB2, 0x22, 0x22), QColor(0x00, 0x8B, 0x8B), QColor(0x00, 0x80, 0x00), QColor(0xD2, 0xB4, 0x8C),
    QColor(0xFF, 0x45, 0x00), QColor(0xD2, 0x69, 0x1E), QColor(0xFF, 0x00, 0xFF), QColor(0x94, 0x00, 0xD3),
    QColor(0x00, 0xFF, 0xFF), QColor(0xEE, 0x82, 0xEE), QColor(0x8A, 0x2B, 0xE2), QColor(0x8B, 0x00, 0x8B),
    QColor(0x4B, 0x00, 0x82), QColor(0x6A, 0x5A, 0xCD), QColor(0x66, 0xCD, 0xAA), QColor(0x20, 0xB2, 0xAA),
    QColor(0x00, 0x00, 0x8B), QColor(0x80, 0x80, 0x80)};

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

CardLook colourLook(int colour)
{
    if (colour < 1 || colour > ColourCount)
        return {QColor(0x2A, 0x2E, 0x30), QColor(0x1F, 0x23, 0x25)};
    return {Colours[colour - 1], QColor(0x3E, 0x90, 0xF0)};
}

CardLook selectedLook()
{
    return {QColor(63, 144, 120, 62), QColor(0x3F, 0xDD, 0x78)};
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
