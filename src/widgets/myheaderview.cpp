#include "widgets/myheaderview.h"

#include <QFontMetrics>

QSize MyHeaderView::sectionSizeFromContents(int logicalIndex) const
{
    if (!model())
        return QHeaderView::sectionSizeFromContents(logicalIndex);
    const QString text = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    const QFontMetrics metrics(font());
    const int width = sectionSize(logicalIndex);
    const int flags = int(defaultAlignment()) | Qt::TextWordWrap;
    const QRect bounds = metrics.boundingRect(QRect(0, 0, width, 50000), flags, text);
    return bounds.size() + QSize(15, 30);
}
