#include "scenario/daypreviewstrip.h"

#include "widgets/theme.h"

#include <QPainter>
#include <QPaintEvent>

namespace {

constexpr int RowHeight = 18;
constexpr int RowGap = 4;
constexpr int NameWidth = 150;
constexpr int LegendHeight = 20;

constexpr QColor OnColour = Theme::Brand;
constexpr QColor OffColour = Theme::Idle;
constexpr QColor SensorColour = Theme::Warning;
const QColor NightShade = Theme::withAlpha(Theme::Shadow, 90);  // darkens what lies under the night part
constexpr QColor TextColour = Theme::MutedText;

QColor colourOf(int state)
{
    switch (state) {
    case DayPreview::On:
        return OnColour;
    case DayPreview::BySensor:
        return SensorColour;
    default:
        return OffColour;
    }
}

} // namespace

DayPreviewStrip::DayPreviewStrip(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("dayPreview"));
    setAccessibleName(QStringLiteral("Работа устройств за цикл"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void DayPreviewStrip::setPlan(const QMap<int, SocketProgram> &sockets, const QMap<int, QString> &names, int dayHours,
                              int nightHours)
{
    m_spans.clear();
    for (auto it = sockets.cbegin(); it != sockets.cend(); ++it)
        m_spans.insert(it.key(), DayPreview::outputSpans(it.value(), dayHours, nightHours));
    m_names = names;
    m_dayMinutes = qMax(0, dayHours) * 60;
    m_cycleMinutes = m_dayMinutes + qMax(0, nightHours) * 60;
    updateGeometry();
    update();
}

QSize DayPreviewStrip::sizeHint() const
{
    return QSize(600, LegendHeight + int(m_spans.size()) * (RowHeight + RowGap));
}

QSize DayPreviewStrip::minimumSizeHint() const
{
    return QSize(NameWidth + 100, sizeHint().height());
}

void DayPreviewStrip::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QFont font(QStringLiteral("Inter"));
    font.setPixelSize(12);
    p.setFont(font);
    const int stripLeft = NameWidth;
    const int stripWidth = qMax(1, width() - NameWidth - 4);
    const auto xOf = [&](int minute) { return stripLeft + (m_cycleMinutes > 0 ? qint64(minute) * stripWidth / m_cycleMinutes : 0); };

    // legend: the phases and the three states
    p.setPen(TextColour);
    p.drawText(QRect(0, 0, NameWidth, LegendHeight), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Цикл"));
    int x = stripLeft;
    for (const auto &entry : {qMakePair(OnColour, QStringLiteral("ВКЛ")), qMakePair(OffColour, QStringLiteral("ВЫКЛ")),
                              qMakePair(SensorColour, QStringLiteral("по датчику"))}) {
        p.fillRect(QRect(x, 5, 10, 10), entry.first);
        p.drawText(QRect(x + 14, 0, 100, LegendHeight), Qt::AlignVCenter | Qt::AlignLeft, entry.second);
        x += 24 + p.fontMetrics().horizontalAdvance(entry.second);
    }
    if (m_dayMinutes < m_cycleMinutes)
        p.drawText(QRect(xOf(m_dayMinutes) + 4, 0, 80, LegendHeight), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("ночь"));

    int y = LegendHeight;
    for (auto it = m_spans.cbegin(); it != m_spans.cend(); ++it, y += RowHeight + RowGap) {
        const QString name = p.fontMetrics().elidedText(m_names.value(it.key()), Qt::ElideRight, NameWidth - 8);
        p.setPen(TextColour);
        p.drawText(QRect(0, y, NameWidth - 8, RowHeight), Qt::AlignVCenter | Qt::AlignLeft, name);
        for (const DayPreview::Span &span : it.value())
            p.fillRect(QRect(xOf(span.from), y, qMax(1, xOf(span.to) - xOf(span.from)), RowHeight), colourOf(span.state));
        if (m_dayMinutes < m_cycleMinutes)
            p.fillRect(QRect(xOf(m_dayMinutes), y, xOf(m_cycleMinutes) - xOf(m_dayMinutes), RowHeight), NightShade);
    }
}
