// Figures of the work-cycle calendar: building the cards of an 80-day cycle and repainting after
// a selection, side by side with the same number of plain labels in a grid. Both must stay well
// within one 100 ms tick.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "mockclock.h"
#include "cycle/calendartext.h"
#include "cycle/daycard.h"
#include "cycle/workcyclesettingsform.h"
#include "model/plan/basescenario.h"
#include "model/clock.h"
#include "model/controllerstate.h"
#include "model/files/daycomments.h"
#include "model/files/workfolders.h"

namespace {

constexpr int Days = 80;
constexpr int Rounds = 30;

struct Figure
{
    double mean = 0;
    double max = 0;
};

Figure measure(const std::function<void()> &prepare, const std::function<void()> &work)
{
    QElapsedTimer timer;
    Figure f;
    for (int i = 0; i < Rounds; ++i) {
        prepare();
        timer.start();
        work();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        f.mean += ms / Rounds;
        f.max = qMax(f.max, ms);
    }
    return f;
}

void print(const char *what, const Figure &f)
{
    std::printf("%-58s %7.2f ms mean, %7.2f ms max\n", what, f.mean, f.max);
}

void setEightyDayPlan()
{
    ControllerState &s = controllerState();
    s.scenarios.clear();
    createBaseScenario(s);
    for (int n = 1; n <= 4; ++n) {
        Scenario sc = s.scenarios.first();
        sc.name = QStringLiteral("Сценарий %1").arg(n);
        s.scenarios.append(sc);
    }
    s.dayHours = s.editedDayHours = 16;
    s.nightHours = s.editedNightHours = 8;
    s.startTime = s.editedStartTime = QDateTime(QDate(2026, 3, 20), QTime(20, 0));
    s.cycleCount = s.editedCycleCount = Days;
    s.days.clear();
    for (int d = 0; d < Days; ++d)
        s.days.append({s.startTime.addDays(d), (d / 5) % 5});
    s.editedDays = s.days;
    s.editedScenarios = s.scenarios;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    workFolders().prepare();
    workFolders().selectController(1);  // notes are kept per controller
    MockClock::set(QDateTime(QDate(2026, 3, 10), QTime(12, 0)));
    for (int d = 0; d < Days; d += 7)
        dayComments().saveComment(d, QStringLiteral("заметка %1").arg(d));
    setEightyDayPlan();

    // The calendar as the program shows it: every card on one page of a large window.
    WorkCycleSettingsForm page;
    page.resize(1900, 1000);
    page.show();
    QApplication::processEvents();
    // What changes is repainted: the calendar area with its cards.
    QWidget *calendar = page.findChild<QWidget *>(QStringLiteral("calendarArea"));

    // The first build makes the card widgets; later ones reuse them. Each round moves the start by
    // a day so that every card's text changes.
    QElapsedTimer first;
    first.start();
    page.rebuildCalendar();
    calendar->repaint();
    const double firstBuild = double(first.nsecsElapsed()) / 1e6;
    int shift = 0;
    const Figure build = measure([&shift] {
        controllerState().editedStartTime = controllerState().startTime.addDays(++shift % 2);
    }, [&page, calendar] {
        page.rebuildCalendar();
        calendar->repaint();
    });
    const Figure select = measure([&page] { page.clearSelection(true); }, [&page, calendar] {
        page.pushDay(0, false);
        page.pushDay(Days - 1, false);
        calendar->repaint();
    });

    // The baseline: the same texts in plain labels in a grid.
    QWidget grid;
    grid.resize(1900, 1000);
    auto *layout = new QGridLayout(&grid);
    grid.show();
    QList<QLabel *> labels;
    const QDateTime start = controllerState().startTime;
    auto texts = [&start](int i) { return CalendarText::cardText(i, start.addDays(i), start.addDays(i + 1).addSecs(-1), i % 7 == 0); };
    const Figure labelBuild = measure([&labels] {
        qDeleteAll(labels);
        labels.clear();
    }, [&] {
        for (int i = 0; i < Days; ++i) {
            auto *label = new QLabel(texts(i), &grid);
            label->setFixedSize(85, 63);
            layout->addWidget(label, i / 20, i % 20);
            labels.append(label);
        }
        grid.repaint();
    });
    bool green = false;
    const Figure labelSelect = measure([&green] { green = !green; }, [&] {
        const QColor background = green ? QColor(63, 144, 120, 62) : QColor(0x2A, 0x2E, 0x30);
        for (QLabel *label : std::as_const(labels)) {
            QPalette p = label->palette();
            p.setColor(QPalette::Window, background);
            label->setAutoFillBackground(true);
            label->setPalette(p);
        }
        grid.repaint();
    });

    std::printf("work-cycle calendar, %d cycle days (one tick is 100 ms):\n", Days);
    std::printf("%-58s %7.2f ms\n", "first build of the cards and repaint", firstBuild);
    print("rebuild with every text changed and repaint", build);
    print("  the same number of plain labels in a grid", labelBuild);
    print("select all days by a range click and repaint", select);
    print("  recolour the plain labels and repaint", labelSelect);
    std::printf("cards shown on the page: %lld\n", static_cast<long long>(page.cards().size()));
    MockClock::clear();
    return 0;
}
