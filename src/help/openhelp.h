#pragma once

class QWidget;
class infoclass;

// Opens the help of page 0..3 (work cycle, devices, scenario, history) centred over the main
// window, which is blurred while it is open. Returns the dialog (shown, not modal).
infoclass *openHelp(QWidget *from, int page);
