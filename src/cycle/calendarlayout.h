#pragma once

#include <QList>

// Which cards one page of the calendar shows and how. Cards fill two bands: the first holds the
// cards in the month of the page's first card, the second those of the following month; each band
// is filled row by row in cells of CellWidth x CellHeight pixels.
struct CalendarPage
{
    static constexpr int CellWidth = 88;
    static constexpr int CellHeight = 67;
    static constexpr int MaxColumns = 20;
    static constexpr int MonthLabelHeight = 50;  // room the second month's label takes

    int first = 0;       // index of the page's first card
    int columns = 1;
    int rows1 = 0;       // rows of the first band
    int rows2 = 0;       // rows of the second band (0 = one month visible)
    int shown1 = 0;      // cards shown in the first band
    int shown2 = 0;      // cards shown in the second band
    bool twoMonths = false;

    int visible() const { return shown1 + shown2; }
    int end() const { return first + visible(); }

    // monthKeys: one key per card (year * 12 + month - 1 of its start), in cycle order.
    static CalendarPage compute(const QList<int> &monthKeys, int first, int width, int height);
    // The first card of the page before the one starting at `first`: pages are counted from card
    // 0 forward, so going back shows exactly the pages that going forward showed.
    static int previousFirst(const QList<int> &monthKeys, int first, int width, int height);
};
