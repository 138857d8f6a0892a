#include "ble/bluetoothbackend.h"

#include <QBluetoothAddress>
#include <QBluetoothLocalDevice>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTextStream>
#include <QTimer>
#include <QVersionNumber>

namespace {

constexpr int VersionTimeoutMs = 3000;
constexpr int ScanDeadlineMs = 15000; // a scan that neither finishes nor fails is cut off
const QString BluezService = QStringLiteral("org.bluez");

// The daemon's version, asked of its executable as Qt does: /proc/<pid>/exe, else the program
// named in its command line (the first is readable only by the daemon's owner).
QString daemonVersion(uint pid)
{
    QStringList programs{QStringLiteral("/proc/%1/exe").arg(pid)};
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (cmdline.open(QIODevice::ReadOnly))
        programs << QString::fromLocal8Bit(cmdline.readAll().split('\0').value(0));
    for (const QString &program : std::as_const(programs)) {
        if (program.isEmpty())
            continue;
        QProcess process;
        process.start(program, {QStringLiteral("--version")});
        if (!process.waitForFinished(VersionTimeoutMs)) {
            process.kill();
            process.waitForFinished(VersionTimeoutMs);
            continue;
        }
        const QVersionNumber version = QVersionNumber::fromString(QString::fromLocal8Bit(process.readAll()).trimmed());
        if (!version.isNull())
            return version.toString();
    }
    return QString();
}

QString loginText(const BleDeviceInfo &device)
{
    QByteArray login = device.manufacturerData.value(1) + device.manufacturerData.value(2);
    if (login.isEmpty() || login.at(0) == '\0')
        return QStringLiteral("аккаунта нет");
    const bool cut = !login.endsWith('\0');
    while (login.endsWith('\0'))
        login.chop(1);
    return QStringLiteral("логин «%1»%2").arg(QString::fromUtf8(login), cut ? QStringLiteral("…") : QString());
}

struct ScanResult
{
    QMap<quint64, BleDeviceInfo> devices;
    QString error;
};

ScanResult scan()
{
    ScanResult result;
    const std::unique_ptr<Transport> transport = createBluetoothTransport();
    QEventLoop loop;
    BleScanner *scanner = transport->createScanner(&loop);
    const auto keep = [&result](const BleDeviceInfo &info) { result.devices.insert(info.address, info); };
    QObject::connect(scanner, &BleScanner::deviceDiscovered, &loop, keep);
    QObject::connect(scanner, &BleScanner::deviceUpdated, &loop, keep);
    QObject::connect(scanner, &BleScanner::finished, &loop, &QEventLoop::quit);
    QObject::connect(scanner, &BleScanner::errorOccurred, &loop, [&result, &loop](const QString &text) {
        result.error = text;
        loop.quit();
    });
    QTimer::singleShot(ScanDeadlineMs, &loop, &QEventLoop::quit);
    QTimer::singleShot(0, scanner, &BleScanner::start);
    loop.exec();
    scanner->stop();
    return result;
}

} // namespace

int runBluetoothCheck(QTextStream &out)
{
    out << "Проверка Bluetooth (" << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
        << ", Qt " << qVersion() << ")\n";
    QDBusConnection bus = QDBusConnection::systemBus();
    const bool daemonAnswers = bus.isConnected() && bus.interface()->isServiceRegistered(BluezService).value();
    if (!daemonAnswers) {
        out << "Служба Bluetooth (bluetoothd): не отвечает\n"
            << "Что сделать: запустите службу Bluetooth (sudo systemctl start bluetooth) и повторите проверку.\n";
        return 1;
    }
    const QString version = daemonVersion(bus.interface()->servicePid(BluezService).value());
    out << "Служба Bluetooth (bluetoothd): отвечает, версия "
        << (version.isEmpty() ? QStringLiteral("не определена") : version) << "\n";

    const QList<QBluetoothHostInfo> adapters = QBluetoothLocalDevice::allDevices();
    bool anyPowered = false;
    for (const QBluetoothHostInfo &adapter : adapters) {
        const QBluetoothLocalDevice device(adapter.address());
        const bool powered = device.hostMode() != QBluetoothLocalDevice::HostPoweredOff;
        anyPowered = anyPowered || powered;
        out << "Адаптер " << adapter.address().toString() << " «" << adapter.name() << "»: "
            << (powered ? "включён" : "выключен") << "\n";
    }
    if (adapters.isEmpty()) {
        out << "Адаптер: не найден\n"
            << "Что сделать: подключите Bluetooth-адаптер или разблокируйте его (rfkill unblock bluetooth) и повторите проверку.\n";
        return 1;
    }
    if (!anyPowered) {
        out << "Что сделать: включите Bluetooth (bluetoothctl power on или в настройках системы) и повторите проверку.\n";
        return 1;
    }

    out << "Поиск контроллеров (5 с)…\n";
    out.flush();
    const ScanResult result = scan();
    int controllers = 0;
    for (const BleDeviceInfo &device : result.devices) {
        if (!device.name.contains(QLatin1String("REZ")) || device.cached)
            continue;
        ++controllers;
        out << "Контроллер " << device.addressText() << " «" << device.name << "», сигнал "
            << device.rssi << " dBm, " << loginText(device) << "\n";
    }
    out << "Других устройств рядом: " << (result.devices.size() - controllers) << "\n";
    if (!result.error.isEmpty()) {
        out << "Поиск прерван: " << result.error << "\n"
            << "Что сделать: выключите и снова включите Bluetooth, перезапустите службу (sudo systemctl restart bluetooth) и повторите проверку.\n";
        return 1;
    }
    if (controllers == 0) {
        out << "Контроллер не найден\n"
            << "Что сделать: включите контроллер в сеть, поднесите компьютер ближе (до 10 м) и повторите проверку.\n";
        return 1;
    }
    out << "Итог: контроллер найден, программа может к нему подключиться.\n";
    return 0;
}
