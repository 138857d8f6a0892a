#pragma once

#include <QObject>

class QComboBox;

// Hands wheel events over a combo box to the given widget (the row's table), so that scrolling
// over a row scrolls the table instead of changing a choice.
class ComboWheelFilter : public QObject
{
    Q_OBJECT
public:
    explicit ComboWheelFilter(QWidget *cell);
    void watch(QComboBox *combo);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_cell;
};
