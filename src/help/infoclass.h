#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class VideoWidget;

// The help dialog of one page: a frameless window over the blurred main window with the page's
// title and its videos, texts and pictures in a scroll area. A press anywhere outside it closes it.
class infoclass : public QDialog
{
    Q_OBJECT
public:
    infoclass(int page, int width, int height, QWidget *parent = nullptr);
    ~infoclass() override;

    QLabel *header;
    QPushButton *pushButton;
    QScrollArea *scrollArea;
    QWidget *scrollAreaWidgetContents;

    QList<VideoWidget *> videos() const;

public slots:
    void on_pushButton_released();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addItems(int page, int width, int height);
    QVBoxLayout *m_contentLayout;
};

// Program-wide: help dialogs open now, and the last one opened (null once it is gone).
extern int openHelpDialogs;
extern infoclass *lastHelpDialog;
