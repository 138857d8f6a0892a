#pragma once

#include "model/controllerstate.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The sensor section of the configuration image for one input, as the sensor settings write it:
// 0x02, name, index, model code, type, one channel sub-block per channel, 0x14, trailer, 0x03.
// Empty for a type without a section (0, unknown) or too few channels for the type.
QByteArray buildSensorSection(int index, int type, const QString &name, const QList<int> &channels,
                              const QList<CalibrationEntry> &calibration);
