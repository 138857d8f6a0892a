#include "widgets/switchbutton.h"

#include "widgets/theme.h"

#include <QPainter>

SwitchButton::SwitchButton(QWidget *parent) : SwitchBase(parent)
{
    setStateValue(SWITCHBUTTON::OFF);
}

void SwitchButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    const int w = width();
    const int h = height();
    const int k = knobSize();

    p.setBrush(Theme::Shadow);
    p.drawRoundedRect(QRect(2, 2, w - 2, h - 2), 6, 6);

    QFont f = font();
    f.setWeight(QFont::Bold);
    if (f.pointSize() > 1)
        f.setPointSize(f.pointSize() - 1);
    p.setFont(f);
    p.setPen(Theme::OnColourLight);
    p.drawText(QRect(4, 4, w / 2 - 4, h - 6), Qt::AlignCenter, on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    p.setPen(Qt::NoPen);

    if (!isEnabled())
        return;
    p.setOpacity(on ? 0.8 : 0.38);
    p.setBrush(on ? Theme::Switch : Theme::SwitchOff);
    p.drawRoundedRect(QRect(w / 2, 5, w / 2 - 4, h - 8), 8, 8);
    p.setOpacity(1.0);
    p.setBrush(knobBrush);
    p.drawEllipse(QRect(sliderPosition(), knobY(), k - 6, k - 6));
}
