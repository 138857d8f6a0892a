#pragma once

#include "link/signinmode.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

// The account form of the sign-in view: shows whether a controller is in range and offers to
// create the account, to sign in, or to delete the account.
class regform : public QWidget
{
    Q_OBJECT
public:
    // The link's form modes, under the form's own name.
    static constexpr int Offline = SignInMode::Offline;
    static constexpr int CreateAccount = SignInMode::CreateAccount;
    static constexpr int SignIn = SignInMode::SignIn;

    explicit regform(QWidget *parent = nullptr);
    ~regform() override;

    int mode() const { return m_mode; }
    void setFormMode(int mode, const QString &login = QString(), const QString &password = QString());
    void setDeviceId(const QString &text);
    // One line under the controller's state while the Bluetooth adapter is missing or off.
    void setAdapterProblem(bool problem);
    QString deviceId() const { return m_deviceId; }

    static QString supportAddress();

signals:
    void LoadAccount(const QString &login, const QString &passw, int deleteacc);
    void setBlurEffect(bool on);
    // The user asked to create the account (the login file is written when it succeeds).
    void createAccountRequested();

public slots:
    void on_loginPageButton_clicked();
    void on_createLoginPageButton_clicked();
    void on_closeAppButton_clicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onLoginButtonReleased();
    void onRegistrationButtonReleased();
    void onEditingFinished();
    void setGrey(QLineEdit *edit, bool grey);
    void setUserEdited(QLineEdit *edit, bool edited);
    bool userEdited(const QLineEdit *edit) const;
    void updateSupportText();

    int m_mode = Offline;
    QString m_deviceId;
    bool m_loginGrey = true;
    bool m_passwordGrey = true;
    bool m_loginUserEdited = false;
    bool m_passwordUserEdited = false;

    QLabel *m_statePicture;
    QLabel *m_stateText;
    QLabel *m_adapterText;
    QLabel *m_hint;
    QPushButton *m_loginPageButton;
    QPushButton *m_createLoginPageButton;
    QStackedWidget *m_accountStack;
    QWidget *m_loginPage;
    QWidget *m_createLoginPage;
    QLineEdit *m_loginEdit;
    QLineEdit *m_passwordEdit;
    QPushButton *m_loginButton;
    QLineEdit *m_passwordCreateEdit;
    QLabel *m_instruction;
    QPushButton *m_registrationButton;
    QLabel *m_support;
    QPushButton *m_closeAppButton;
};
