#include "scenario/combowheelfilter.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>

ComboWheelFilter::ComboWheelFilter(QWidget *cell) : QObject(cell), m_cell(cell)
{
}

void ComboWheelFilter::watch(QComboBox *combo)
{
    combo->setFocusPolicy(Qt::StrongFocus);
    combo->installEventFilter(this);
}

bool ComboWheelFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    if (QWidget *target = m_cell->parentWidget())
        QCoreApplication::sendEvent(target, event);
    return true;
}
