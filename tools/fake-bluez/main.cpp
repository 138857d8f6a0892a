// vireosant-fake-bluez: serves simulated controllers through the BlueZ D-Bus API on a private bus,
// so that the program's real Bluetooth backend runs without hardware. Never on the machine's own
// system bus: it takes the bus from --private-bus or from DBUS_SYSTEM_BUS_ADDRESS.

#include "app/demoseed.h"
#include "fakebluez.h"
#include "privatebus.h"
#include "sim/simtransport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int DemoSaveIntervalMs = 10000;
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}

// SIGTERM and SIGINT end the event loop, so that the demo state is saved.
void quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
}

int fail(const QString &text)
{
    std::fprintf(stderr, "vireosant-fake-bluez: %s\n", text.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // Qt asks the daemon owning org.bluez for its version this way.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s\n", FakeBluez::Version);
            return 0;
        }
    }

    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A BlueZ-compatible test daemon serving simulated controllers."));
    parser.addHelpOption();
    const QCommandLineOption privateBus(QStringLiteral("private-bus"),
                                        QStringLiteral("Start a message bus of its own with its socket in <dir>."),
                                        QStringLiteral("dir"));
    const QCommandLineOption controller(QStringLiteral("controller"),
                                        QStringLiteral("A controller in range, as NAME@AA:BB:CC:DD:EE:FF (repeatable)."),
                                        QStringLiteral("name@address"));
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("The demo controller, its state kept in <dir> between runs."),
                                  QStringLiteral("dir"));
    const QCommandLineOption rssi(QStringLiteral("rssi-interval"),
                                  QStringLiteral("Signal strength updates every <ms> while a scan runs."), QStringLiteral("ms"));
    const QCommandLineOption withParent(QStringLiteral("exit-with-parent"), QStringLiteral("End when the parent process ends."));
    parser.addOptions({privateBus, controller, demo, rssi, withParent});
    parser.process(app);

    if (parser.isSet(withParent))
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    quitOnSignals(app);

    PrivateBus bus;
    QString address;
    if (parser.isSet(privateBus)) {
        QString error;
        if (!bus.start(parser.value(privateBus), &error))
            return fail(error);
        address = bus.address();
    } else {
        address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
        if (address.isEmpty())
            return fail(QStringLiteral("give --private-bus or DBUS_SYSTEM_BUS_ADDRESS; the machine's own system bus is never used"));
    }

    QDBusConnection connection = QDBusConnection::connectToBus(address, QStringLiteral("fake-bluez"));
    if (!connection.isConnected())
        return fail(QStringLiteral("cannot connect to %1: %2").arg(address, connection.lastError().message()));
    FakeBluez bluez(connection);
    if (!connection.registerVirtualObject(QStringLiteral("/"), &bluez, QDBusConnection::SubPath)
        || !connection.registerService(BluezNames::service()))
        return fail(QStringLiteral("cannot own org.bluez: %1").arg(connection.lastError().message()));

    for (const QString &entry : parser.values(controller)) {
        const int at = int(entry.lastIndexOf(QLatin1Char('@')));
        bool ok = false;
        const quint64 value = QString(entry.mid(at + 1)).remove(QLatin1Char(':')).toULongLong(&ok, 16);
        if (at <= 0 || !ok)
            return fail(QStringLiteral("bad --controller %1").arg(entry));
        bluez.addController(entry.left(at), value);
    }

    QTimer saver;
    const QString demoState = parser.value(demo);
    if (!demoState.isEmpty()) {
        DemoSeed::prepare(*bluez.transport(), demoState);
        bluez.adoptControllers();
        QObject::connect(&saver, &QTimer::timeout, &app, [&bluez, demoState] { DemoSeed::save(*bluez.transport(), demoState); });
        saver.start(DemoSaveIntervalMs);
    }
    if (parser.isSet(rssi))
        bluez.setRssiInterval(parser.value(rssi).toInt());

    std::printf("address=%s\nready\n", address.toUtf8().constData());
    std::fflush(stdout);
    const int result = app.exec();
    if (!demoState.isEmpty())
        DemoSeed::save(*bluez.transport(), demoState);
    connection.unregisterService(BluezNames::service());
    return result;
}
