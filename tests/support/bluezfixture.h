#pragma once

#include <QDBusArgument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/mainwindow.h"
#include "ble/bluetoothbackend.h"
#include "bluezdaemon.h"
#include "link/exchangestate.h"
#include "link/frames.h"
#include "mockclock.h"
#include "programstate.h"
#include "signin/regform.h"
#include "simaccount.h"
#include "testsupport.h"
#include "widgets/infonote.h"

// The whole program on its Qt Bluetooth backend against the test daemon. Unlike the fast
// end-to-end tests a real message bus sits in between, so the 100 ms tick runs on a real timer
// (the program's clock is a fake one moved along with it) and tests wait for conditions with
// generous deadlines.
struct BluezFixture
{
    static constexpr const char *Address = "0A:0B:0C:0D:0E:01";
    static constexpr int Deadline = 20000;

    BluezDaemon &daemon = BluezDaemon::instance();
    std::unique_ptr<Transport> transport;
    std::unique_ptr<MainWindow> window;
    QTimer ticker;

    BluezFixture()
    {
        resetTestProgramState();
        MockClock::set(QDateTime(QDate(2026, 3, 10), QTime(12, 0)));
        daemon.succeeded(QStringLiteral("Reset"));
    }
    ~BluezFixture()
    {
        closeWindow();
        MockClock::clear();
    }

    // The window comes up once the controllers are set up, as when the program starts.
    void openWindow()
    {
        transport = createBluetoothTransport();
        window.reset(new MainWindow(transport.get()));
        window->tickTimer->stop();
        exchange().skipTicks = 0;
        QObject::connect(&ticker, &QTimer::timeout, window.get(), [this] {
            MockClock::advance(100);
            window->exchangeTick();
        });
        ticker.start(100);
    }
    void closeWindow()
    {
        ticker.stop();
        closeNote();
        if (window)
            window->close();
        window.reset();
        drainEvents(50);
        transport.reset();
    }

    bool addController(const QString &address = QLatin1String(Address), const QString &name = QStringLiteral("VS-REZ-01"))
    {
        return daemon.succeeded(QStringLiteral("AddController"), {address, name});
    }
    // The account made the way a first sign-in makes it.
    bool createAccount(const QByteArray &login, const QByteArray &password, const QString &address = QLatin1String(Address))
    {
        return daemon.succeeded(QStringLiteral("DeliverFrame"),
                                {address, buildFrame(Opcode::SignIn, credentialBytes(login, password))});
    }
    QVariantMap controller(const QString &address = QLatin1String(Address)) { return daemon.controller(address); }
    QByteArray opcodes(const QString &address = QLatin1String(Address)) { return controller(address).value(QStringLiteral("opcodes")).toByteArray(); }

    // The level a SetOutput left on an output (socket index 0..3 or relay channel id).
    quint32 outputLevel(int index, const QString &address = QLatin1String(Address))
    {
        const QVariantMap outputs = qdbus_cast<QVariantMap>(controller(address).value(QStringLiteral("outputs")));
        return outputs.value(QString::number(index)).toUInt();
    }

    static bool waitFor(const std::function<bool()> &condition, int ms = Deadline)
    {
        return QTest::qWaitFor(condition, ms);
    }

    LinkState linkState() const { return exchange().linkState; }
    regform *form() const { return window->regForm(); }
    QLineEdit *edit(const char *name) const { return form()->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    QPushButton *button(const char *name) const { return form()->findChild<QPushButton *>(QString::fromLatin1(name)); }
    bool adapterHintShown() const
    {
        QLabel *hint = form()->findChild<QLabel *>(QStringLiteral("adapterStateTextLabel"));
        return hint && !hint->isHidden();
    }
    QString noteText() const { return currentNote() ? currentNote()->text() : QString(); }

    bool discover() { return waitFor([this] { return form()->mode() != regform::Offline; }); }
    void typeCredentials(const QString &login, const QString &password)
    {
        edit("loginEdit")->setText(login);
        edit("passwordEdit")->setText(password);
    }
    void pressLogin() { QTest::mouseClick(button("loginButton"), Qt::LeftButton); }
    bool signIn(const QString &login = QStringLiteral("grower"), const QString &password = QStringLiteral("green42"))
    {
        typeCredentials(login, password);
        pressLogin();
        return waitFor([] { return exchange().linkState == LinkState::SignedIn; });
    }
    bool reachIdle()
    {
        return waitFor([] { return exchange().linkState == LinkState::SignedIn && exchange().exchangeStep == ExchangeStep::Idle; });
    }
    // A controller with the account grower / green42 (and the image, when given), the program
    // signed in and the first configuration decoded.
    bool signedInWith(const QByteArray &imageBody = QByteArray())
    {
        if (!addController() || !createAccount("grower", "green42"))
            return false;
        if (!imageBody.isEmpty() && !daemon.succeeded(QStringLiteral("InstallImage"), {QLatin1String(Address), imageBody}))
            return false;
        openWindow();
        return discover() && signIn() && reachIdle();
    }
};
