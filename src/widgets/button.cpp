#include "widgets/button.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

button::button(QWidget *parent) : QPushButton(parent) {}

button::button(const QString &text, QWidget *parent) : QPushButton(text, parent) {}

void button::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    m_document.setDefaultFont(font());
    m_document.setHtml(text());
    m_document.setTextWidth(width());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = palette();
    context.palette.setColor(QPalette::Text, palette().color(QPalette::ButtonText));
    const qreal top = (height() - m_document.size().height()) / 2.0;
    painter.translate(0, top > 0 ? top : 0);
    m_document.documentLayout()->draw(&painter, context);
}
