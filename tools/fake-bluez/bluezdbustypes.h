#pragma once

// The container types of the BlueZ D-Bus API, registered for marshalling.

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

using InterfaceMap = QMap<QString, QVariantMap>;           // a{sa{sv}}
using ManagedObjects = QMap<QDBusObjectPath, InterfaceMap>; // a{oa{sa{sv}}}
using ManufacturerMap = QMap<quint16, QDBusVariant>;        // a{qv}

Q_DECLARE_METATYPE(InterfaceMap)
Q_DECLARE_METATYPE(ManagedObjects)
Q_DECLARE_METATYPE(ManufacturerMap)

void registerBluezTypes();

namespace BluezNames {
inline QString service() { return QStringLiteral("org.bluez"); }
inline QString adapter() { return QStringLiteral("org.bluez.Adapter1"); }
inline QString device() { return QStringLiteral("org.bluez.Device1"); }
inline QString gattService() { return QStringLiteral("org.bluez.GattService1"); }
inline QString gattCharacteristic() { return QStringLiteral("org.bluez.GattCharacteristic1"); }
inline QString gattDescriptor() { return QStringLiteral("org.bluez.GattDescriptor1"); }
inline QString properties() { return QStringLiteral("org.freedesktop.DBus.Properties"); }
inline QString objectManager() { return QStringLiteral("org.freedesktop.DBus.ObjectManager"); }
// The test interface beside the BlueZ tree.
inline QString control() { return QStringLiteral("org.vireosant.FakeBluez1"); }
inline QString controlPath() { return QStringLiteral("/org/vireosant/control"); }
} // namespace BluezNames
