#include <QRegularExpression>
#include <QTest>

#include "bluezfixture.h"

namespace {
const QString Second = QStringLiteral("0A:0B:0C:0D:0E:02");
QString key(const char *name) { return QString::fromLatin1(name); }
} // namespace

// Discovery, accounts and the link's losses through the program's Qt Bluetooth backend and the
// test daemon: what the window shows and what the simulated controller holds afterwards.
class TestBluezSignIn : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(BluezDaemon::instance().start(&error), qPrintable(error));
    }
    void init() { m_dir.reset(new TempWorkDir); }
    void cleanup() { m_dir.reset(); }

    void discoveryShowsAdvertisedLogin_data()
    {
        QTest::addColumn<QByteArray>("login");
        QTest::addColumn<int>("mode");
        QTest::newRow("account") << QByteArray("grower") << int(regform::SignIn);
        QTest::newRow("no account") << QByteArray() << int(regform::CreateAccount);
    }
    void discoveryShowsAdvertisedLogin()
    {
        QFETCH(QByteArray, login);
        QFETCH(int, mode);
        BluezFixture f;
        QVERIFY(f.addController());
        if (!login.isEmpty())
            QVERIFY(f.createAccount(login, "green42"));
        f.openWindow();
        QVERIFY(f.discover());
        QCOMPARE(f.form()->mode(), mode);
        if (mode == regform::SignIn)
            QCOMPARE(f.edit("loginEdit")->text(), QString::fromUtf8(login));
        QCOMPARE(f.window->link()->currentAddress(), 0x0A0B0C0D0E01ULL);
    }

    void accountCreation()
    {
        BluezFixture f;
        QVERIFY(f.addController());
        f.openWindow();
        QVERIFY(f.discover());
        QCOMPARE(f.form()->mode(), int(regform::CreateAccount));
        QVERIFY(f.signIn());
        const QVariantMap c = f.controller();
        QCOMPARE(c.value(key("account")).toByteArray(), credentialBytes("grower", "green42"));
        QVERIFY(c.value(key("signedIn")).toBool());
    }

    void wrongThenRightPassword()
    {
        BluezFixture f;
        QVERIFY(f.addController());
        QVERIFY(f.createAccount("grower", "green42"));
        f.openWindow();
        QVERIFY(f.discover());
        f.typeCredentials(QStringLiteral("grower"), QStringLiteral("red13"));
        f.pressLogin();
        QVERIFY(f.waitFor([&f] { return f.noteText() == QStringLiteral("Неверный пароль"); }));
        QCOMPARE(f.linkState(), LinkState::ServiceReady);
        QVERIFY(!f.controller().value(key("signedIn")).toBool());
        QVERIFY(f.signIn());
        QVERIFY(f.controller().value(key("signedIn")).toBool());
        QCOMPARE(f.controller().value(key("account")).toByteArray(), credentialBytes("grower", "green42"));
    }

    void accountDeletion()
    {
        BluezFixture f;
        QVERIFY(f.addController());
        QVERIFY(f.createAccount("grower", "green42"));
        f.openWindow();
        QVERIFY(f.discover());
        f.form()->findChild<QLineEdit *>(QStringLiteral("passwordCreateEdit"))->setText(QStringLiteral("green42"));
        QTest::mouseClick(f.form()->findChild<QPushButton *>(QStringLiteral("registrationButton")), Qt::LeftButton);
        QVERIFY(f.waitFor([&f] { return f.noteText() == QStringLiteral("Аккаунт удален"); }));
        QVERIFY(f.controller().value(key("account")).toByteArray().isEmpty());
        // the link is dropped and the controller is found again, advertising no account
        QVERIFY(f.waitFor([&f] { return f.form()->mode() == regform::CreateAccount && !f.controller().value(key("connected")).toBool(); }));
    }

    void twoControllersFirstFoundIsUsed()
    {
        BluezFixture f;
        QVERIFY(f.addController());
        QVERIFY(f.addController(Second, QStringLiteral("VS-REZ-02")));
        QVERIFY(f.createAccount("grower", "green42"));
        QVERIFY(f.createAccount("other", "other1", Second));
        f.openWindow();
        QVERIFY(f.discover());
        QCOMPARE(f.edit("loginEdit")->text(), QStringLiteral("grower"));
        QVERIFY(f.signIn());
        QVERIFY(f.controller().value(key("signedIn")).toBool());
        const QVariantMap other = f.controller(Second);
        QCOMPARE(other.value(key("connects")).toInt(), 0);
        QVERIFY(other.value(key("opcodes")).toByteArray().isEmpty());
        QCOMPARE(other.value(key("account")).toByteArray(), credentialBytes("other", "other1"));
    }

    // The controller goes out of range (its device object goes too) or only the link drops.
    void linkLost_data()
    {
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<bool>("outOfRange");
        QTest::newRow("device gone while shown in the form") << false << true;
        QTest::newRow("device gone while signed in") << true << true;
        QTest::newRow("link dropped while signed in") << true << false;
    }
    void linkLost()
    {
        QFETCH(bool, signedIn);
        QFETCH(bool, outOfRange);
        BluezFixture f;
        const QString address = QLatin1String(BluezFixture::Address);
        QVERIFY(f.addController());
        QVERIFY(f.createAccount("grower", "green42"));
        f.openWindow();
        QVERIFY(f.discover());
        if (signedIn)
            QVERIFY(f.signIn());
        if (outOfRange) {
            QVERIFY(f.daemon.succeeded(QStringLiteral("SetInRange"), {address, false}));
            QVERIFY(f.waitFor([&f] { return f.form()->mode() == regform::Offline && f.linkState() != LinkState::SignedIn; }));
        } else {
            QVERIFY(f.daemon.succeeded(QStringLiteral("DropLink"), {address}));
            QVERIFY(f.waitFor([&f] { return f.linkState() != LinkState::SignedIn; }));
        }
        QVERIFY(!f.controller().value(key("connected")).toBool());
        QVERIFY(!f.controller().value(key("signedIn")).toBool());
        // back in range: found again and signed in again
        if (outOfRange)
            QVERIFY(f.daemon.succeeded(QStringLiteral("SetInRange"), {address, true}));
        QVERIFY(f.discover());
        QVERIFY(f.signIn());
        QVERIFY(f.controller().value(key("signedIn")).toBool());
    }

    // A box that refuses the sign-in frame for good: the attempt ends by its deadline, the link
    // is closed and the controller is found again; nothing hangs.
    void signInWriteRefusedForGood()
    {
        BluezFixture f;
        QVERIFY(f.addController());
        QVERIFY(f.createAccount("grower", "green42"));
        f.openWindow();
        QVERIFY(f.discover());
        QVERIFY(f.daemon.succeeded(QStringLiteral("FailWrites"),
                                   {QLatin1String(BluezFixture::Address), 1000, QStringLiteral("org.bluez.Error.Failed")}));
        f.typeCredentials(QStringLiteral("grower"), QStringLiteral("green42"));
        f.pressLogin();
        QVERIFY(f.waitFor([&f] { return f.linkState() == LinkState::ServiceReady; }));
        QVERIFY(f.waitFor([&f] { return f.linkState() <= LinkState::Discovering && !f.controller().value(key("connected")).toBool(); }));
        QVERIFY(f.controller().value(key("opcodes")).toByteArray().isEmpty());
        QVERIFY(!f.controller().value(key("signedIn")).toBool());
        QVERIFY(f.daemon.succeeded(QStringLiteral("FailWrites"), {QLatin1String(BluezFixture::Address), 0, QString()}));
        QVERIFY(f.discover());
        QVERIFY(f.signIn());
        QVERIFY(f.controller().value(key("signedIn")).toBool());
    }

    void adapterOffWhileSignedIn()
    {
        BluezFixture f;
        QVERIFY(f.addController());
        QVERIFY(f.createAccount("grower", "green42"));
        f.openWindow();
        QVERIFY(f.discover());
        QVERIFY(f.signIn());
        QVERIFY(f.daemon.succeeded(QStringLiteral("SetPowered"), {false}));
        QVERIFY(f.waitFor([&f] { return f.linkState() != LinkState::SignedIn && f.form()->mode() == regform::Offline; }));
        QVERIFY(f.waitFor([&f] { return f.adapterHintShown(); }));
        QVERIFY(!f.controller().value(key("connected")).toBool());
        QVERIFY(f.daemon.succeeded(QStringLiteral("SetPowered"), {true}));
        QVERIFY(f.discover());
        QVERIFY(f.waitFor([&f] { return !f.adapterHintShown(); }));
        QVERIFY(f.signIn());
        QVERIFY(f.controller().value(key("signedIn")).toBool());
    }

    // Some boxes keep the command characteristic in a service of another number.
    void commandInAnotherService_data()
    {
        QTest::addColumn<uint>("service");
        QTest::addColumn<bool>("extraService");
        QTest::newRow("0xFFE0 alone") << 0xFFE0u << false;
        QTest::newRow("0xFFE0 and device information") << 0xFFE0u << true;
        QTest::newRow("0xFFF0 and device information") << 0xFFF0u << true;
    }
    void commandInAnotherService()
    {
        QFETCH(uint, service);
        QFETCH(bool, extraService);
        BluezFixture f;
        QVERIFY(f.addController());
        QVERIFY(f.createAccount("grower", "green42"));
        QVERIFY(f.daemon.succeeded(QStringLiteral("SetCommandService"),
                                   {QLatin1String(BluezFixture::Address), service, extraService}));
        f.openWindow();
        QVERIFY(f.discover());
        QVERIFY(f.signIn());
        QVERIFY(f.controller().value(key("signedIn")).toBool());
        QCOMPARE(f.controller().value(key("connects")).toInt(), 1);
    }

    // On a real adapter the signal strength is reported again and again while the user types.
    void signalUpdatesKeepTypedText_data()
    {
        QTest::addColumn<QByteArray>("account");
        QTest::newRow("new account") << QByteArray();
        // the advertisement carries 24 bytes of it: the form shows them with "..."
        QTest::newRow("login longer than advertised") << QByteArray("grower-of-many-tomatoes-26");
    }
    void signalUpdatesKeepTypedText()
    {
        QFETCH(QByteArray, account);
        const QString login = account.isEmpty() ? QStringLiteral("grower") : QString::fromUtf8(account);
        BluezFixture f;
        QVERIFY(f.addController());
        if (!account.isEmpty())
            QVERIFY(f.createAccount(account, "green42"));
        QVERIFY(f.daemon.succeeded(QStringLiteral("SetRssiInterval"), {200}));
        f.openWindow();
        QVERIFY(f.discover());
        // a key every 100 ms, the signal strength every 200 ms
        QLineEdit *loginEdit = f.edit("loginEdit");
        QLineEdit *passwordEdit = f.edit("passwordEdit");
        loginEdit->clear();
        for (QLineEdit *edit : {loginEdit, passwordEdit}) {
            for (const QChar c : edit == loginEdit ? login : QStringLiteral("green42")) {
                QTest::keyClicks(edit, QString(c));
                QTest::qWait(100);
            }
        }
        QTest::qWait(1000);
        QCOMPARE(loginEdit->text(), login);
        QCOMPARE(passwordEdit->text(), QStringLiteral("green42"));
        f.pressLogin();
        QVERIFY(f.waitFor([] { return exchange().linkState == LinkState::SignedIn; }));
        QCOMPARE(f.controller().value(key("account")).toByteArray(), credentialBytes(login.toUtf8(), "green42"));
    }

    // Quitting while connected says goodbye once and waits for it.
    void closingWhileConnectedDisconnectsOnce()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("deleted while connected|not Unconnected when deleted")));
        BluezFixture f;
        QVERIFY(f.signedInWith());
        QVERIFY(f.daemon.succeeded(QStringLiteral("ClearCounters"), {QLatin1String(BluezFixture::Address)}));
        f.closeWindow();
        const QVariantMap c = f.controller();
        QCOMPARE(c.value(key("disconnects")).toInt(), 1);
        QVERIFY(!c.value(key("connected")).toBool());
        QVERIFY(!c.value(key("signedIn")).toBool());
    }
};

QTEST_MAIN(TestBluezSignIn)
#include "tst_bluez_signin.moc"
