#include "history/historytablemodel.h"

#include "widgets/theme.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QRegularExpression>
#include <QtMath>
#include <QTextDocument>

void HistoryTableModel::setHeaders(const QStringList &headers)
{
    beginResetModel();
    m_headers = headers;
    m_rows.clear();
    endResetModel();
}

void HistoryTableModel::setRows(QList<HistoryRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int HistoryTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int HistoryTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant HistoryTableModel::data(const QModelIndex &index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::AccessibleTextRole) || !index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const QString cell = m_rows.at(index.row()).cells.value(index.column());
    if (role == Qt::DisplayRole || !Qt::mightBeRichText(cell))
        return cell;
    // assistive technologies read the cell's words, one line after another
    QTextDocument doc;
    doc.setHtml(cell);
    return doc.toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QStringLiteral(", ")).simplified();
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal)
        return m_headers.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags HistoryTableModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

QList<int> HistoryTableModel::columnWidths(const QFont &cellFont, const QFont &headerFont, int headerPadding) const
{
    const QFontMetricsF headerMetrics(headerFont);
    QList<int> widths;
    for (const QString &header : std::as_const(m_headers)) {
        qreal word = 0;
        for (const QString &part : header.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
            word = qMax(word, headerMetrics.horizontalAdvance(part));
        widths.append(qCeil(word) + headerPadding);
    }
    constexpr int RowsPerKind = 3;
    QMap<int, int> measured;  // event kind -> rows measured
    QTextDocument doc;
    doc.setDocumentMargin(0);
    doc.setDefaultFont(cellFont);
    for (const HistoryRow &row : m_rows) {
        if (measured[row.event]++ >= RowsPerKind)
            continue;
        for (int column = 0; column < row.cells.size() && column < widths.size(); ++column) {
            const QString &text = row.cells.at(column);
            if (Qt::mightBeRichText(text))
                doc.setHtml(text);
            else
                doc.setPlainText(text);
            widths[column] = qMax(widths.at(column), qCeil(doc.idealWidth()) + 2 * RichCellDelegate::Padding);
        }
    }
    return widths;
}

void RichCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    painter->fillRect(option.rect, Theme::PageBackground);
    const QString text = index.data().toString();
    if (!text.isEmpty()) {
        QTextDocument doc;
        doc.setDocumentMargin(0);
        doc.setDefaultFont(option.font);
        doc.setDefaultStyleSheet(QStringLiteral("body { color: %1; }").arg(Theme::Text.name()));
        if (Qt::mightBeRichText(text))
            doc.setHtml(text);
        else
            doc.setPlainText(text);
        const QRect area = option.rect.adjusted(Padding, Padding, -Padding, -Padding);
        painter->translate(area.topLeft());
        painter->setClipRect(QRect(QPoint(0, 0), area.size()));
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette.setColor(QPalette::Text, Theme::Text);
        doc.documentLayout()->draw(painter, context);
    }
    painter->restore();
}

QSize RichCellDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QString text = index.data().toString();
    const int paragraphs = qMax<qsizetype>(1, text.count(QLatin1String("<p ")));
    const QFontMetrics metrics(option.font);
    return QSize(metrics.horizontalAdvance(QStringLiteral("00.00.0000  00:00")) + 2 * Padding,
                 paragraphs * metrics.lineSpacing() + 2 * Padding);
}
