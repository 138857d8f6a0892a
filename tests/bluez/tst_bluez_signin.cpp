#include <QTest>

#include "bluezfixture.h"

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
        QTest::addColumn<QString>("shown");
        QTest::newRow("account") << QByteArray("grower") << int(regform::SignIn) << QStringLiteral("grower");
        QTest::newRow("no account") << QByteArray() << int(regform::CreateAccount) << QString();
    }
    void discoveryShowsAdvertisedLogin()
    {
        QFETCH(QByteArray, login);
        QFETCH(int, mode);
        QFETCH(QString, shown);
        BluezFixture f;
        QVERIFY(f.addController());
        if (!login.isEmpty())
            QVERIFY(f.createAccount(login, "green42"));
        f.openWindow();
        QVERIFY(f.discover());
        QCOMPARE(f.form()->mode(), mode);
        if (mode == regform::SignIn)
            QCOMPARE(f.edit("loginEdit")->text(), shown);
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
        QCOMPARE(c.value(QStringLiteral("account")).toByteArray(), credentialBytes("grower", "green42"));
        QVERIFY(c.value(QStringLiteral("signedIn")).toBool());
    }
};

QTEST_MAIN(TestBluezSignIn)
#include "tst_bluez_signin.moc"
