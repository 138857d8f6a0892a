#include "history/historychartpalette.h"

#include "devices/devicestyle.h"
#include "model/log/historytable.h"

#include <QList>
#include <QRegularExpression>

namespace {

// A style-sheet colour: "#rrggbb", "rgb(r, g, b)" or "rgba(r, g, b, alpha 0..1)".
QColor cssColour(const QString &css)
{
    static const QRegularExpression rgb(QStringLiteral(R"(rgba?\(\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*(?:,\s*([\d.]+)\s*)?\))"));
    const QRegularExpressionMatch m = rgb.match(css);
    if (!m.hasMatch())
        return QColor::fromString(css);
    QColor c(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (m.hasCaptured(4))
        c.setAlphaF(float(m.captured(4).toDouble()));
    return c;
}

QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

} // namespace

namespace HistoryChartPalette {

QColor background()
{
    return cssColour(DevicesStyle::PageBackground);
}

QColor text()
{
    return cssColour(DevicesStyle::Text);
}

QColor grid()
{
    return withAlpha(text(), 28);
}

QColor dayBand()
{
    return withAlpha(cssColour(DevicesStyle::Yellow), 16);
}

QColor nightBand()
{
    return cssColour(DevicesStyle::CardBackground);
}

QColor outOfLimits()
{
    return withAlpha(cssColour(QString::fromLatin1(HistoryText::HitColour)), 70);
}

QColor powerOn()
{
    return cssColour(DevicesStyle::Green);
}

QColor powerOff()
{
    return cssColour(QString::fromLatin1(HistoryText::HitColour));
}

QColor series(int index)
{
    static const QList<QColor> colours{cssColour(DevicesStyle::Green), cssColour(DevicesStyle::Yellow),
                                       cssColour(DevicesStyle::Grey), cssColour(DevicesStyle::Text)};
    return colours.at(index % colours.size());
}

} // namespace HistoryChartPalette
