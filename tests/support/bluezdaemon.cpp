#include "bluezdaemon.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace {
constexpr int StartTimeoutMs = 15000;
}

BluezDaemon &BluezDaemon::instance()
{
    static BluezDaemon daemon;
    return daemon;
}

BluezDaemon::~BluezDaemon()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

bool BluezDaemon::start(QString *error)
{
    if (!m_address.isEmpty())
        return true;
    const QString program = qEnvironmentVariable("VIREOSANT_FAKE_BLUEZ");
    if (program.isEmpty()) {
        *error = QStringLiteral("VIREOSANT_FAKE_BLUEZ names no test daemon (run through ctest)");
        return false;
    }
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, {QStringLiteral("--private-bus"), m_dir.path(), QStringLiteral("--exit-with-parent")});
    if (!m_process.waitForStarted(StartTimeoutMs)) {
        *error = QStringLiteral("cannot start %1: %2").arg(program, m_process.errorString());
        return false;
    }
    QString address;
    while (true) {
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(StartTimeoutMs)) {
                *error = QStringLiteral("the test daemon did not get ready (is dbus-daemon installed?)");
                return false;
            }
        }
        const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
        if (line.startsWith(QLatin1String("address=")))
            address = line.mid(8);
        else if (line == QLatin1String("ready"))
            break;
    }
    m_address = address;
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
    return true;
}

QDBusMessage BluezDaemon::call(const QString &method, const QList<QVariant> &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(QStringLiteral("org.bluez"), QStringLiteral("/org/vireosant/control"),
                                                          QStringLiteral("org.vireosant.FakeBluez1"), method);
    message.setArguments(arguments);
    return QDBusConnection::systemBus().call(message);
}

bool BluezDaemon::succeeded(const QString &method, const QList<QVariant> &arguments)
{
    const QDBusMessage reply = call(method, arguments);
    if (reply.type() == QDBusMessage::ErrorMessage)
        qWarning("%s: %s", qPrintable(method), qPrintable(reply.errorMessage()));
    return reply.type() == QDBusMessage::ReplyMessage;
}

QVariantMap BluezDaemon::controller(const QString &address)
{
    const QDBusMessage reply = call(QStringLiteral("Controller"), {address});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qdbus_cast<QVariantMap>(reply.arguments().first());
}
