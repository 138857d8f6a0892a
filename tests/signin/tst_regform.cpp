#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

#include "signin/regform.h"
#include "widgets/infonote.h"
#include "widgets/theme.h"

class TestRegForm : public QObject
{
    Q_OBJECT

    template <typename T>
    static T *child(regform &f, const char *name)
    {
        return f.findChild<T *>(QString::fromLatin1(name));
    }
    static QColor textColour(const QLineEdit *edit) { return edit->palette().color(QPalette::Text); }

private slots:
    void cleanup()
    {
        closeNote();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void modes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("deleteTab");
        QTest::addColumn<QString>("loginTab");
        QTest::newRow("offline") << int(regform::Offline) << QStringLiteral("Контроллер не в сети") << true << true
                                 << QStringLiteral("Войти");
        QTest::newRow("create") << int(regform::CreateAccount) << QStringLiteral("Контроллер подключен") << false << false
                                << QStringLiteral("Создать аккаунт");
        QTest::newRow("sign in") << int(regform::SignIn) << QStringLiteral("Контроллер подключен") << false << true
                                 << QStringLiteral("Войти");
    }
    void modes()
    {
        QFETCH(int, mode);
        QFETCH(QString, state);
        QFETCH(bool, readOnly);
        QFETCH(bool, deleteTab);
        QFETCH(QString, loginTab);
        regform f;
        f.setDeviceId(QStringLiteral("AA:BB"));
        f.setFormMode(mode, QStringLiteral("grower"), QStringLiteral("pw"));
        QCOMPARE(child<QLabel>(f, "controllerStateTextLabel")->text(), state);
        QCOMPARE(child<QLineEdit>(f, "loginEdit")->isReadOnly(), readOnly);
        QCOMPARE(child<QLineEdit>(f, "passwordEdit")->isReadOnly(), readOnly);
        QCOMPARE(child<QPushButton>(f, "createLoginPageButton")->isEnabled(), deleteTab);
        QCOMPARE(child<QPushButton>(f, "loginPageButton")->text(), loginTab);
        QVERIFY(!child<QLabel>(f, "controllerConnectionStateLabel")->pixmap().isNull());
        const QString login = child<QLineEdit>(f, "loginEdit")->text();
        QCOMPARE(login, mode == regform::SignIn ? QStringLiteral("grower") : QString());
        QCOMPARE(f.deviceId().isEmpty(), mode == regform::Offline);
        if (mode == regform::Offline)
            QCOMPARE(child<QLabel>(f, "hintLabel")->text(),
                     QStringLiteral("Внимание! Подключите контроллер к питанию для авторизации/регистрации"));
        QCOMPARE(child<QStackedWidget>(f, "accountStackedWidget")->currentWidget()->objectName(), QStringLiteral("loginPage"));
    }

    // Focus turns the grey text dark; a remembered password survives a click into its field.
    void greyTextOnFocus_data()
    {
        QTest::addColumn<QString>("remembered");
        QTest::newRow("remembered password") << QStringLiteral("remembered");
        QTest::newRow("no password") << QString();
    }
    void greyTextOnFocus()
    {
        QFETCH(QString, remembered);
        regform f;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.setFormMode(regform::SignIn, QStringLiteral("grower"), remembered);
        auto *login = child<QLineEdit>(f, "loginEdit");
        auto *password = child<QLineEdit>(f, "passwordEdit");
        QCOMPARE(textColour(login), Theme::DarkText);
        QCOMPARE(textColour(password), remembered.isEmpty() ? Theme::PlaceholderText : Theme::DarkText);
        login->setFocus();
        QCOMPARE(login->text(), QStringLiteral("grower"));
        QTest::mouseClick(password, Qt::LeftButton);
        QVERIFY(password->hasFocus());
        QCOMPARE(password->text(), remembered);
        QCOMPARE(textColour(password), Theme::DarkText);
        // emptied edits turn grey again when editing finishes
        login->clear();
        password->clear();
        emit login->editingFinished();
        QCOMPARE(textColour(login), Theme::PlaceholderText);
        QCOMPARE(textColour(password), Theme::PlaceholderText);
    }

    void loginButtonMessages_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("emitted");
        QTest::newRow("offline") << int(regform::Offline) << QString() << QString()
                                 << QStringLiteral("Нет связи с устройством") << 0;
        QTest::newRow("no login") << int(regform::SignIn) << QString() << QStringLiteral("pw")
                                  << QStringLiteral("Задайте логин аккаунта") << 0;
        QTest::newRow("no password") << int(regform::CreateAccount) << QStringLiteral("a") << QString()
                                     << QStringLiteral("Задайте пароль аккаунта") << 0;
        QTest::newRow("both") << int(regform::SignIn) << QStringLiteral("a") << QStringLiteral("pw") << QString() << 1;
    }
    void loginButtonMessages()
    {
        QFETCH(int, mode);
        QFETCH(QString, login);
        QFETCH(QString, password);
        QFETCH(QString, note);
        QFETCH(int, emitted);
        regform f;
        f.setFormMode(mode);
        child<QLineEdit>(f, "loginEdit")->setText(login);
        child<QLineEdit>(f, "passwordEdit")->setText(password);
        QSignalSpy spy(&f, &regform::LoadAccount);
        QTest::mouseClick(child<QPushButton>(f, "loginButton"), Qt::LeftButton);
        QCOMPARE(spy.count(), emitted);
        QCOMPARE(currentNote() ? currentNote()->text() : QString(), note);
        if (emitted)
            QCOMPARE(spy.first().at(2).toInt(), 0);
    }

    void createModeAsksToSaveTheLogin()
    {
        regform f;
        f.setFormMode(regform::CreateAccount);
        child<QLineEdit>(f, "loginEdit")->setText(QStringLiteral("a"));
        child<QLineEdit>(f, "passwordEdit")->setText(QStringLiteral("b"));
        QSignalSpy create(&f, &regform::createAccountRequested);
        QTest::mouseClick(child<QPushButton>(f, "loginButton"), Qt::LeftButton);
        QCOMPARE(create.count(), 1);
    }

    void deletionAllowsEmptyPassword()
    {
        regform f;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.setFormMode(regform::SignIn, QStringLiteral("grower"));
        QSignalSpy spy(&f, &regform::LoadAccount);
        QTest::mouseClick(child<QPushButton>(f, "createLoginPageButton"), Qt::LeftButton);
        QCOMPARE(child<QStackedWidget>(f, "accountStackedWidget")->currentWidget()->objectName(),
                 QStringLiteral("createLoginPage"));
        QTest::mouseClick(child<QPushButton>(f, "registrationButton"), Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().at(0).toString(), QStringLiteral("grower"));
        QCOMPARE(spy.first().at(1).toString(), QString());
        QCOMPARE(spy.first().at(2).toInt(), 1);
    }
};

QTEST_MAIN(TestRegForm)
#include "tst_regform.moc"
