#include "history/historychartpalette.h"

#include "model/log/historytable.h"
#include "widgets/theme.h"

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

} // namespace

namespace HistoryChartPalette {

QColor background()
{
    return Theme::PageBackground;
}

QColor text()
{
    return Theme::Text;
}

QColor grid()
{
    return Theme::withAlpha(text(), 28);
}

QColor dayBand()
{
    return Theme::withAlpha(Theme::Attention, 16);
}

QColor nightBand()
{
    return Theme::CardBackground;
}

QColor outOfLimits()
{
    return Theme::withAlpha(cssColour(QString::fromLatin1(HistoryText::HitColour)), 70);
}

QColor powerOn()
{
    return Theme::Brand;
}

QColor powerOff()
{
    return cssColour(QString::fromLatin1(HistoryText::HitColour));
}

QColor series(int index)
{
    static const QList<QColor> colours{Theme::Brand, Theme::Attention,
                                       Theme::MutedText, Theme::Text};
    return colours.at(index % colours.size());
}

} // namespace HistoryChartPalette
