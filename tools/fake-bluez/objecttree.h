#pragma once

// The exported objects of the daemon with their interfaces and properties. Every change is
// announced as BlueZ does: InterfacesAdded / InterfacesRemoved on "/" and PropertiesChanged on the
// object itself.

#include "bluezdbustypes.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QMap>

class ObjectTree
{
public:
    explicit ObjectTree(const QDBusConnection &connection) : m_connection(connection) {}

    void add(const QString &path, const InterfaceMap &interfaces);
    // Removes the object and every object below it, the deepest first.
    void remove(const QString &path);
    bool contains(const QString &path) const { return m_objects.contains(path); }
    bool hasInterface(const QString &path, const QString &interface) const;

    QVariant property(const QString &path, const QString &interface, const QString &name) const;
    QVariantMap properties(const QString &path, const QString &interface) const;
    // Only the values that differ are stored and announced, in one signal.
    void setProperties(const QString &path, const QString &interface, const QVariantMap &values);
    void setProperty(const QString &path, const QString &interface, const QString &name, const QVariant &value)
    {
        setProperties(path, interface, {{name, value}});
    }
    ManagedObjects managedObjects() const;

    void send(const QDBusMessage &message) { m_connection.send(message); }
    void reply(const QDBusMessage &call, const QList<QVariant> &arguments = {});
    void replyError(const QDBusMessage &call, const QString &name, const QString &text);

private:
    QDBusConnection m_connection;
    QMap<QString, InterfaceMap> m_objects;
};
