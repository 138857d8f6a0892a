// The program signed in to the simulated controller and left alone on the devices page for a
// fixed time, on the real 100 ms timer. Run under /usr/bin/time -v to read its CPU use:
//   /usr/bin/time -v build/bench/bench_idle 60
// and, for comparison, an empty Qt window: build/bench/bench_idle 60 bare
#include <QApplication>
#include <QMainWindow>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/demoseed.h"
#include "app/mainwindow.h"
#include "link/exchangestate.h"
#include "link/linkcontroller.h"
#include "sim/simtransport.h"
#include "sim/simulatedcontroller.h"
#include "e2efixture.h"

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 60;
    if (argc > 2 && qstrcmp(argv[2], "bare") == 0) {
        // the yardstick: an empty Qt window, idle for the same time
        QMainWindow bare;
        bare.resize(1071, 800);
        bare.show();
        QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
        const int result = app.exec();
        std::printf("bare window, idle for %d s\n", seconds);
        return result;
    }
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());

    SimTransport transport;
    transport.setScanPeriod(5000);
    SimulatedController *c = transport.addController(QStringLiteral("REZ-bench"), 0x1234);
    createSimAccount(c, "grower", "green42");
    c->seedDemo(DemoSeed::imageBody(), 3);

    MainWindow window(&transport);
    window.show();
    // Sign in as soon as the controller is shown.
    QTimer signIn;
    QObject::connect(&signIn, &QTimer::timeout, &window, [&] {
        if (exchange().linkState == LinkState::Discovering && window.link()->currentAddress() != 0) {
            window.link()->sendAccountCommand(QStringLiteral("grower"), QStringLiteral("green42"), 0);
            signIn.stop();
        }
    });
    signIn.start(100);
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    const int result = app.exec();
    std::printf("signed in: %s, polled for %d s\n", exchange().linkState == LinkState::SignedIn ? "yes" : "no", seconds);
    return result;
}
