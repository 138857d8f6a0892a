#pragma once

#include <QHeaderView>

// Header whose sections grow to fit their word-wrapped captions (history table).
class MyHeaderView : public QHeaderView
{
    Q_OBJECT
public:
    using QHeaderView::QHeaderView;

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override;
};
