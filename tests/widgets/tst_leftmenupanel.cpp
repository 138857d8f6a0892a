#include <QAccessible>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "model/codec/statusrecord.h"
#include "widgets/leftmenupanel.h"
#include "widgets/theme.h"
#include "widgets/viewstate.h"

using namespace Qt::StringLiterals;

using Calls = QList<QPair<int, int>>; // (active, kind) handed to setStatus, in order

namespace {

const QString Empty = QStringLiteral("border: 2px solid %1;").arg(Theme::css(Theme::Shadow));
const QString Red = QStringLiteral("background-color: %1;").arg(Theme::css(Theme::Alert));
const QString Green = QStringLiteral("background-color: %1;").arg(Theme::css(Theme::Done));
const QString Grey = QStringLiteral("background-color: %1;").arg(Theme::css(Theme::Ahead));

const QString NormalStyle = QStringLiteral(
    "color: %1; border: 2px solid %1; border-radius: 6px; font-family: Inter;  font-size: 16px; font-weight: 600;")
    .arg(Theme::css(Theme::Brand));
const QString ErrorStyle = QStringLiteral(
    "color: %1; border: 2px solid %1; border-radius: 6px; font-family: Inter;  font-size: 12px; font-weight: 600;")
    .arg(Theme::css(Theme::Alert));

const QString ClockText = QStringLiteral("Не работает таймер текущего времени");
const QString NotLoadedText = QStringLiteral("Не удалось загрузить сенарий");

// n day states as numbers (the tables' form), the first `begun` of them begun, the rest ahead.
QList<int> days(int n, int begun)
{
    QList<int> d(n, int(DayState::Ahead));
    for (int i = 0; i < begun; ++i)
        d[i] = int(DayState::Begun);
    return d;
}

// Day states as their numbers, values no state has included.
QList<DayState> dayStates(const QList<int> &numbers)
{
    QList<DayState> d;
    for (int n : numbers)
        d << DayState(n);
    return d;
}

QStringList styles(std::initializer_list<QPair<int, QString>> runs)
{
    QStringList out;
    for (const auto &[count, style] : runs)
        for (int i = 0; i < count; ++i)
            out << style;
    return out;
}

} // namespace

class TestLeftMenuPanel : public QObject
{
    Q_OBJECT

    std::unique_ptr<LeftMenuPanel> panel;

    template<typename T>
    T *child(const char *name) const
    {
        return panel->findChild<T *>(QLatin1String(name));
    }
    QPushButton *button(const char *name) const { return child<QPushButton>(name); }

    QStringList barStyles() const
    {
        QStringList out;
        QLayout *bar = child<QFrame>("barframe")->layout();
        for (int i = 0; i < bar->count(); ++i)
            out << bar->itemAt(i)->widget()->styleSheet();
        return out;
    }

private slots:
    void init()
    {
        viewState().reset();
        panel = std::make_unique<LeftMenuPanel>();
        panel->resize(300, 760);
    }

    void cleanup() { panel.reset(); }

