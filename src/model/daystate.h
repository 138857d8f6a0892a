#pragma once

// State of one cycle day on the navigation panel's day bar. The link sets Begun and Ahead; the
// other two are the bar's own marks.
enum class DayState : int {
    Begun = 0,
    Flagged = 1,
    Ahead = 2,
    AheadOther = 3,
};
