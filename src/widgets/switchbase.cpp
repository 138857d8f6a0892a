#include "widgets/switchbase.h"

#include "widgets/theme.h"

#include <QMouseEvent>
#include <QPropertyAnimation>

namespace {
constexpr int AnimationMs = 120;
}

SwitchBase::SwitchBase(QWidget *parent)
    : QAbstractButton(parent), knobBrush(Theme::Knob), m_animation(new QPropertyAnimation(this, "sliderPosition", this))
{
    m_animation->setDuration(AnimationMs);
}

void SwitchBase::setSliderPosition(int pos)
{
    m_sliderPosition = pos;
    update();
}

void SwitchBase::setStateValue(int s)
{
    // the status poll sets the state again and again: nothing to move or paint when it holds
    if (m_animation->state() != QAbstractAnimation::Running && state == (s == 0 ? 0 : 1)
        && m_sliderPosition == ((s == 0) ? onPosition() : offPosition()))
        return;
    m_animation->stop();
    on = (s == 0);
    state = on ? 0 : 1;
    m_sliderPosition = on ? onPosition() : offPosition();
    update();
}

void SwitchBase::animateKnob(int from, int to)
{
    m_animation->stop();
    m_animation->setStartValue(from);
    m_animation->setEndValue(to);
    m_animation->start();
}

void SwitchBase::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        on = !on;
        state = on ? 0 : 1;
        knobBrush = QBrush(Theme::Knob);
        if (on)
            animateKnob(turnOnFrom(), onPosition());
        else
            animateKnob(m_sliderPosition, offPosition());
        emit switchClicked();
    }
    QAbstractButton::mouseReleaseEvent(event);
}

void SwitchBase::resizeEvent(QResizeEvent *event)
{
    const int target = on ? onPosition() : offPosition();
    if (event->oldSize().width() == event->size().width())
        animateKnob(m_sliderPosition, target);
    else {
        m_animation->stop();
        m_sliderPosition = target;
    }
    QAbstractButton::resizeEvent(event);
    update();
}

void SwitchBase::enterEvent(QEnterEvent *event)
{
    setCursor(Qt::PointingHandCursor);
    QAbstractButton::enterEvent(event);
}
