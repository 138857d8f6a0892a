#include "objecttree.h"

#include <QDBusMetaType>

void registerBluezTypes()
{
    qDBusRegisterMetaType<InterfaceMap>();
    qDBusRegisterMetaType<ManagedObjects>();
    qDBusRegisterMetaType<ManufacturerMap>();
    qDBusRegisterMetaType<QList<QDBusObjectPath>>();
}

void ObjectTree::add(const QString &path, const InterfaceMap &interfaces)
{
    m_objects.insert(path, interfaces);
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/"), BluezNames::objectManager(),
                                                     QStringLiteral("InterfacesAdded"));
    signal << QVariant::fromValue(QDBusObjectPath(path)) << QVariant::fromValue(interfaces);
    send(signal);
}

void ObjectTree::remove(const QString &path)
{
    const QString prefix = path + QLatin1Char('/');
    QStringList gone;
    for (auto it = m_objects.cbegin(); it != m_objects.cend(); ++it)
        if (it.key() == path || it.key().startsWith(prefix))
            gone.prepend(it.key()); // sorted by path, so children come out before their parent
    for (const QString &p : std::as_const(gone)) {
        const QStringList interfaces = m_objects.take(p).keys();
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/"), BluezNames::objectManager(),
                                                         QStringLiteral("InterfacesRemoved"));
        signal << QVariant::fromValue(QDBusObjectPath(p)) << interfaces;
        send(signal);
    }
}

bool ObjectTree::hasInterface(const QString &path, const QString &interface) const
{
    return m_objects.value(path).contains(interface);
}

QVariant ObjectTree::property(const QString &path, const QString &interface, const QString &name) const
{
    return m_objects.value(path).value(interface).value(name);
}

QVariantMap ObjectTree::properties(const QString &path, const QString &interface) const
{
    return m_objects.value(path).value(interface);
}

void ObjectTree::setProperties(const QString &path, const QString &interface, const QVariantMap &values)
{
    auto object = m_objects.find(path);
    if (object == m_objects.end() || !object->contains(interface))
        return;
    QVariantMap &stored = (*object)[interface];
    QVariantMap changed;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        // types without a comparison (ManufacturerData) always count as changed
        const QVariant old = stored.value(it.key());
        if (old.isValid() && old.metaType() == it.value().metaType() && old == it.value())
            continue;
        stored.insert(it.key(), it.value());
        changed.insert(it.key(), it.value());
    }
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(path, BluezNames::properties(), QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    send(signal);
}

ManagedObjects ObjectTree::managedObjects() const
{
    ManagedObjects objects;
    for (auto it = m_objects.cbegin(); it != m_objects.cend(); ++it)
        objects.insert(QDBusObjectPath(it.key()), it.value());
    return objects;
}

void ObjectTree::reply(const QDBusMessage &call, const QList<QVariant> &arguments)
{
    send(call.createReply(arguments));
}

void ObjectTree::replyError(const QDBusMessage &call, const QString &name, const QString &text)
{
    send(call.createErrorReply(name, text));
}
