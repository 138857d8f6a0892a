// The control interface tests use to set up controllers, switch faults on and read back what a
// controller holds. Addresses are given as "AA:BB:CC:DD:EE:FF".

#include "fakebluez.h"
#include "fakedevice.h"
#include "sim/simtransport.h"
#include "sim/simulatedcontroller.h"

namespace {

quint64 parseAddress(const QString &text)
{
    QString hex = text;
    hex.remove(QLatin1Char(':'));
    bool ok = false;
    const quint64 value = hex.toULongLong(&ok, 16);
    return ok ? value : 0;
}

QVariantMap controllerReport(SimulatedController *c, const FakeDevice *d)
{
    QVariantMap outputs;
    for (int index = 0; index < 32; ++index) {
        if (c->manualLevel(index) != 0)
            outputs.insert(QString::number(index), c->manualLevel(index));
    }
    return {
        {QStringLiteral("account"), c->credentials()},
        {QStringLiteral("signedIn"), c->isSignedIn()},
        {QStringLiteral("image"), c->storedImage()},
        {QStringLiteral("running"), c->isRunning()},
        // the running configuration: what the last commit made of the stored image
        {QStringLiteral("runningLength"), c->runningImage().totalLength},
        {QStringLiteral("runningScenarios"), int(c->runningImage().scenarios.size())},
        {QStringLiteral("logRecords"), int(c->logRecords().size())},
        {QStringLiteral("outputs"), outputs},
        {QStringLiteral("connected"), d && d->isConnected()},
        {QStringLiteral("present"), d && d->isPresent()},
        {QStringLiteral("connects"), d ? d->connectCalls() : 0},
        {QStringLiteral("disconnects"), d ? d->disconnectCalls() : 0},
        {QStringLiteral("opcodes"), d ? d->opcodes() : QByteArray()},
    };
}

} // namespace

void FakeBluez::handleControl(const QDBusMessage &call)
{
    const QString member = call.member();
    const QList<QVariant> args = call.arguments();
    if (member == QLatin1String("Reset")) {
        reset();
        m_tree.reply(call);
        return;
    }
    if (member == QLatin1String("SetPowered")) {
        setPowered(args.value(0).toBool());
        m_tree.reply(call);
        return;
    }
    if (member == QLatin1String("SetRssiInterval")) {
        setRssiInterval(args.value(0).toInt());
        m_tree.reply(call);
        return;
    }
    const quint64 address = parseAddress(args.value(0).toString());
    if (member == QLatin1String("AddController")) {
        if (address == 0 || m_transport->controller(address)) {
            m_tree.replyError(call, QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), QStringLiteral("Bad address"));
            return;
        }
        addController(args.value(1).toString(), address);
        m_tree.reply(call);
        return;
    }
    SimulatedController *c = m_transport->controller(address);
    FakeDevice *d = device(address);
    if (!c || !d) {
        m_tree.replyError(call, QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), QStringLiteral("No such controller"));
        return;
    }
    if (member == QLatin1String("Controller")) {
        m_tree.reply(call, {controllerReport(c, d)});
        return;
    }
    if (member == QLatin1String("DeliverFrame")) {
        // a frame handled as if over a link of its own, for setting a controller up
        c->beginSession();
        c->receiveFrame(args.value(1).toByteArray());
        const QByteArray reply = c->readReply();
        c->endSession();
        d->refreshAdvertisement();
        m_tree.reply(call, {reply});
        return;
    }
    if (member == QLatin1String("InstallImage")) {
        c->installImage(args.value(1).toByteArray());
    } else if (member == QLatin1String("SeedLog")) {
        c->seedLog(args.value(1).toInt());
    } else if (member == QLatin1String("SetInRange")) {
        setInRange(c, args.value(1).toBool());
    } else if (member == QLatin1String("DropLink")) {
        d->dropLink();
    } else if (member == QLatin1String("FailWrites")) {
        d->failWrites(args.value(1).toInt(), args.value(2).toString());
    } else if (member == QLatin1String("SetReplyDelay")) {
        c->faults().replyDelayMs = args.value(1).toInt();
    } else if (member == QLatin1String("DisconnectAfterFrames")) {
        c->faults().disconnectAfterFrames = args.value(1).toInt();
    } else if (member == QLatin1String("SetCommandService")) {
        d->setCommandService(quint16(args.value(1).toUInt()));
        c->setExtraService(args.value(2).toBool());
    } else if (member == QLatin1String("ClearCounters")) {
        d->clearCounters();
    } else {
        m_tree.replyError(call, QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"), member);
        return;
    }
    m_tree.reply(call);
}
