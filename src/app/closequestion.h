#pragma once

class QWidget;

// The questions of a window closed while a plan is being written to the controller.
namespace CloseQuestion {

// "Wait for the end and close?" True for yes.
bool askWhileWriting(QWidget *parent);
// The writing did not end well: says what is left unwritten before the window goes.
void tellUnwritten(QWidget *parent);

} // namespace CloseQuestion
