#pragma once

// A message bus of our own: dbus-daemon with a session-type configuration listening on a socket in
// a given folder. It ends with this object, or with this process if that dies first.

#include <QProcess>
#include <QString>

class PrivateBus
{
public:
    PrivateBus() = default;
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    bool start(const QString &folder, QString *error);
    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};
