#include "app/demoseed.h"
#include "app/mainwindow.h"
#include "app/mediabackend.h"
#include "app/qttranslations.h"
#include "app/startoptions.h"
#include "ble/bluetoothbackend.h"
#include "model/files/workfolders.h"
#include "sim/simtransport.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QIcon>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

constexpr int ExitUsage = 2;

QStringList argumentList(int argc, char *argv[])
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

void setNames()
{
    // The name also names the user's data folder.
    QCoreApplication::setApplicationName(QStringLiteral("Vireosant"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VIREOSANT_VERSION));
}

int fail(const QString &message)
{
    std::fprintf(stderr, "vireosant: %s\n", message.toLocal8Bit().constData());
    return ExitUsage;
}

} // namespace

int main(int argc, char *argv[])
{
    setNames();
    StartOptions options;
    if (options.asksForTextOnly(argumentList(argc, argv))) {
        // --help, --version and --check-bluetooth print and exit without a display.
        QCoreApplication core(argc, argv);
        QString error;
        options.process(core, &error);
        if (!options.checkBluetooth())
            return 0;
        QTextStream out(stdout);
        return runBluetoothCheck(out);
    }

    preferFfmpegMediaBackend();
    QApplication app(argc, argv);
    installQtTranslations(app);
    // lets the desktop match the window with the menu entry and its icon
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vireosant.Vireosant"));
    QString error;
    if (!options.process(app, &error))
        return fail(error);
    const QString dataFolder = DataFolder::prepare(options.folderChoice(), options.dataDir(), &error);
    // Started from the menu nobody reads this line: the window's note on the working folders
    // tells the same, and the live pages still work.
    if (!error.isEmpty())
        std::fprintf(stderr, "vireosant: %s\n", error.toLocal8Bit().constData());
    WorkFolders::setRoot(dataFolder);

    QFontDatabase::addApplicationFont(QStringLiteral(":/pict/IBMPlexMono-Thin.ttf"));
    QFontDatabase::addApplicationFont(QStringLiteral(":/pict/IBMPlexMono-Medium.ttf"));

    // The demo controller remembers its account and plan between runs, beside the working folders.
    const QString demoState = QDir(WorkFolders::root()).filePath(QStringLiteral(".vireosant-demo"));
    std::unique_ptr<Transport> transport;
    SimTransport *sim = nullptr;
    if (options.demo()) {
        sim = new SimTransport;
        transport.reset(sim);
        DemoSeed::prepare(*sim, demoState);
    } else {
        transport = createBluetoothTransport();
    }

    int result = 0;
    {
        MainWindow window(transport.get());
        window.setWindowIcon(QIcon(QStringLiteral(":/pict/progicon.png")));
        QTimer saver;
        if (sim) {
            QObject::connect(&saver, &QTimer::timeout, &window, [sim, demoState] { DemoSeed::save(*sim, demoState); });
            saver.start(10000);
        }
        window.show();
        result = app.exec();
    }
    if (sim)
        DemoSeed::save(*sim, demoState);
    return result;
}
