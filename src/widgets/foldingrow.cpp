#include "widgets/foldingrow.h"

FoldingRow::FoldingRow(QWidget *parent) : QBoxLayout(LeftToRight, parent) {}

int FoldingRow::sideBySideWidth() const
{
    const QMargins m = contentsMargins();
    int width = m.left() + m.right();
    int shown = 0;
    for (int i = 0; i < count(); ++i) {
        QLayoutItem *item = itemAt(i);
        if (item->isEmpty())
            continue;
        width += item->sizeHint().width();
        ++shown;
    }
    return width + qMax(0, shown - 1) * qMax(0, spacing());
}

int FoldingRow::heightForWidth(int width) const
{
    const QMargins m = contentsMargins();
    const bool side = width >= sideBySideWidth();
    const int inner = width - m.left() - m.right();
    int height = 0;
    int shown = 0;
    for (int i = 0; i < count(); ++i) {
        QLayoutItem *item = itemAt(i);
        if (item->isEmpty())
            continue;
        const int itemHeight = item->hasHeightForWidth() && !side ? item->heightForWidth(inner) : item->sizeHint().height();
        height = side ? qMax(height, itemHeight) : height + itemHeight;
        ++shown;
    }
    if (!side)
        height += qMax(0, shown - 1) * qMax(0, spacing());
    return height + m.top() + m.bottom();
}

QSize FoldingRow::minimumSize() const
{
    // one group under another: the widest group's minimum
    const QMargins m = contentsMargins();
    int width = 0;
    for (int i = 0; i < count(); ++i) {
        if (!itemAt(i)->isEmpty())
            width = qMax(width, itemAt(i)->minimumSize().width());
    }
    return QSize(width + m.left() + m.right(), heightForWidth(sideBySideWidth()));
}

QSize FoldingRow::sizeHint() const
{
    const int width = sideBySideWidth();
    return QSize(width, heightForWidth(width));
}

void FoldingRow::setGeometry(const QRect &rect)
{
    const Direction wanted = rect.width() >= sideBySideWidth() ? LeftToRight : TopToBottom;
    if (direction() != wanted)
        setDirection(wanted);
    QBoxLayout::setGeometry(rect);
}
