#pragma once

#include <QDialog>

class QPushButton;

// Renames a power socket. Opened modally from the socket's tile; on accept, name holds the new
// name.
class PowerSocketSettings : public QDialog
{
    Q_OBJECT
public:
    PowerSocketSettings(const QString &name, QWidget *parent = nullptr);

    QString name;  // the current name on entry, the new name on accept

private:
    QPushButton *m_cancelButton;
};
