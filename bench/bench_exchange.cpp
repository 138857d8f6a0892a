// Figures of the exchange: ticks from an accepted sign-in to idle with the image decoded, and the
// time one tick takes to decode a maximum-size configuration image and refresh the pages.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "app/demoseed.h"
#include "e2efixture.h"
#include "model/plan/basescenario.h"
#include "model/codec/configimage.h"
#include "plans.h"

namespace {

// As large as the controller's memory allows below its log area: 80 days over many scenarios.
QByteArray maximumImageBody()
{
    QByteArray demo = DemoSeed::imageBody();
    ControllerState s;
    s.resetToEmptyForm();
    decodeConfigImage(s, demo);
    QByteArray body;
    for (int scenarios = 1;; ++scenarios) {
        ControllerState t = s;
        t.scenarios = {baseScenario()};
        for (int n = 1; n <= scenarios; ++n) {
            t.scenarios << largeScenario(QStringLiteral("Сценарий %1").arg(n));
            t.scenarios.last().usage = 1;
        }
        t.cycleCount = 80;
        t.days.clear();
        for (int d = 0; d < 80; ++d)
            t.days << CycleDay{t.startTime.addDays(d), 1 + d % scenarios};
        QByteArray next;
        encodeConfigImage(t, next);
        if (next.size() + 64 > 0x7F00 - 4000)
            return body;
        body = next;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());

    {
        E2EFixture f;
        SimulatedController *c = f.addController();
        createSimAccount(c, "grower", "green42");
        c->installImage(DemoSeed::imageBody());
        f.discover();
        f.signIn(QStringLiteral("grower"), QStringLiteral("green42"));
        int ticks = 0;
        // Between ticks every queued answer of the (zero-delay) simulator arrives, as a real link
        // answers well within the 100 ms of one tick.
        while (!(exchange().exchangeStep == ExchangeStep::Idle && controllerState().cycleCount != 0) && ticks < 1000) {
            f.tick();
            drainEvents(5);
            ++ticks;
        }
        std::printf("ticks from accepted sign-in to idle with the image decoded: %d\n", ticks);
    }

    {
        E2EFixture f;
        f.signedInController(DemoSeed::imageBody());
        const QByteArray body = maximumImageBody();
        const int rounds = 50;
        QElapsedTimer timer;
        qint64 total = 0;
        for (int i = 0; i < rounds; ++i) {
            ExchangeState &ex = exchange();
            ex.imageBuffer = body;
            ex.lastImage = body;
            ex.heldBody.clear();
            ex.exchangeStep = ExchangeStep::ImageRead;
            timer.start();
            f.window->exchangeTick();
            total += timer.nsecsElapsed();
        }
        std::printf("decode of a %lld-byte image with page refresh: %.2f ms per tick (mean of %d)\n",
                    static_cast<long long>(body.size()), double(total) / rounds / 1e6, rounds);
        std::printf("scenarios decoded: %lld, days: %lld\n", static_cast<long long>(controllerState().scenarios.size()),
                    static_cast<long long>(controllerState().days.size()));
    }
    return 0;
}
