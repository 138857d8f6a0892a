#pragma once

class QLineEdit;

// Keeps a name field within what the configuration image can store (255 UTF-8 bytes): a longer
// text is cut at a character boundary right in the field, so the user sees what will be kept.
void limitNameField(QLineEdit *edit);
