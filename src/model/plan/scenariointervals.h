#pragma once

#include "model/controllerstate.h"

#include <QStringList>

// The dates on which a scenario runs, one text per run of consecutive days: "03-05 МАЯ",
// "30 МАЯ-02 ИЮНЯ", "01 МАРТА".
QStringList scenarioIntervalTexts(const QList<CycleDay> &days, int scenarioIndex);

// Capital genitive month name, 1..12; empty otherwise.
QString genitiveMonthName(int month);
