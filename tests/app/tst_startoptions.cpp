#include <QTest>

#include "app/startoptions.h"
#include "model/files/workfolders.h"
#include "testsupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

// Where the working folders go: the current directory from a terminal, the user's data folder
// from the menu entry, or a given folder; and --help / --version without a display.
class TestStartOptions : public QObject
{
    Q_OBJECT

    static constexpr QFileDevice::Permissions GroupOrOther =
        QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
        | QFileDevice::WriteOther | QFileDevice::ExeOther;

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Vireosant"));
        QStandardPaths::setTestModeEnabled(true); // ~/.qttest instead of the real data folder
    }
    void cleanup() { WorkFolders::setRoot(QString()); }

    void folderChoice_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("folder"); // relative to the case's current directory; "*" = user data
        QTest::newRow("terminal") << QStringList{} << int(DataFolder::CurrentDirectory) << QStringLiteral(".");
        QTest::newRow("terminal, demo") << QStringList{QStringLiteral("--demo")} << int(DataFolder::CurrentDirectory)
                                        << QStringLiteral(".");
        QTest::newRow("menu") << QStringList{QStringLiteral("--user-data")} << int(DataFolder::UserData) << QStringLiteral("*");
        QTest::newRow("menu, demo") << QStringList{QStringLiteral("--demo"), QStringLiteral("--user-data")}
                                    << int(DataFolder::UserDemoData) << QStringLiteral("*/demo");
        QTest::newRow("given folder") << QStringList{QStringLiteral("--data-dir"), QStringLiteral("grow/box")}
                                      << int(DataFolder::Given) << QStringLiteral("grow/box");
    }
    void folderChoice()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, choice);
        QFETCH(QString, folder);
        TempWorkDir dir;
        const QString userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir(userData).removeRecursively();

        StartOptions options;
        QString error;
        QVERIFY2(options.parse(QStringList{QStringLiteral("vireosant")} + arguments, &error), qPrintable(error));
        QCOMPARE(int(options.folderChoice()), choice);
        const QString path = DataFolder::prepare(options.folderChoice(), options.dataDir(), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QString expected = folder.startsWith(QLatin1Char('*')) ? userData + folder.mid(1)
                                                                     : QDir(dir.path()).absoluteFilePath(folder);
        QCOMPARE(QFileInfo(path).canonicalFilePath(), QFileInfo(expected).canonicalFilePath());
        if (choice != DataFolder::CurrentDirectory)
            QCOMPARE(QFileInfo(path).permissions() & GroupOrOther, QFileDevice::Permissions());

        // the working folders follow, and nothing lands in the current directory unless chosen
        WorkFolders::setRoot(path);
        WorkFolders folders;
        QVERIFY(folders.prepare());
        for (const char *name : {"logins", "scenarios", "comments", "gencomments", "snapshots"})
            QVERIFY2(QFileInfo(QDir(path).filePath(QString::fromLatin1(name))).isDir(), name);
        QCOMPARE(QFileInfo(QDir::current().filePath(QStringLiteral("logins"))).isDir(), choice == DataFolder::CurrentDirectory);
        // the demo never writes beside a real controller's files
        if (choice == DataFolder::UserDemoData)
            QVERIFY(!QFileInfo(QDir(userData).filePath(QStringLiteral("logins"))).exists());
        QDir(userData).removeRecursively();
    }

    void userDataFolderIsMadePrivate()
    {
        const QString userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QVERIFY(QDir().mkpath(userData));
        QVERIFY(QFile::setPermissions(userData, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                    | QFileDevice::ReadOther | QFileDevice::ExeOther));
        QString error;
        QCOMPARE(DataFolder::prepare(DataFolder::UserData, QString(), &error), QFileInfo(userData).absoluteFilePath());
        QCOMPARE(QFileInfo(userData).permissions() & GroupOrOther, QFileDevice::Permissions());
        QDir(userData).removeRecursively();
    }

    void badCommandLines_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("both folder options") << QStringList{QStringLiteral("--user-data"), QStringLiteral("--data-dir"),
                                                            QStringLiteral("x")};
        QTest::newRow("folder without a name") << QStringList{QStringLiteral("--data-dir")};
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour")};
    }
    void badCommandLines()
    {
        QFETCH(QStringList, arguments);
        StartOptions options;
        QString error;
        QVERIFY(!options.parse(QStringList{QStringLiteral("vireosant")} + arguments, &error));
        QVERIFY(!error.isEmpty());
    }

    void folderThatIsAFileIsRefused()
    {
        TempWorkDir dir;
        QFile file(QStringLiteral("taken"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QString error;
        DataFolder::prepare(DataFolder::Given, QStringLiteral("taken"), &error);
        QVERIFY(error.contains(QStringLiteral("taken")));
    }

    void textOptionsNeedNoDisplay_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QByteArray>("output"); // start of standard output
        QTest::newRow("vireosant --version") << QStringLiteral("vireosant") << QStringLiteral("--version") << QByteArray("Vireosant 0.");
        QTest::newRow("vireosant --help") << QStringLiteral("vireosant") << QStringLiteral("--help") << QByteArray("Usage: ");
        QTest::newRow("inspect --version") << QStringLiteral("vireosant-inspect") << QStringLiteral("--version")
                                           << QByteArray("vireosant-inspect 0.");
        QTest::newRow("inspect --help") << QStringLiteral("vireosant-inspect") << QStringLiteral("--help") << QByteArray("Usage: ");
    }
    void textOptionsNeedNoDisplay()
    {
        QFETCH(QString, program);
        QFETCH(QString, option);
        QFETCH(QByteArray, output);
        const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/../") + program;
        QVERIFY2(QFile::exists(path), "build the programs first");
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        process.setProcessEnvironment(env);
        process.start(path, {option});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY2(process.readAllStandardOutput().startsWith(output), qPrintable(program));
    }
};

QTEST_GUILESS_MAIN(TestStartOptions)
#include "tst_startoptions.moc"
