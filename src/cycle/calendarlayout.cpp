#include "cycle/calendarlayout.h"

#include <algorithm>

namespace {
int ceilDiv(int a, int b)
{
    return (a + b - 1) / b;
}

// Cards from `from` on whose key is `key` (cards are in time order, so a month is one run).
int runLength(const QList<int> &keys, int from, int key)
{
    int n = 0;
    while (from + n < keys.size() && keys.at(from + n) == key)
        ++n;
    return n;
}
} // namespace

CalendarPage CalendarPage::compute(const QList<int> &monthKeys, int first, int width, int height)
{
    CalendarPage page;
    page.first = first;
    if (first < 0 || first >= monthKeys.size())
        return page;
    page.columns = std::clamp(width / CellWidth, 1, MaxColumns);
    const int key = monthKeys.at(first);
    const int count1 = runLength(monthKeys, first, key);
    const int count2 = runLength(monthKeys, first + count1, key + 1);
    const int r1 = ceilDiv(count1, page.columns);
    const int maxRows = std::max(1, (height - 5) / CellHeight);
    if (r1 >= maxRows) {
        page.rows1 = maxRows;
    } else {
        page.rows1 = r1;
        const int c = (height - 5 - MonthLabelHeight) / CellHeight;
        if (c > r1 && count2 > 0) {
            page.twoMonths = true;
            page.rows2 = std::min(ceilDiv(count2, page.columns), c - r1);
        }
    }
    page.shown1 = std::min(count1, page.rows1 * page.columns);
    page.shown2 = std::min(count2, page.rows2 * page.columns);
    return page;
}

int CalendarPage::previousFirst(const QList<int> &monthKeys, int first, int width, int height)
{
    int previous = 0;
    int start = 0;
    while (start < first && start < monthKeys.size()) {
        previous = start;
        const int next = compute(monthKeys, start, width, height).end();
        if (next <= start)
            break;
        start = next;
    }
    return previous;
}
