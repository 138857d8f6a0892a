#include <QProcess>
#include <QTest>

#include "bluezfixture.h"

// `vireosant --check-bluetooth` against the test daemon: what a grower pastes into a support
// e-mail, and its exit status.
class TestBluezCheckBluetooth : public QObject
{
    Q_OBJECT

    static constexpr int RunTimeoutMs = 30000;

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(BluezDaemon::instance().start(&error), qPrintable(error));
        QVERIFY2(!qEnvironmentVariable("VIREOSANT_PROGRAM").isEmpty(), "VIREOSANT_PROGRAM names no program (run through ctest)");
    }

    void report_data()
    {
        QTest::addColumn<bool>("daemonRuns");
        QTest::addColumn<bool>("powered");
        QTest::addColumn<bool>("controller");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("controller found") << true << true << true << 0
            << QStringList{QStringLiteral("отвечает, версия 5.66"), QStringLiteral("Адаптер 00:1A:7D:DA:71:13 «vireosant-test»: включён"),
                           QStringLiteral("Контроллер 0A:0B:0C:0D:0E:01 «VS-REZ-01», сигнал -"), QStringLiteral("dBm, логин «grower»"),
                           QStringLiteral("Итог: контроллер найден")};
        QTest::newRow("no controller") << true << true << false << 1
            << QStringList{QStringLiteral("включён"), QStringLiteral("Контроллер не найден"), QStringLiteral("Что сделать: включите контроллер")};
        QTest::newRow("adapter off") << true << false << true << 1
            << QStringList{QStringLiteral("выключен"), QStringLiteral("Что сделать: включите Bluetooth")};
        QTest::newRow("no daemon") << false << true << true << 1
            << QStringList{QStringLiteral("не отвечает"), QStringLiteral("Что сделать: запустите службу Bluetooth")};
    }
    void report()
    {
        QFETCH(bool, daemonRuns);
        QFETCH(bool, powered);
        QFETCH(bool, controller);
        QFETCH(int, exitCode);
        QFETCH(QStringList, lines);
        BluezFixture f;
        if (controller) {
            QVERIFY(f.addController());
            QVERIFY(f.createAccount("grower", "green42"));
        }
        QVERIFY(f.daemon.succeeded(QStringLiteral("SetPowered"), {powered}));
        QTemporaryDir emptyDir;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!daemonRuns)
            env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=") + emptyDir.filePath(QStringLiteral("bus")));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(qEnvironmentVariable("VIREOSANT_PROGRAM"), {QStringLiteral("--check-bluetooth")});
        QVERIFY(program.waitForFinished(RunTimeoutMs));
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        QCOMPARE(program.exitCode(), exitCode);
        for (const QString &line : lines)
            QVERIFY2(out.contains(line), qPrintable(out));
        // exactly one line says what to do when something is missing
        QCOMPARE(out.count(QStringLiteral("Что сделать:")), exitCode == 0 ? 0 : 1);
    }
};

QTEST_MAIN(TestBluezCheckBluetooth)
#include "tst_bluez_checkbluetooth.moc"
