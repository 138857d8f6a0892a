#pragma once

#include "widgets/button.h"

// One cycle card of the calendar, or a placeholder that fills an empty grid cell.
class DayCard : public button
{
    Q_OBJECT
public:
    static constexpr int Selected = 3;

    DayCard(int index, bool placeholder, QWidget *parent);

    int index() const { return m_index; }
    bool isPlaceholder() const { return m_placeholder; }
    int scenarioIndex = 0;
    int selectState = 0;  // Selected or 0
    int colour = 0;       // 0 = none, 1..22
    // Keyboard modifiers of the click that last pressed the card.
    Qt::KeyboardModifiers clickModifiers() const { return m_modifiers; }

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    int m_index;
    bool m_placeholder;
    Qt::KeyboardModifiers m_modifiers = Qt::NoModifier;
};
