#include <QTest>

#include "richstate.h"

#include "model/plandiff.h"

#include <QJsonArray>
#include <QJsonDocument>

// What a restore or a loaded file would change, between the rich plan and a changed copy of it.
class TestPlanDiff : public QObject
{
    Q_OBJECT

    enum Change {
        Nothing,
        StartMoved,
        MoreCycles,
        LongerDay,
        ScenarioAdded,
        ScenarioRemoved,
        ScenarioThresholdChanged,
        DaysSwitched,
        SocketRenamed,
        SensorRenamed,
        SensorRemoved,
        DefaultNameOfUnusedInput,
    };

    static ControllerState changed(Change change)
    {
        ControllerState s = RichState::build();
        switch (change) {
        case Nothing:
            break;
        case StartMoved:
            s.startTime = s.startTime.addDays(2);
            break;
        case MoreCycles:
            s.cycleCount = 6;
            s.days << CycleDay() << CycleDay();
            break;
        case LongerDay:
            s.dayHours = 18;
            s.nightHours = 6;
            break;
        case ScenarioAdded: {
            Scenario flowering = s.scenarios.at(1);
            flowering.name = QStringLiteral("Цветение");
            s.scenarios << flowering;
            s.days[3].scenarioIndex = 2;
            break;
        }
        case ScenarioRemoved:
            s.scenarios.removeLast();
            s.days[1].scenarioIndex = 0;
            s.days[2].scenarioIndex = 0;
            break;
        case ScenarioThresholdChanged:
            s.scenarios[1].sockets[1].dayConditions[1].value = bitsFromFloat(30.0f);
            break;
        case DaysSwitched:
            s.days[0].scenarioIndex = 1;
            s.days[1].scenarioIndex = 0;
            s.days[2].scenarioIndex = 0;
            break;
        case SocketRenamed:
            s.sockets[1].name = QStringLiteral("Вытяжка");
            break;
        case SensorRenamed:
            s.sensors[3].name = QStringLiteral("Бак");
            break;
        case SensorRemoved:
            s.sensors[2].type = 0;
            break;
        case DefaultNameOfUnusedInput:
            s.sensors[5].name = QStringLiteral("Датчик 9");
            break;
        }
        return s;
    }

private slots:
    void richPlans_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<QByteArray>("json");   // the difference's JSON, compact
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("same plan") << int(Nothing) << QByteArray(R"({"same":true})") << QStringList();
        QTest::newRow("start two days later")
            << int(StartMoved)
            << QByteArray(R"({"same":false,"workCycle":{"end":{"from":"2026-03-06T08:00:00","to":"2026-03-08T08:00:00"},)"
                          R"("start":{"from":"2026-03-02T08:00:00","to":"2026-03-04T08:00:00"}}})")
            << QStringList{QStringLiteral("Начало работы: 02.03.2026   08:00 → 04.03.2026   08:00"),
                           QStringLiteral("Окончание работы: 06.03.2026   08:00 → 08.03.2026   08:00")};
        QTest::newRow("two cycles more")
            << int(MoreCycles)
            << QByteArray(R"({"same":false,"workCycle":{"cycleCount":{"from":4,"to":6},)"
                          R"("end":{"from":"2026-03-06T08:00:00","to":"2026-03-08T08:00:00"}}})")
            << QStringList{QStringLiteral("Окончание работы: 06.03.2026   08:00 → 08.03.2026   08:00"),
                           QStringLiteral("Количество циклов: 4 → 6")};
        QTest::newRow("longer day, same cycle")
            << int(LongerDay)
            << QByteArray(R"({"same":false,"workCycle":{"dayHours":{"from":16,"to":18},"nightHours":{"from":8,"to":6}}})")
            << QStringList{QStringLiteral("Длительность дня: 16 ч → 18 ч"), QStringLiteral("Длительность ночи: 8 ч → 6 ч")};
        QTest::newRow("scenario added on the last day")
            << int(ScenarioAdded)
            << QByteArray(R"({"days":[{"day":4,"from":"Базовый сценарий","to":"Цветение"}],"same":false,"scenariosAdded":["Цветение"]})")
            << QStringList{QStringLiteral("Новый сценарий «Цветение»"),
                           QStringLiteral("День 4: «Базовый сценарий» → «Цветение»")};
        QTest::newRow("scenario removed from its two days")
            << int(ScenarioRemoved)
            << QByteArray(R"({"days":[{"day":2,"from":"Рассада","to":"Базовый сценарий"},)"
                          R"({"day":3,"from":"Рассада","to":"Базовый сценарий"}],"same":false,"scenariosRemoved":["Рассада"]})")
            << QStringList{QStringLiteral("Удаляется сценарий «Рассада»"),
                           QStringLiteral("Дни 2–3: «Рассада» → «Базовый сценарий»")};
        QTest::newRow("threshold of a scenario")
            << int(ScenarioThresholdChanged) << QByteArray(R"({"same":false,"scenariosChanged":["Рассада"]})")
            << QStringList{QStringLiteral("Меняется сценарий «Рассада»")};
        QTest::newRow("days switched")
            << int(DaysSwitched)
            << QByteArray(R"({"days":[{"day":1,"from":"Базовый сценарий","to":"Рассада"},)"
                          R"({"day":2,"from":"Рассада","to":"Базовый сценарий"},)"
                          R"({"day":3,"from":"Рассада","to":"Базовый сценарий"}],"same":false})")
            << QStringList{QStringLiteral("День 1: «Базовый сценарий» → «Рассада»"),
                           QStringLiteral("Дни 2–3: «Рассада» → «Базовый сценарий»")};
        QTest::newRow("socket renamed")
            << int(SocketRenamed) << QByteArray(R"({"same":false,"sockets":[{"from":"Вентилятор","index":1,"to":"Вытяжка"}]})")
            << QStringList{QStringLiteral("Розетка 2: «Вентилятор» → «Вытяжка»")};
        QTest::newRow("sensor renamed")
            << int(SensorRenamed)
            << QByteArray(R"({"same":false,"sensors":[{"from":"Уровень","index":3,"to":"Бак","typeFrom":3,"typeTo":3}]})")
            << QStringList{QStringLiteral("Вход 4: «Уровень» → «Бак»")};
        QTest::newRow("sensor taken off")
            << int(SensorRemoved)
            << QByteArray(R"({"same":false,"sensors":[{"from":"Насос","index":2,"to":"Насос","typeFrom":4,"typeTo":0}]})")
            << QStringList{QStringLiteral("Вход 3: «Насос» → не подключен")};
        QTest::newRow("caption of an input without sensor") << int(DefaultNameOfUnusedInput)
                                                             << QByteArray(R"({"same":true})") << QStringList();
    }
    void richPlans()
    {
        QFETCH(int, change);
        QFETCH(QByteArray, json);
        QFETCH(QStringList, lines);
        const PlanDiff diff = diffPlans(RichState::build(), changed(Change(change)));
        QCOMPARE(QJsonDocument(planDiffToJson(diff)).toJson(QJsonDocument::Compact), json);
        QCOMPARE(planDiffLines(diff), lines);
        QCOMPARE(diff.isEmpty(), lines.isEmpty());
    }

    void planWithoutWorkCycleHasNoDates()
    {
        ControllerState none = RichState::build();
        none.cycleCount = 0;
        none.days.clear();
        const PlanDiff diff = diffPlans(none, RichState::build());
        QVERIFY(!diff.start.from.isValid());
        QVERIFY(diff.days.isEmpty()); // days the old plan lacks are told by the cycle count
        QVERIFY(planDiffLines(diff).contains(QStringLiteral("Начало работы: не задано → 02.03.2026   08:00")));
        QCOMPARE(planDiffToJson(diff).value(QStringLiteral("workCycle"))[QStringLiteral("start")][QStringLiteral("from")],
                 QJsonValue());
    }
};

QTEST_GUILESS_MAIN(TestPlanDiff)
#include "tst_plandiff.moc"
