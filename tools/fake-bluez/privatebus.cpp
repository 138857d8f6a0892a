#include "privatebus.h"

#include <QDir>
#include <QFile>
#include <sys/prctl.h>
#include <csignal>

namespace {

constexpr int StartTimeoutMs = 10000;

QByteArray configuration(const QString &socketPath)
{
    return QByteArrayLiteral(
               "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig>\n"
               "  <type>session</type>\n"
               "  <listen>unix:path=")
           + socketPath.toUtf8()
           + QByteArrayLiteral("</listen>\n"
                               "  <auth>EXTERNAL</auth>\n"
                               "  <policy context=\"default\">\n"
                               "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                               "    <allow eavesdrop=\"true\"/>\n"
                               "    <allow own=\"*\"/>\n"
                               "  </policy>\n"
                               "</busconfig>\n");
}

} // namespace

PrivateBus::~PrivateBus()
{
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(2000))
        m_daemon.kill();
    m_daemon.waitForFinished(1000);
}

bool PrivateBus::start(const QString &folder, QString *error)
{
    const QDir dir(folder);
    const QString configPath = dir.filePath(QStringLiteral("bus.conf"));
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate) || config.write(configuration(dir.absoluteFilePath(QStringLiteral("bus")))) < 0) {
        *error = QStringLiteral("cannot write %1").arg(configPath);
        return false;
    }
    config.close();

    m_daemon.setProgram(QStringLiteral("dbus-daemon"));
    m_daemon.setArguments({QStringLiteral("--config-file=") + configPath, QStringLiteral("--nofork"),
                           QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // the bus goes with us even when we are killed
    m_daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_daemon.start();
    if (!m_daemon.waitForStarted(StartTimeoutMs)) {
        *error = QStringLiteral("cannot start dbus-daemon (package dbus-daemon): %1").arg(m_daemon.errorString());
        return false;
    }
    while (!m_daemon.canReadLine()) {
        if (!m_daemon.waitForReadyRead(StartTimeoutMs)) {
            *error = QStringLiteral("dbus-daemon printed no address");
            return false;
        }
    }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    return !m_address.isEmpty();
}
