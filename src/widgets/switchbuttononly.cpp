#include "widgets/switchbuttononly.h"

#include "widgets/theme.h"

#include <QPainter>

switchbuttononly::switchbuttononly(QWidget *parent) : SwitchBase(parent)
{
    setStateValue(SWITCHBUTTONONLY::OFF);
}

void switchbuttononly::paintEvent(QPaintEvent *)
{
    if (!isEnabled())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    const int k = knobSize();
    p.setOpacity(on ? 0.8 : 0.38);
    p.setBrush(on ? Theme::Switch : Theme::SwitchOff);
    p.drawRoundedRect(QRect(0, 3, width(), height() - 4), 10, 10);
    p.setOpacity(1.0);
    p.setBrush(knobBrush);
    p.drawEllipse(QRect(sliderPosition(), knobY(), k - 4, k - 2));
}
