#pragma once

#include "widgets/switchbase.h"

namespace SWITCHBUTTON {
enum ESwitchState { ON = 0, OFF = 1 };
}

// On/off switch with an ON/OFF caption, used on the socket and sensor tiles.
class SwitchButton : public SwitchBase
{
    Q_OBJECT
public:
    explicit SwitchButton(QWidget *parent = nullptr);
    SWITCHBUTTON::ESwitchState currentState() const { return SWITCHBUTTON::ESwitchState(state); }

public slots:
    // Shows the state without animation and without emitting switchClicked().
    void setCurrentState(SWITCHBUTTON::ESwitchState s) { setStateValue(s); }

protected:
    int knobY() const override { return 7; }
    int offPosition() const override { return width() / 2 + 4; }
    int onPosition() const override { return width() - knobSize() - 2; }
    int turnOnFrom() const override { return width() / 2 + 4; }
    void paintEvent(QPaintEvent *event) override;
};
