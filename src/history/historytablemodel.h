#pragma once

#include "model/log/historytable.h"

#include <QAbstractTableModel>
#include <QStyledItemDelegate>

// The history rows for the table view: every cell is the rich text a label would show.
class HistoryTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setHeaders(const QStringList &headers);
    void setRows(QList<HistoryRow> rows);
    const QList<HistoryRow> &rows() const { return m_rows; }
    // The width each column needs for whole lines in its cells (padding included) and for the
    // longest word of its header (plus headerPadding). Cells of one kind (measurement, power
    // on, power off) have the same length, so a few rows of each kind are measured.
    QList<int> columnWidths(const QFont &cellFont, const QFont &headerFont, int headerPadding) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QStringList m_headers;
    QList<HistoryRow> m_rows;
};

// Draws a cell as the page's labels look: rich text, 10 px padding, the dark cell background.
// Painting lays out only the visible cells; the size comes from the number of paragraphs, so
// sizing a thousand rows costs no text layout.
class RichCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static constexpr int Padding = 10;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
