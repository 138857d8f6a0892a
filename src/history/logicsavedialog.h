#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The period of the history page: first and last day, "dd.MM.yyyy". Program-wide; the dialog
// writes it, the page reads it.
struct HistoryPeriod
{
    QString periodStartText;
    QString periodEndText;

    void reset() { *this = HistoryPeriod(); }
};

HistoryPeriod &historyPeriod();

// The period dialog of the history page: a frameless window over the blurred main window with the
// first and last day. "Продолжить" stores the texts and emits contin(); "Отмена" emits none().
class logicsavedialog : public QDialog
{
    Q_OBJECT
public:
    explicit logicsavedialog(QWidget *parent = nullptr);
    ~logicsavedialog() override;

    QLineEdit *startdat;
    QLineEdit *enddat;
    QPushButton *cancel;
    QPushButton *save;

signals:
    void contin();
    void none();

public slots:
    void on_save_clicked();
    void on_cancel_clicked();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *mainWindow() const;
    void setMainWindowBlur(bool on);
};
