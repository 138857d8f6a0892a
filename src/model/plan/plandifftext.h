#pragma once

#include "model/controllerstate.h"

#include <QString>

// Texts of plan differences: one row of a plan and a measured value with its unit.

// "Климат: Температура выше 28 °C: ВЫКЛ, приоритет 2"; a timer row gives its clock time of start
// (from the plan's start), duration, period and count.
QString planRowText(const ControllerState &plan, const Condition &row);

// A value with up to two decimals, a point and a true minus sign, then its unit when it has one;
// withSign puts "+" before a positive value (calibration offsets).
QString planValueText(double value, const QString &unit, bool withSign = false);
