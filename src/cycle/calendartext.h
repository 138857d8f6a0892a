#pragma once

#include "model/controllerstate.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QString>

// Texts and colours of the work-cycle calendar.
namespace CalendarText {

QString monthName(int month);      // 1..12
QString weekdayName(int weekday);  // 1 = Monday .. 7

// HTML of a cycle card: the cycle number, the day(s) of month and weekday(s) from its start to
// its last second, and a green dot when the day has a comment.
QString cardText(int index, const QDateTime &start, const QDateTime &end, bool hasComment);

// Colour number (0 = none, 1..22) of a scenario: its index in the plan's scenario list, so that a
// scenario keeps its colour wherever its days lie and whatever scenarios are added around it.
// The base scenario 0 stays uncoloured; after 22 the numbers start again at 1.
int colourNumber(int scenarioIndex);
QList<int> colourNumbers(const QList<int> &scenarioIndexes);

// Background and border of an unselected card of a colour number (0: the plain dark card), and of
// a selected card.
struct CardLook
{
    QColor background;
    QColor border;
};
CardLook colourLook(int colour);
CardLook selectedLook();

// One line of the calendar's legend: a scenario the days run, its colour and its dates.
struct LegendEntry
{
    int scenarioIndex = 0;
    int colour = 0;
    QString name;
    QString dates;  // "03-05 МАЯ, 20-22 МАЯ"

    bool operator==(const LegendEntry &other) const
    {
        return scenarioIndex == other.scenarioIndex && colour == other.colour && name == other.name && dates == other.dates;
    }
};
// The coloured scenarios the days run, by index; a scenario without a name is called by its number.
QList<LegendEntry> legend(const QList<CycleDay> &days, const QList<Scenario> &scenarios);
// The legend as rich text: a swatch of each colour with the scenario's name and dates.
QString legendHtml(const QList<LegendEntry> &entries);

// The word after the cycle count in the summary (" ЦИКЛ•", " ЦИКЛА • ", " ЦИКЛОВ•").
QString cycleWord(int count);

// The summary line of the calendar: the count, the start and the end of the work (after count
// cycles of cycleHours) with months in the genitive, and the end's year:
// "40 ЦИКЛОВ•25 НОЯБРЯ – 04 ЯНВАРЯ 2027", "5 ЦИКЛОВ•20 – 25 МАРТА 2026".
QString summary(int count, const QDateTime &start, int cycleHours);

} // namespace CalendarText
