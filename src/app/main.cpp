#include "app/demoseed.h"
#include "app/mainwindow.h"
#include "ble/bluetoothbackend.h"
#include "sim/simtransport.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFontDatabase>
#include <QIcon>
#include <QTimer>
#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vireosant"));
    QFontDatabase::addApplicationFont(QStringLiteral(":/pict/IBMPlexMono-Thin.ttf"));
    QFontDatabase::addApplicationFont(QStringLiteral(":/pict/IBMPlexMono-Medium.ttf"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Vireosant grow-box controller"));
    parser.addHelpOption();
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Run against a built-in simulated controller instead of Bluetooth."));
    parser.addOption(demo);
    parser.process(app);

    // The demo controller remembers its account and plan between runs, beside the working folders.
    const QString demoState = QStringLiteral(".vireosant-demo");
    std::unique_ptr<Transport> transport;
    SimTransport *sim = nullptr;
    if (parser.isSet(demo)) {
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
