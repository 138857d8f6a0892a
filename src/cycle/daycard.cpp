#include "cycle/daycard.h"

#include <QMouseEvent>

DayCard::DayCard(int index, bool placeholder, QWidget *parent) : button(parent), m_index(index), m_placeholder(placeholder)
{
    setFixedHeight(63);
    setMaximumWidth(85);
    setFocusPolicy(Qt::NoFocus);
    if (placeholder) {
        setEnabled(false);
        setFlat(true);
        setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: none; }"));
    }
}

void DayCard::mousePressEvent(QMouseEvent *event)
{
    m_modifiers = event->modifiers();
    button::mousePressEvent(event);
}
