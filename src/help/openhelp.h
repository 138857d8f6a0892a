#pragma once

class QWidget;

// Opens the help of page 0..3 (work cycle, devices, scenario, history) centred over the main
// window, which is blurred while it is open. Returns the dialog (shown, not modal).
class infoclass;
infoclass *openHelp(QWidget *from, int page);
