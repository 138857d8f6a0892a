#pragma once

#include <QDateTime>
#include <QPushButton>
#include <QTextDocument>

// Push button whose text is rendered as HTML; carries a date-time for its owner (the calendar).
class button : public QPushButton
{
    Q_OBJECT
public:
    explicit button(QWidget *parent = nullptr);
    explicit button(const QString &text, QWidget *parent = nullptr);

    QDateTime dateTime() const { return m_dateTime; }
    void setDateTime(const QDateTime &dt) { m_dateTime = dt; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTextDocument m_document;
    QDateTime m_dateTime;
};
