#pragma once

#include <QLineEdit>

// Line edit that ignores the mouse leaving it (keeps hover styling stable in the editor rows).
class inputval : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void leaveEvent(QEvent *) override {}
};
