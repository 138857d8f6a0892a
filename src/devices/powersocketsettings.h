#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Renames a power socket. Opened modally from the socket's tile; on accept, name holds the new
// name (at most 255 UTF-8 bytes: the field keeps no more).
class PowerSocketSettings : public QDialog
{
    Q_OBJECT
public:
    PowerSocketSettings(const QString &name, QWidget *parent = nullptr);

    QString name;  // the current name on entry, the new name on accept

    QLineEdit *nameEdit;
    QPushButton *acceptButton;
    QPushButton *cancelButton;

public slots:
    void on_acceptButton_clicked();
    void on_cancelButton_clicked();
};
