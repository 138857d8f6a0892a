#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// Edits the note of one cycle day, or the scenario description (day -1). Saving and deleting
// write the files at once and close the dialog.
class comment : public QDialog
{
    Q_OBJECT
public:
    comment(QWidget *parent, int day);

    int day() const { return m_day; }
    QPlainTextEdit *plainTextEdit;

private slots:
    void on_save_released();
    void on_delete_2_released();

private:
    void finish(const QString &failedPath);
    int m_day;
};
