// Figures of the plan checker and the cycle preview: the checker on the largest plan the
// controller can hold, and the preview's redraw after an edit of a full scenario (10 outputs of
// 10 rows), side by side with a bare strip painting as many spans.
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cstdio>

#include "model/codec/configimage.h"
#include "model/plan/plancheck.h"
#include "plans.h"
#include "scenario/daypreviewstrip.h"

namespace {

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

// The most scenarios of the large kind that still fit the controller's memory.
ControllerState largestPlan()
{
    ControllerState s;
    s.editedStartTime = QDateTime(QDate(2026, 3, 1), QTime(6, 0));
    s.sensors[0].type = 2;
    s.sensors[0].channels = {4, 5};
    int scenarios = 1;
    for (;; ++scenarios) {
        ControllerState trial = s;
        makeLargeEditedPlan(trial, scenarios + 1, ControllerState::MaxCycleDays);
        trial.scenarios = trial.editedScenarios;
        trial.days = trial.editedDays;
        trial.cycleCount = trial.editedCycleCount;
        QByteArray body;
        if (encodeConfigImage(trial, body).isEmpty())
            break;
    }
    makeLargeEditedPlan(s, scenarios, ControllerState::MaxCycleDays);
    return s;
}

class BareStrip : public QWidget
{
public:
    int spans = 0;
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const int w = qMax(1, width() / qMax(1, spans));
        for (int i = 0; i < spans; ++i)
            p.fillRect(QRect(i * w, (i % 10) * 22, w, 18), i % 2 ? Qt::darkGray : Qt::green);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const ControllerState plan = largestPlan();
    QList<double> check;
    int findings = 0;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer t;
        t.start();
        findings = int(checkPlan(plan).size());
        check << t.nsecsElapsed() / 1e6;
    }
    std::printf("checker, largest plan (%lld scenarios, %d days): %.2f ms median, %d findings\n",
                static_cast<long long>(plan.editedScenarios.size()), plan.editedCycleCount, median(check), findings);

    QMap<int, SocketProgram> sockets;
    QMap<int, QString> names;
    for (int output = 1; output <= 10; ++output) {
        SocketProgram p = plan.editedScenarios.at(1).sockets.value(1 + (output - 1) % 4);
        p.dayConditions << Condition{TimerRef, QString(), ConditionKind::Above, 0, 20, ConditionAction::On, TimerSource,
                                     {double(30 * output), 20, 90, 6, 0}};
        sockets.insert(output, p);
        names.insert(output, QStringLiteral("Выход %1").arg(output));
    }
    DayPreviewStrip strip;
    strip.resize(900, strip.sizeHint().height());
    strip.show();
    QList<double> preview;
    int spans = 0;
    for (int i = 0; i < 50; ++i) {
        sockets[1].dayConditions[1].priority = 1 + i % 5; // an edit
        QElapsedTimer t;
        t.start();
        strip.setPlan(sockets, names, 16, 8);
        strip.grab();
        preview << t.nsecsElapsed() / 1e6;
    }
    for (const auto &s : strip.spans())
        spans += int(s.size());
    BareStrip bare;
    bare.spans = spans;
    bare.resize(900, strip.height());
    bare.show();
    QList<double> bareTimes;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer t;
        t.start();
        bare.grab();
        bareTimes << t.nsecsElapsed() / 1e6;
    }
    std::printf("cycle preview after an edit (10 outputs, %d spans): %.2f ms median; bare strip of as many spans: %.2f ms\n",
                spans, median(preview), median(bareTimes));
    return 0;
}
