#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTextEdit;

// A removable name row of the scenario editor: icon, caption, text area, remove button.
// Kind 1: "ДАТЧИК"; kind 2: "ТАЙМЕР" with a short text area; other kinds: no caption.
// Kind 0 cannot be removed.
class nameitrm : public QWidget
{
    Q_OBJECT
public:
    explicit nameitrm(int kind, QWidget *parent = nullptr);

    int kind() const { return m_kind; }
    // The row's caption: shown in the text area and as its tooltip; ref is the row's source input.
    void setCaption(int ref, const QString &text);
    int ref() const { return m_ref; }
    QLabel *caption() const { return m_caption; }
    QTextEdit *textArea() const { return m_text; }
    QPushButton *removeButton() const { return m_remove; }
    // Room for the longest word of the text: a name is never broken inside a word.
    QSize minimumSizeHint() const override;

signals:
    void removeItem();

public slots:
    void on_removeButton_clicked();

private:
    int m_kind;
    int m_ref = -1;
    QLabel *m_caption;
    QTextEdit *m_text;
    QPushButton *m_remove;
};
