#pragma once

#include "sim/simtransport.h"
#include "sim/simulatedcontroller.h"

#include <QObject>
#include <QString>
#include <memory>
#include <random>
#include <vector>

// Puts the simulator's faults in at random moments: at once, on the next frame of a chosen
// command, or for a while (out of range, adapter off, blocks never ready). Every fault ends by
// itself: counters run down, timed ones are undone by tick().
class FaultInjector
{
public:
    FaultInjector(SimTransport *transport, SimulatedController *controller)
        : m_transport(transport), m_controller(controller)
    {
    }
    ~FaultInjector() { disarm(); }
    FaultInjector(const FaultInjector &) = delete;
    FaultInjector &operator=(const FaultInjector &) = delete;

    // Puts one fault in; returns what it is.
    QString inject(std::mt19937_64 &rng, qint64 nowTick)
    {
        ++m_count;
        const auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        // Lost and late answers are the common faults of a radio; a lost link, a switched-off
        // adapter and a controller that is never ready come more rarely.
        static const int Weights[] = {3, 2, 3, 1, 2, 2, 1, 1, 1, 1, 1, 2};
        std::discrete_distribution<int> kind(std::begin(Weights), std::end(Weights));
        switch (kind(rng)) {
        case 0: return knob(rng, QStringLiteral("replies lost"), [n = pick(1, 3)](SimFaults &f) { f.dropReplies = n; });
        case 1: return knob(rng, QStringLiteral("replies late"), [n = pick(1, 2)](SimFaults &f) { f.lateReplies = n; });
        case 2: return knob(rng, QStringLiteral("acknowledgements lost"), [n = pick(1, 2)](SimFaults &f) { f.dropConfirmations = n; });
        case 3: return knob(rng, QStringLiteral("link lost after frames"), [n = pick(1, 6)](SimFaults &f) { f.disconnectAfterFrames = n; });
        case 4: return knob(rng, QStringLiteral("blocks not ready"), [n = pick(5, 300)](SimFaults &f) { f.notReadyReads = n; });
        case 5: return knob(rng, QStringLiteral("short status"), [n = pick(1, 3)](SimFaults &f) { f.shortStatus = n; });
        case 6: return knob(rng, QStringLiteral("block out of order"), [](SimFaults &f) { f.blocksOutOfOrder = 1; });
        case 7: {
            const int ticks = pick(5, 80);
            m_inRangeAt = qMax(m_inRangeAt, nowTick + ticks);
            m_transport->setInRange(m_controller, false);
            return QStringLiteral("out of range for %1 ticks").arg(ticks);
        }
        case 8: {
            const int ticks = pick(20, 150);
            m_adapterOnAt = qMax(m_adapterOnAt, nowTick + ticks);
            m_inRangeAt = qMax(m_inRangeAt, nowTick + ticks);
            m_transport->setAdapterAvailable(false);
            m_transport->setInRange(m_controller, false); // the link goes with the adapter
            return QStringLiteral("adapter off for %1 ticks").arg(ticks);
        }
        case 9: {
            const int ticks = pick(50, 600);
            m_blocksReadyAt = qMax(m_blocksReadyAt, nowTick + ticks);
            m_controller->faults().notReadyReads = NeverReady;
            return QStringLiteral("blocks never ready for %1 ticks").arg(ticks);
        }
        case 10:
            m_controller->faults().refuseNextSignIn = true;
            return QStringLiteral("next sign-in refused");
        default:
            return knob(rng, QStringLiteral("frames lost"), [n = pick(1, 2)](SimFaults &f) { f.dropFrames = n; });
        }
    }

