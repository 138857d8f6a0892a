#include "widgets/myheaderview.h"

#include <QFontMetrics>
#include <QStyleOptionHeader>

QSize MyHeaderView::sectionSizeFromContents(int logicalIndex) const
{
    if (!model())
        return QHeaderView::sectionSizeFromContents(logicalIndex);
    const QString text = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    const QFontMetrics metrics(font());
    // the caption wraps inside the section's padding and border, not across its whole width
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.section = logicalIndex;
    const int frame = style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(0, 0), this).width();
    const int width = qMax(1, sectionSize(logicalIndex) - frame);
    const int flags = int(defaultAlignment()) | Qt::TextWordWrap;
    const QRect bounds = metrics.boundingRect(QRect(0, 0, width, 50000), flags, text);
    return bounds.size() + QSize(15, 30);
}
