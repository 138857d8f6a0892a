#pragma once

class QWidget;

// Manual switching from the device tiles. The tiles only record what the user asked for; the
// exchange sequencer sends it on its next idle tick.

// Outputs 1..4 are the sockets, 5..10 the relay outputs of sensor inputs 1..6.
constexpr int SensorOutputOffset = 4;

// Records the wish to switch an output on or off. A newer wish for the same output replaces an
// older one that has not been sent yet, so the last click always wins.
void requestOutputSwitch(int output, bool on);

// True while a switch request is waiting to be sent.
bool switchRequestPending();

// Tells the user to stop the controller's work first. When the note is already shown, it only
// shortens it by one tick, so repeated clicks do not keep it open forever.
void showStopWorkNote(QWidget *parent);
