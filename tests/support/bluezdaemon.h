#pragma once

#include <QDBusMessage>
#include <QProcess>
#include <QTemporaryDir>
#include <QVariantMap>

// The test daemon (vireosant-fake-bluez) on a private message bus of its own, one for the whole
// test program: Qt opens the system bus once per process and keeps it, so the bus address is set
// before anything of Qt Bluetooth runs. The daemon ends with the test program.
class BluezDaemon
{
public:
    static BluezDaemon &instance();

    // Starts the daemon and points DBUS_SYSTEM_BUS_ADDRESS at its bus.
    bool start(QString *error);
    QString busAddress() const { return m_address; }

    // A call on the daemon's control interface; an error reply fails the calling test.
    QDBusMessage call(const QString &method, const QList<QVariant> &arguments = {});
    bool succeeded(const QString &method, const QList<QVariant> &arguments = {});
    // What a controller holds and what its link saw (account, image, outputs, opcodes ...).
    QVariantMap controller(const QString &address);

private:
    BluezDaemon() = default;
    ~BluezDaemon();
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_address;
};
