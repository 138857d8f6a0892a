#pragma once

#include "widgets/button.h"
#include "widgets/theme.h"

#include <QColor>
#include <QTextDocument>

// One cycle card of the calendar, or a placeholder that fills an empty grid cell. A card paints
// its own rounded box and keeps its text laid out, so that a calendar of 80 cards builds and
// repaints well within one tick (style sheets and re-parsing the HTML on every paint do not).
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

    // The card's HTML (also its text()).
    void setCardText(const QString &html);
    void setLook(const QColor &background, const QColor &border);
    QColor background() const { return m_background; }
    QColor border() const { return m_border; }
    // The colour of the card's text: light or dark, whichever reads on its background.
    QColor textColour() const { return Theme::textOn(m_background); }
    // Keyboard modifiers of the click that last pressed the card.
    Qt::KeyboardModifiers clickModifiers() const { return m_modifiers; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int m_index;
    bool m_placeholder;
    Qt::KeyboardModifiers m_modifiers = Qt::NoModifier;
    QColor m_background;
    QColor m_border;
    QTextDocument m_text;
};
