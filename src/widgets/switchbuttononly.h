#pragma once

#include "widgets/switchbase.h"

namespace SWITCHBUTTONONLY {
enum ESwitchState { ON = 0, OFF = 1 };
}

// Caption-less on/off switch.
class switchbuttononly : public SwitchBase
{
    Q_OBJECT
public:
    explicit switchbuttononly(QWidget *parent = nullptr);
    SWITCHBUTTONONLY::ESwitchState currentState() const { return SWITCHBUTTONONLY::ESwitchState(state); }

public slots:
    void setCurrentState(SWITCHBUTTONONLY::ESwitchState s) { setStateValue(s); }

protected:
    int knobY() const override { return 5; }
    int offPosition() const override { return 2; }
    int onPosition() const override { return width() - knobSize() + 2; }
    int turnOnFrom() const override { return 2; }
    void paintEvent(QPaintEvent *event) override;
};
