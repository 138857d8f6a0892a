#pragma once

#include <QAbstractButton>
#include <QBrush>

class QPropertyAnimation;

// Common behaviour of the two animated on/off switches: state, knob travel and its animation.
// The subclasses give the geometry and the painting.
class SwitchBase : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(int sliderPosition READ sliderPosition WRITE setSliderPosition)

public:
    explicit SwitchBase(QWidget *parent = nullptr);

    bool isOn() const { return on; }
    int stateValue() const { return state; } // 0 = on, 1 = off
    int sliderPosition() const { return m_sliderPosition; }
    void setSliderPosition(int pos);
    QSize sizeHint() const override { return size(); }

signals:
    void switchClicked();

protected:
    // Knob geometry for the current size.
    virtual int knobY() const = 0;
    virtual int offPosition() const = 0;
    virtual int onPosition() const = 0;
    // Where the knob starts when the switch is turned on by a click.
    virtual int turnOnFrom() const = 0;
    int knobSize() const { return height() - 6; }

    void setStateValue(int s);
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEnterEvent *event) override;

    bool on = false;
    int state = 1;
    QBrush knobBrush;

private:
    void animateKnob(int from, int to);
    int m_sliderPosition = 0;
    QPropertyAnimation *m_animation;
};
