#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/mainwindow.h"
#include "link/exchangestate.h"
#include "signin/regform.h"
#include "mockclock.h"
#include "model/clock.h"
#include "model/controllerstate.h"
#include "programstate.h"
#include "simaccount.h"
#include "sim/simtransport.h"
#include "sim/simulatedcontroller.h"
#include "testsupport.h"
#include "widgets/dialogs.h"
#include "widgets/infonote.h"
#include "widgets/viewstate.h"

// The whole program against simulated controllers, driven tick by tick with a fake clock that
// advances 100 ms per tick.
struct E2EFixture
{
    std::unique_ptr<SimTransport> transport;
    std::unique_ptr<MainWindow> window;

    explicit E2EFixture(const QDateTime &now = QDateTime(QDate(2026, 3, 10), QTime(12, 0)))
    {
        resetTestProgramState();
        MockClock::set(now);
        transport.reset(new SimTransport);
        window.reset(new MainWindow(transport.get()));
        window->tickTimer->stop();
        exchange().skipTicks = 0;
    }
    ~E2EFixture()
    {
        closeNote();
        window.reset();
        transport.reset();
        drainEvents(0);
        MockClock::clear();
    }

    SimulatedController *addController(const QString &name = QStringLiteral("VS-REZ-01"), quint64 address = 0x0A0B0C0D0E01ULL)
    {
        return transport->addController(name, address);
    }

    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            MockClock::advance(100);
            window->exchangeTick();
            drainEvents(0);
        }
    }
    bool tickUntil(const std::function<bool()> &condition, int maxTicks)
    {
        for (int i = 0; i < maxTicks; ++i) {
            if (condition())
                return true;
            tick();
        }
        return condition();
    }
    LinkState linkState() const { return exchange().linkState; }
    ExchangeStep step() const { return exchange().exchangeStep; }
    regform *form() const { return window->regForm(); }
    QLineEdit *edit(const char *name) const { return form()->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    QPushButton *button(const char *name) const { return form()->findChild<QPushButton *>(QString::fromLatin1(name)); }

    // Runs discovery until the form shows a controller (or gives up).
    bool discover(int maxTicks = 20)
    {
        return tickUntil([this] { return form()->mode() != regform::Offline; }, maxTicks);
    }
    void typeCredentials(const QString &login, const QString &password)
    {
        edit("loginEdit")->setText(login);
        edit("passwordEdit")->setText(password);
    }
    void pressLogin() { QTest::mouseClick(button("loginButton"), Qt::LeftButton); }
    // From a shown controller to the signed-in work view.
    bool signIn(const QString &login, const QString &password, int maxTicks = 200)
    {
        typeCredentials(login, password);
        pressLogin();
        return tickUntil([] { return exchange().linkState == LinkState::SignedIn; }, maxTicks);
    }
    // Signed in and the first configuration decoded.
    bool reachIdle(int maxTicks = 400)
    {
        return tickUntil([] { return exchange().linkState == LinkState::SignedIn && exchange().exchangeStep == ExchangeStep::Idle; }, maxTicks);
    }
    QString noteText() const { return currentNote() ? currentNote()->text() : QString(); }

    // A controller with the account grower / green42 (and the image, when given), the program
    // signed in; nothing read yet. Null when it does not get that far.
    SimulatedController *signInTo(const QByteArray &imageBody = QByteArray())
    {
        SimulatedController *c = addController();
        createSimAccount(c, "grower", "green42");
        if (!imageBody.isEmpty())
            c->installImage(imageBody);
        if (!discover() || !signIn(QStringLiteral("grower"), QStringLiteral("green42")))
            return nullptr;
        return c;
    }
    // As signInTo, and the first configuration decoded.
    SimulatedController *signedInController(const QByteArray &imageBody = QByteArray())
    {
        SimulatedController *c = signInTo(imageBody);
        return c && reachIdle() ? c : nullptr;
    }
};