    void fixedChildrenAndTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("devices") << u"deviceButton"_s << u"     Оборудование и датчики"_s;
        QTest::newRow("scenarios") << u"scenariosButton"_s << u"     Сценарии"_s;
        QTest::newRow("history") << u"settingsButton"_s << u"      История"_s;
        QTest::newRow("work cycle") << u"workCycleSettingsButton"_s << u"     Настройка цикла работы"_s;
        QTest::newRow("exit") << u"closeAppButton"_s << u"Выйти из системы"_s;
    }

    void fixedChildrenAndTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        auto *b = panel->findChild<QPushButton *>(name);
        QVERIFY(b);
        QCOMPARE(b->text(), text);
        QVERIFY(child<QLabel>("datestart"));
        QVERIFY(child<QLabel>("datestop"));
        QVERIFY(child<QFrame>("barframe"));
    }

    void runtimeTexts()
    {
        panel->setDates(u"01.03.2026"_s, u"31.03.2026"_s);
        panel->setId(u"C4:DE:E2:10:20:30"_s);
        QCOMPARE(child<QLabel>("datestart")->text(), u"01.03.2026"_s);
        QCOMPARE(child<QLabel>("datestop")->text(), u"31.03.2026"_s);
        QCOMPARE(child<QLabel>("idLabel")->text(), u"ID C4:DE:E2:10:20:30"_s);
    }

    void fitsTheNarrowWorkView()
    {
        // The work view gives the panel a 300 px frame; the widest day bar must still fit.
        panel->setDayBar(dayStates(days(80, 3)), 77);
        panel->setStatus(0, WorkKind::ClockFailure);
        QVERIFY2(panel->minimumSizeHint().width() <= 300,
                 qPrintable(QString::number(panel->minimumSizeHint().width())));
        QVERIFY(panel->minimumSizeHint().height() <= 700);
    }

    void remainingDaysText_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("text");
        const auto t = [](const char16_t *tail) { return u"РАБОТА В ДНЯХ • ОСТАЛОСЬ "_s + QString::fromUtf16(tail); };
        QTest::newRow("0") << 0 << t(u"0 ДНЕЙ");
        QTest::newRow("1") << 1 << t(u"1 ДЕНЬ");
        QTest::newRow("2") << 2 << t(u"2 ДНЯ");
        QTest::newRow("4") << 4 << t(u"4 ДНЯ");
        QTest::newRow("5") << 5 << t(u"5 ДНЕЙ");
        QTest::newRow("11") << 11 << t(u"11 ДНЕЙ");
        QTest::newRow("12") << 12 << t(u"12 ДНЕЙ");
        QTest::newRow("14") << 14 << t(u"14 ДНЕЙ");
        QTest::newRow("20") << 20 << t(u"20 ДНЕЙ");
        QTest::newRow("21") << 21 << t(u"21 ДЕНЬ");
        QTest::newRow("22") << 22 << t(u"22 ДНЯ");
        QTest::newRow("25") << 25 << t(u"25 ДНЕЙ");
        QTest::newRow("30") << 30 << t(u"30 ДНЕЙ");
        QTest::newRow("99") << 99 << t(u"99 ДНЕЙ");
        QTest::newRow("150 shown as 99") << 150 << t(u"99 ДНЕЙ");
        QTest::newRow("negative shown as 0") << -3 << t(u"0 ДНЕЙ");
    }

    void remainingDaysText()
    {
        QFETCH(int, days);
        QFETCH(QString, text);
        QCOMPARE(LeftMenuPanel::remainingDaysText(days), text);
    }

    void dayBar_data()
    {
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<QStringList>("bar");

        QTest::newRow("5 days: 15 labels, the first 5 carry the days")
            << days(5, 2) << styles({{2, Green}, {3, Grey}, {10, Empty}});
        QTest::newRow("40 days: 20 labels of 2 days")
            << days(40, 5) << styles({{3, Green}, {17, Grey}});
        QTest::newRow("41 days: the first segment takes 3 days")
            << days(41, 3) << styles({{1, Green}, {19, Grey}});
        QTest::newRow("20 days: one label each") << days(20, 20) << styles({{20, Green}});
        QTest::newRow("16 days") << days(16, 0) << styles({{16, Grey}});
        QTest::newRow("flagged beats begun, begun beats ahead")
            << [] { auto d = days(40, 4); d[3] = 1; d[5] = 3; return d; }()
            << styles({{1, Green}, {1, Red}, {18, Grey}});
        QTest::newRow("one label per day below 20 days")
            << QList<int>{0, 1, 3, 0} << styles({{1, Green}, {1, Red}, {1, Grey}, {1, Green}, {11, Empty}});
        QTest::newRow("unknown states stay empty")
            << QList<int>{2, 7, -1} << styles({{1, Grey}, {2, Empty}, {12, Empty}});
        QTest::newRow("last segment of a long cycle")
            << [] { auto d = days(80, 0); d[79] = 1; return d; }() << styles({{19, Grey}, {1, Red}});
    }

    void dayBar()
    {
        QFETCH(QList<int>, states);
        QFETCH(QStringList, bar);
        panel->setDayBar(dayStates(states), 10);
        QCOMPARE(barStyles(), bar);
        for (QLabel *label : child<QFrame>("barframe")->findChildren<QLabel *>())
            QCOMPARE(label->minimumWidth(), 12);
    }

    void dayBarRedrawLeavesNothingStale_data()
    {
        QTest::addColumn<QList<int>>("first");
        QTest::addColumn<QList<int>>("second");
        QTest::addColumn<QStringList>("bar");

        QTest::newRow("long cycle, then short") << days(20, 20) << days(10, 0) << styles({{10, Grey}, {5, Empty}});
        QTest::newRow("short cycle, then long") << days(3, 3) << days(60, 0) << styles({{20, Grey}});
        QTest::newRow("same label count") << days(40, 40) << days(20, 1) << styles({{1, Green}, {19, Grey}});
        QTest::newRow("days begin") << days(10, 0) << days(10, 4) << styles({{4, Green}, {6, Grey}, {5, Empty}});
    }

    void dayBarRedrawLeavesNothingStale()
    {
        QFETCH(QList<int>, first);
        QFETCH(QList<int>, second);
        QFETCH(QStringList, bar);
        panel->setDayBar(dayStates(first), 10);
        panel->setDayBar(dayStates(second), 10);
        QCOMPARE(barStyles(), bar);
        QCOMPARE(child<QFrame>("barframe")->findChildren<QLabel *>().size(), bar.size());
    }

    void dayBarShowsRemainingDays()
    {
        auto *label = child<QLabel>("daysLeftLabel");
        const QString caption = label->text();

        panel->setDayBar({}, 5); // no cycle: an empty bar and the bare caption
        QCOMPARE(label->text(), caption);
        QCOMPARE(barStyles(), QStringList());
        QCOMPARE(viewState().lastRemainingShown, -1);

        panel->setDayBar(dayStates(days(120, 1)), 119);
        QCOMPARE(label->text(), u"РАБОТА В ДНЯХ • ОСТАЛОСЬ 99 ДНЕЙ"_s);
        // a plan without cycle days leaves nothing of the old one behind
        panel->setDayBar({}, 0);
        QCOMPARE(label->text(), caption);
        QCOMPARE(barStyles(), QStringList());
        panel->setDayBar(dayStates(days(120, 1)), 119);
        QCOMPARE(label->text(), u"РАБОТА В ДНЯХ • ОСТАЛОСЬ 99 ДНЕЙ"_s);
        QCOMPARE(viewState().lastRemainingShown, 99);

        panel->setDayBar(dayStates(days(120, 100)), 20);
        QCOMPARE(label->text(), u"РАБОТА В ДНЯХ • ОСТАЛОСЬ 20 ДНЕЙ"_s);
        QCOMPARE(viewState().lastRemainingShown, 20);
    }

    void status_data()
    {
        QTest::addColumn<Calls>("calls");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("error");
        QTest::addColumn<int>("workRunning");

        QTest::newRow("working") << Calls{{4, 1}} << u"работа"_s << false << 1;
        QTest::newRow("finished") << Calls{{4, 2}} << u"работа завершена"_s << false << 0;
        QTest::newRow("waiting") << Calls{{1, 0}} << u"ожидание"_s << false << 0;
        QTest::newRow("stopped while waiting") << Calls{{0, 0}} << u"работа остановлена"_s << false << 0;
        QTest::newRow("stopped while working") << Calls{{4, 1}, {0, 1}} << u"работа остановлена"_s << false << 0;
        QTest::newRow("stopped when finished") << Calls{{0, 2}} << u"работа остановлена"_s << false << 0;
        QTest::newRow("no scenario") << Calls{{0, 3}} << u"сценарий не задан"_s << false << 0;
        QTest::newRow("clock failure stops work") << Calls{{4, 1}, {0, 4}} << ClockText << true << 0;
        QTest::newRow("scenario not loaded") << Calls{{0, 5}} << NotLoadedText << true << 0;
        QTest::newRow("first error stays") << Calls{{0, 4}, {0, 5}} << ClockText << true << 0;
        QTest::newRow("error with work running") << Calls{{0, 5}, {4, 4}} << NotLoadedText << true << 0;
        QTest::newRow("normal kind clears the error") << Calls{{0, 4}, {4, 1}} << u"работа"_s << false << 1;
        QTest::newRow("next error after a clear") << Calls{{0, 4}, {1, 0}, {0, 5}} << NotLoadedText << true << 0;
        QTest::newRow("unknown kind ignored") << Calls{{4, 1}, {4, 9}} << u"работа"_s << false << 1;
    }

    void status()
    {
        QFETCH(Calls, calls);
        QFETCH(QString, text);
        QFETCH(bool, error);
        QFETCH(int, workRunning);

        for (const auto &[active, kind] : calls)
            panel->setStatus(active, WorkKind(kind));
        auto *label = child<QLabel>("statusLabel");
        QCOMPARE(label->text(), text);
        QCOMPARE(label->styleSheet(), error ? ErrorStyle : NormalStyle);
        QCOMPARE(viewState().statusErrorShown, error ? 1 : 0);
        QCOMPARE(viewState().workRunning, workRunning);
    }

    void buttonsOpenTheirPages_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("action");  // empty: a mouse click; else an accessibility action
        const QList<QPair<QString, QString>> buttons{{u"devices"_s, u"deviceButton"_s},
                                                     {u"scenarios"_s, u"scenariosButton"_s},
                                                     {u"history"_s, u"settingsButton"_s},
                                                     {u"work cycle"_s, u"workCycleSettingsButton"_s}};
        // keyboard and screen-reader users switch pages through the toggle action
        for (const QString &action : {QString(), QAccessibleActionInterface::toggleAction(),
                                      QAccessibleActionInterface::pressAction()}) {
            for (int i = 0; i < buttons.size(); ++i) {
                const QString row = buttons.at(i).first + (action.isEmpty() ? QString() : u", "_s + action);
                QTest::newRow(qPrintable(row)) << buttons.at(i).second << i << action;
            }
        }
    }

    void buttonsOpenTheirPages()
    {
        QFETCH(QString, name);
        QFETCH(int, signal);
        QFETCH(QString, action);

        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel.get()));
        QSignalSpy devices(panel.get(), &LeftMenuPanel::openDevicesPage);
        QSignalSpy scenarios(panel.get(), &LeftMenuPanel::openScenarioPage);
        QSignalSpy history(panel.get(), &LeftMenuPanel::openSettingsPage);
        QSignalSpy cycle(panel.get(), &LeftMenuPanel::openWorkCycleSettingsPage);
        const QList<QSignalSpy *> spies{&devices, &scenarios, &history, &cycle};

        panel->checkDevicesButton();
        auto *b = panel->findChild<QPushButton *>(name);
        if (action.isEmpty()) {
            QTest::mouseClick(b, Qt::LeftButton);
        } else {
            QAccessibleInterface *button = QAccessible::queryAccessibleInterface(b);
            QVERIFY(button && button->actionInterface());
            QVERIFY(button->actionInterface()->actionNames().contains(action));
            QCOMPARE(button->text(QAccessible::Name), b->text().trimmed());
            button->actionInterface()->doAction(action);
            QVERIFY(button->state().checked);
        }
        for (int i = 0; i < spies.size(); ++i)
            QCOMPARE(spies[i]->count(), i == signal ? 1 : 0);

        // One checked button at a time.
        for (QPushButton *other : panel->findChild<QFrame *>(u"menuFrame"_s)->findChildren<QPushButton *>())
            QCOMPARE(other->isChecked(), other == b);
    }

    void sequencerMarksThePageWithoutSignals()
    {
        QSignalSpy devices(panel.get(), &LeftMenuPanel::openDevicesPage);
        QSignalSpy cycle(panel.get(), &LeftMenuPanel::openWorkCycleSettingsPage);

        button("settingsButton")->setChecked(true);
        panel->checkWorkCycleButton();
        QVERIFY(button("workCycleSettingsButton")->isChecked());
        QVERIFY(!button("settingsButton")->isChecked());

        panel->checkDevicesButton();
        QVERIFY(button("deviceButton")->isChecked());
        QVERIFY(!button("workCycleSettingsButton")->isChecked());
        QCOMPARE(devices.count() + cycle.count(), 0);
    }

    void menuVisibilityKeepsTheScenariosFlag()
    {
        const char *const others[] = {"deviceButton", "settingsButton", "workCycleSettingsButton"};
        QPushButton *scenarios = button("scenariosButton");

        panel->setScenariosButtonVisible(false);
        QVERIFY(scenarios->isHidden());
        panel->hideMenu();
        for (const char *name : others)
            QVERIFY(button(name)->isHidden());
        panel->showMenu();
        for (const char *name : others)
            QVERIFY(!button(name)->isHidden());
        QVERIFY(scenarios->isHidden());

        panel->setScenariosButtonVisible(true);
        QVERIFY(!scenarios->isHidden());
        panel->hideMenu();
        QVERIFY(scenarios->isHidden());
        panel->showMenu();
        QVERIFY(!scenarios->isHidden());
        QVERIFY(!button("closeAppButton")->isHidden());
    }

    void scenariosFlagWaitsWhileMenuIsHidden()
    {
        // A decode that finds several scenarios while the scenario page holds the menu hidden.
        QPushButton *scenarios = button("scenariosButton");
        panel->setScenariosButtonVisible(false);
        panel->hideMenu();
        panel->setScenariosButtonVisible(true);
        QVERIFY(scenarios->isHidden());
        QVERIFY(button("deviceButton")->isHidden());
        panel->showMenu();
        QVERIFY(!scenarios->isHidden());
    }
};

QTEST_MAIN(TestLeftMenuPanel)
#include "tst_leftmenupanel.moc"
