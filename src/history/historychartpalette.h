#pragma once

#include <QColor>

// The few colours of the history chart, each taken from the program's palette in one place.
namespace HistoryChartPalette {

QColor background();
QColor text();
QColor grid();
QColor dayBand();
QColor nightBand();
QColor outOfLimits();   // the table's hit colour, translucent for a shaded run
QColor powerOn();
QColor powerOff();
// The lines of a panel, by their order in it.
QColor series(int index);

} // namespace HistoryChartPalette