    // Undoes the timed faults whose time has come.
    void tick(qint64 nowTick)
    {
        if (m_inRangeAt != 0 && nowTick >= m_inRangeAt && (m_adapterOnAt == 0 || nowTick >= m_adapterOnAt)) {
            m_inRangeAt = 0;
            m_transport->setInRange(m_controller, true);
        }
        if (m_adapterOnAt != 0 && nowTick >= m_adapterOnAt) {
            m_adapterOnAt = 0;
            m_transport->setAdapterAvailable(true);
        }
        if (m_blocksReadyAt != 0 && nowTick >= m_blocksReadyAt) {
            m_blocksReadyAt = 0;
            if (m_controller->faults().notReadyReads > NeverReady / 2)
                m_controller->faults().notReadyReads = 0;
        }
    }

    // Every fault off: counters cleared, armed ones dropped, in range, adapter on.
    void clearAll()
    {
        disarm();
        m_controller->faults() = SimFaults();
        m_inRangeAt = m_adapterOnAt = m_blocksReadyAt = 0;
        m_transport->setAdapterAvailable(true);
        m_transport->setInRange(m_controller, true);
    }

    int count() const { return m_count; }

    // Whether a fault acted since the last call: a counter ran down or was set (an armed fault
    // fired), or a timed fault is still on.
    bool acted()
    {
        const SimFaults &now = m_controller->faults();
        const bool changed = now.dropReplies != m_seen.dropReplies || now.lateReplies != m_seen.lateReplies
                             || now.dropConfirmations != m_seen.dropConfirmations || now.dropFrames != m_seen.dropFrames
                             || now.notReadyReads != m_seen.notReadyReads || now.blocksOutOfOrder != m_seen.blocksOutOfOrder
                             || now.disconnectAfterFrames != m_seen.disconnectAfterFrames
                             || now.shortStatus != m_seen.shortStatus || now.refuseNextSignIn != m_seen.refuseNextSignIn;
        m_seen = now;
        return changed || m_inRangeAt != 0 || m_adapterOnAt != 0 || m_blocksReadyAt != 0;
    }

private:
    static constexpr int NeverReady = 1000000;

    struct Armed
    {
        QMetaObject::Connection connection;
        ~Armed() { QObject::disconnect(connection); }
    };

    // A counter fault, set now or when the program next writes a chosen command.
    template<typename Set>
    QString knob(std::mt19937_64 &rng, const QString &what, Set set)
    {
        static const struct { int opcode; const char *name; } Commands[] = {
            {0x04, "ReadBlocks"}, {0x05, "WriteImage"}, {0x06, "CommitImage"}, {0x09, "SetOutput"},
            {0x0A, "SetRunState"}, {0x0C, "SetClock"}, {0x0E, "SignIn"}, {0x0F, "GetStatus"},
        };
        if (std::uniform_int_distribution<int>(0, 1)(rng) == 0) {
            set(m_controller->faults());
            return what + QStringLiteral(" now");
        }
        const auto &command = Commands[std::uniform_int_distribution<int>(0, int(std::size(Commands)) - 1)(rng)];
        auto armed = std::make_shared<Armed>();
        SimulatedController *target = m_controller;
        const int opcode = command.opcode;
        std::weak_ptr<Armed> weak = armed;
        armed->connection = QObject::connect(m_transport, &SimTransport::frameWritten, m_transport,
                                             [weak, target, opcode, set](SimulatedController *c, const QByteArray &frame) {
                                                 auto self = weak.lock();
                                                 if (!self || c != target || frame.size() < 2 || quint8(frame.at(1)) != opcode)
                                                     return;
                                                 set(c->faults());
                                                 QObject::disconnect(self->connection);
                                             });
        m_armed.push_back(armed);
        return what + QStringLiteral(" on the next ") + QLatin1String(command.name);
    }

    void disarm() { m_armed.clear(); }

    SimTransport *m_transport;
    SimulatedController *m_controller;
    std::vector<std::shared_ptr<Armed>> m_armed;
    qint64 m_inRangeAt = 0;
    qint64 m_adapterOnAt = 0;
    qint64 m_blocksReadyAt = 0;
    int m_count = 0;
    SimFaults m_seen;
};
