#pragma once

#include <QWidget>

// The account form of the sign-in view.
class regform : public QWidget
{
    Q_OBJECT
public:
    enum FormMode { Offline = 0, CreateAccount = 1, SignIn = 2 };
    explicit regform(QWidget *parent = nullptr);

    int mode() const { return m_mode; }
    void setFormMode(int mode, const QString &login = QString(), const QString &password = QString());

signals:
    void LoadAccount(const QString &login, const QString &passw, int deleteacc);
    void setBlurEffect(bool on);

private:
    int m_mode = Offline;
};
