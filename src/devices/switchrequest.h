#pragma once

class QWidget;

// Manual switching from the device tiles records the user's wish through the link's requests
// (link/requests.h); the exchange sequencer sends it on its next idle tick.

// Tells the user to stop the controller's work first. When the note is already shown, it only
// shortens it by one tick, so repeated clicks do not keep it open forever.
void showStopWorkNote(QWidget *parent);
