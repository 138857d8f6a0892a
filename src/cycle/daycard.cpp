#include "cycle/daycard.h"

#include "widgets/theme.h"

#include <QAbstractTextDocumentLayout>
#include <QMouseEvent>
#include <QPainter>

DayCard::DayCard(int index, bool placeholder, QWidget *parent) : button(parent), m_index(index), m_placeholder(placeholder)
{
    setFixedHeight(63);
    setMaximumWidth(85);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    m_text.setDocumentMargin(2);
    if (placeholder)
        setEnabled(false);
}

void DayCard::setCardText(const QString &html)
{
    if (html == text())
        return;
    setText(html);
    m_text.setHtml(html);
    setAccessibleName(m_text.toPlainText().simplified());
    m_text.setTextWidth(width());
    update();
}

void DayCard::setLook(const QColor &background, const QColor &border)
{
    if (background == m_background && border == m_border)
        return;
    m_background = background;
    m_border = border;
    update();
}

void DayCard::mousePressEvent(QMouseEvent *event)
{
    m_modifiers = event->modifiers();
    button::mousePressEvent(event);
}

void DayCard::resizeEvent(QResizeEvent *event)
{
    button::resizeEvent(event);
    m_text.setTextWidth(width());
}

void DayCard::paintEvent(QPaintEvent *)
{
    if (m_placeholder)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(m_border, 1));
    painter.setBrush(m_background);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);

    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = palette();
    context.palette.setColor(QPalette::Text, textColour());
    const qreal top = (height() - m_text.size().height()) / 2.0;
    painter.translate(0, top > 0 ? top : 0);
    m_text.documentLayout()->draw(&painter, context);
}
