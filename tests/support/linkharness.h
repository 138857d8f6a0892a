#pragma once

// The link and the exchange sequencer against simulated controllers, without any widget: a
// recording note sink and sign-in form stand in for the window. Driven tick by tick with a mock
// clock that advances 100 ms per tick.

#include "link/exchangesequencer.h"
#include "link/exchangestate.h"
#include "link/exchangetick.h"
#include "link/linkcontroller.h"
#include "link/linknotes.h"
#include "mockclock.h"
#include "model/controllerstate.h"
#include "sim/simtransport.h"
#include "sim/simulatedcontroller.h"
#include "simaccount.h"
#include "testsupport.h"

#include <QStringList>
#include <functional>
#include <memory>

// Keeps the one open note as the popup would, and every note asked for.
struct RecordingNotes : LinkNotes
{
    QString open;
    int flags = 0;
    int ticksLeft = 0;
    QStringList asked;

    void note(const QString &text, int f, int ticks) override
    {
        asked << text;
        if (!open.isEmpty())
            return;
        open = text;
        flags = f;
        ticksLeft = ticks;
    }
    void noteOrShorten(const QString &text, int f, int ticks) override
    {
        if (!open.isEmpty() && ticksLeft > 0)
            --ticksLeft;
        else
            note(text, f, ticks);
    }
    void setNoteText(const QString &text) override
    {
        if (!open.isEmpty())
            open = text;
    }
    void closeNote() override { open.clear(); }
    void closeUntimedNote() override
    {
        if (!(flags & NoteClose::AfterTicks))
            open.clear();
    }
    void tickNote(bool linkAtDiscovery, bool exchangeIdle) override
    {
        if (open.isEmpty())
            return;
        if (ticksLeft > 0)
            --ticksLeft;
        if (((flags & NoteClose::AfterTicks) && ticksLeft == 0) || ((flags & NoteClose::OnDiscovery) && linkAtDiscovery)
            || ((flags & NoteClose::OnIdle) && exchangeIdle))
            open.clear();
    }
};

// The sign-in form and the window as the link sees them.
struct RecordingView
{
    int mode = SignInMode::Offline;
    QString login;
    QString password;
    QString deviceId;
    bool workView = false;
    int linkLosses = 0;
    bool adapterProblem = false;

    void attach(LinkController *link)
    {
        QObject::connect(link, &LinkController::formModeChanged, link, [this](int m, const QString &l, const QString &p) {
            mode = m;
            login = l;
            password = p;
        });
        QObject::connect(link, &LinkController::controllerIdChanged, link, [this](const QString &id) { deviceId = id; });
        QObject::connect(link, &LinkController::adapterProblemChanged, link, [this](bool problem) { adapterProblem = problem; });
        QObject::connect(link, &LinkController::signInViewWanted, link, [this] { workView = false; });
        QObject::connect(link, &LinkController::workViewWanted, link, [this] {
            workView = true;
            exchange().pageRequest = PageRequest::ShowDevices;
        });
        QObject::connect(link, &LinkController::linkGone, link, [this] { ++linkLosses; });
    }
};

struct LinkHarness
{
    SimTransport transport;
    RecordingView view;
    RecordingNotes notes;
    std::unique_ptr<LinkController> link;
    std::unique_ptr<ExchangeSequencer> sequencer;
    std::unique_ptr<ExchangeTick> ticker;

    explicit LinkHarness(const QDateTime &now = QDateTime(QDate(2026, 3, 10), QTime(12, 0)))
    {
        exchange().reset();
        controllerState().reset();
        MockClock::set(now);
        link = std::make_unique<LinkController>(&transport, &notes);
        view.attach(link.get());
        sequencer = std::make_unique<ExchangeSequencer>(link->channel(), &notes);
        QObject::connect(link.get(), &LinkController::linkGone, sequencer.get(), &ExchangeSequencer::linkLost);
        ticker = std::make_unique<ExchangeTick>(link.get(), sequencer.get(), &notes);
        ticker->setPageRequestHandler([this] {
            if (exchange().pageRequest == PageRequest::DisconnectAfterDeletion)
                link->disconnectController();
            exchange().pageRequest = PageRequest::None;
        });
        exchange().skipTicks = 0;
    }
    ~LinkHarness()
    {
        ticker.reset();
        sequencer.reset();
        link.reset();
        drainEvents(0);
        MockClock::clear();
    }

    SimulatedController *addController(const QString &name = QStringLiteral("VS-REZ-01"), quint64 address = 0x0A0B0C0D0E01ULL)
    {
        return transport.addController(name, address);
    }
    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            MockClock::advance(100);
            ticker->run();
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
    bool discover(int maxTicks = 20)
    {
        return tickUntil([this] { return view.mode != SignInMode::Offline; }, maxTicks);
    }
    bool signIn(const QString &login, const QString &password, int maxTicks = 200)
    {
        link->sendAccountCommand(login, password, 0);
        return tickUntil([] { return exchange().linkState == LinkState::SignedIn; }, maxTicks);
    }
    bool reachIdle(int maxTicks = 400)
    {
        return tickUntil([] {
            return exchange().linkState == LinkState::SignedIn && exchange().exchangeStep == ExchangeStep::Idle;
        }, maxTicks);
    }
    // A controller with the account grower / green42 (and the image, when given), signed in and
    // its configuration decoded. Null when it does not get that far.
    SimulatedController *signedInController(const QByteArray &imageBody = QByteArray(),
                                            quint64 address = 0x0A0B0C0D0E01ULL)
    {
        SimulatedController *c = addController(QStringLiteral("VS-REZ-01"), address);
        createSimAccount(c, "grower", "green42");
        if (!imageBody.isEmpty())
            c->installImage(imageBody);
        if (!discover() || !signIn(QStringLiteral("grower"), QStringLiteral("green42")) || !reachIdle())
            return nullptr;
        return c;
    }
};
