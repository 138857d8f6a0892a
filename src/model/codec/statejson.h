#pragma once

#include "model/codec/configimage.h"

#include <QJsonObject>
#include <QString>

// The decoded picture of a configuration image as JSON: what the inspector prints and reads back.
// The encoder's inputs are carried exactly (sensor sections verbatim as hex, thresholds as their
// bits), so that reading the JSON of a decoded image and encoding it gives the image again.
QJsonObject stateToJson(const ControllerState &state, const DecodeResult &result);

// Fills the decoded part of the state (inputs, sockets, work cycle, days, scenarios, scenario
// order) from JSON in that form; absent keys keep the empty form. On an error the state is left
// as it was and *error names the offending key, e.g. "scenarios[0].sockets[1].day[2].priority:
// expected an integer in 0..255".
bool stateFromJson(const QJsonObject &json, ControllerState &state, QString *error);
