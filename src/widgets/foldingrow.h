#pragma once

#include <QBoxLayout>

// A row of groups (buttons, fields) that stand side by side while the width holds them at their
// preferred sizes and one under another when it does not, so that a narrow window wraps the row
// instead of squeezing its texts.
class FoldingRow : public QBoxLayout
{
public:
    explicit FoldingRow(QWidget *parent = nullptr);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &rect) override;

private:
    // The width the groups take side by side at their preferred sizes, margins included.
    int sideBySideWidth() const;
};
