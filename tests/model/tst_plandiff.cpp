#include <QTest>

#include "richstate.h"

#include "model/plan/plandiff.h"

#include <QJsonArray>
#include <QJsonObject>
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
        // the rows of changed and added scenarios are checked on their own below
        QJsonObject summary = planDiffToJson(diff);
        summary.remove(QStringLiteral("rows"));
        QCOMPARE(QJsonDocument(summary).toJson(QJsonDocument::Compact), json);
        QStringList summaryLines;
        for (const PlanDiffGroup &group : planDiffGroups(diff)) {
            if (!group.title.startsWith(QStringLiteral("Сценарий «")))
                summaryLines << group.lines;
        }
        QCOMPARE(summaryLines, lines);
        QCOMPARE(diff.isEmpty(), lines.isEmpty());
    }

    // Everything of sensors and scenario rows the controller would see, with the lines the
    // question shows (group titles, then their lines).
    void detail_data()
    {
        QTest::addColumn<ControllerState>("from");
        QTest::addColumn<ControllerState>("to");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("json");  // one key of the difference's JSON, compact

        const ControllerState rich = RichState::build();
        const QString lamp = QStringLiteral("Сценарий «Рассада», розетка 1 «Лампа», ");
        const QString changedScenario = QStringLiteral("    Меняется сценарий «Рассада»");

        ControllerState calibrated = rich;
        calibrated.sensors[0].calibration[0].offset = -1.7f;
        ControllerState uncalibrated = rich;
        uncalibrated.sensors[0].calibration[0].offset = 0.0f;
        QTest::newRow("humidity calibration removed")
            << calibrated << uncalibrated
            << QStringList{QStringLiteral("Датчики"), QStringLiteral("    Вход 1 «Климат»: поправка «Влажность» −1.7 % → нет")}
            << QByteArray(R"({"sensors":[{"calibrationFrom":[{"marker":0,"offset":-1.7000000476837158},{"marker":0,"offset":0}],)"
                          R"("calibrationTo":[{"marker":0,"offset":0},{"marker":0,"offset":0}],"from":"Климат","index":0,)"
                          R"("to":"Климат","typeFrom":2,"typeTo":2}]})");

        ControllerState voltage = rich;
        voltage.sensors[3].type = 5;
        voltage.sensors[3].channels = {8};
        QTest::newRow("type and channel")
            << rich << voltage
            << QStringList{QStringLiteral("Датчики"),
                           QStringLiteral("    Вход 4 «Уровень»: тип «Датчик замыкания(уровня...)» → «Измерение напряжения(датчик освещенности/уровня...)»"),
                           QStringLiteral("    Вход 4 «Уровень»: каналы 7 → 8")}
            << QByteArray(R"({"sensors":[{"channelsFrom":[7],"channelsTo":[8],"from":"Уровень","index":3,"to":"Уровень","typeFrom":3,"typeTo":5}]})");

        ControllerState added = rich;
        added.scenarios[1].sockets[2].dayConditions << RichState::sensorRow(0, 4, QString(), ConditionKind::Above, 70.0f,
                                                                            ConditionAction::On, 4);
        QTest::newRow("row added")
            << rich << added
            << QStringList{QStringLiteral("Сценарии"), changedScenario,
                           QStringLiteral("Сценарий «Рассада», розетка 2 «Вентилятор», день"),
                           QStringLiteral("    добавлено: Климат: Влажность выше 70 %: ВКЛ, приоритет 4")}
            << QByteArray(R"({"rows":[{"added":[{"action":1,"kind":2,"priority":4,"source":4,)"
                          R"("text":"Климат: Влажность выше 70 %: ВКЛ, приоритет 4","value":70}],"output":2,"phase":"day","scenario":"Рассада"}]})");

        ControllerState removed = rich;
        removed.scenarios[1].sockets[1].dayConditions.removeAt(1);
        QTest::newRow("row removed")
            << rich << removed
            << QStringList{QStringLiteral("Сценарии"), changedScenario, lamp + QStringLiteral("день"),
                           QStringLiteral("    удалено: Климат: Температура выше 28 °C: ВЫКЛ, приоритет 2")}
            << QByteArray(R"({"rows":[{"output":1,"phase":"day","removed":[{"action":2,"kind":2,"priority":2,"source":5,)"
                          R"("text":"Климат: Температура выше 28 °C: ВЫКЛ, приоритет 2","value":28}],"scenario":"Рассада"}]})");

        ControllerState interval = rich;
        interval.scenarios[1].sockets[1].nightConditions[2].params = {65.5};
        QTest::newRow("interval bound changed")
            << rich << interval
            << QStringList{QStringLiteral("Сценарии"), changedScenario, lamp + QStringLiteral("ночь"),
                           QStringLiteral("    изменено: Климат: Влажность от 40 до 60 %: ВКЛ, приоритет 3 → "
                                          "Климат: Влажность от 40 до 65.5 %: ВКЛ, приоритет 3")}
            << QByteArray(R"({"rows":[{"changed":[{"from":{"action":1,"kind":3,"priority":3,"source":4,)"
                          R"("text":"Климат: Влажность от 40 до 60 %: ВКЛ, приоритет 3","upper":60,"value":40},)"
                          R"("to":{"action":1,"kind":3,"priority":3,"source":4,"text":"Климат: Влажность от 40 до 65.5 %: ВКЛ, приоритет 3",)"
                          R"("upper":65.5,"value":40}}],"output":1,"phase":"night","scenario":"Рассада"}]})");

        // the lamp's timer runs 45 minutes instead of 30: both rows that use it change
        ControllerState timer = rich;
        SocketProgram &program = timer.scenarios[1].sockets[1];
        program.timers[0].duration = 45;
        program.dayConditions[2].params[1] = 45;
        program.nightConditions[1].params[1] = 45;
        const QString timerFrom = QStringLiteral("Таймер: старт 16:00, длительность 00:30, период 02:00, повторов 4: ВКЛ, приоритет 1");
        const QString timerTo = QStringLiteral("Таймер: старт 16:00, длительность 00:45, период 02:00, повторов 4: ВКЛ, приоритет 1");
        QTest::newRow("timer changed")
            << rich << timer
            << QStringList{QStringLiteral("Сценарии"), changedScenario,
                           lamp + QStringLiteral("день"), QStringLiteral("    изменено: ") + timerFrom + QStringLiteral(" → ") + timerTo,
                           lamp + QStringLiteral("ночь"), QStringLiteral("    изменено: ") + timerFrom + QStringLiteral(" → ") + timerTo}
            << QByteArray(R"({"scenariosChanged":["Рассада"]})");

        ControllerState flagged = rich;
        flagged.sockets[1].baseFlag = 1;
        QTest::newRow("socket flag")
            << flagged << rich
            << QStringList{QStringLiteral("Розетки"), QStringLiteral("    Розетка 2 «Вентилятор»: другие настройки розетки (флаг 1 → 0)")}
            << QByteArray(R"({"sockets":[{"baseFlagFrom":1,"baseFlagTo":0,"from":"Вентилятор","index":1,"to":"Вентилятор"}]})");

        // a sensor of a type from newer firmware and a row on its channel, kept but not shown
        ControllerState kept = rich;
        kept.keptSensorSections = {KeptSensorSection{1, 9, QStringLiteral("CO2 %2"), {9},
                                                     QByteArray::fromHex("0203434f32010909110900001214c800000003")}};
        kept.scenarios[1].sockets[2].keptDayRows = {KeptRow{1, QByteArray::fromHex("0a0906000096440000000002 0b")}};
        QTest::newRow("unknown records dropped")
            << kept << rich
            << QStringList{QStringLiteral("Сценарии"), changedScenario, QStringLiteral("Датчики"),
                           QStringLiteral("    Удаляется неизвестный датчик «CO2 %2» (тип 9) на входе 2"),
                           QStringLiteral("Сценарий «Рассада», розетка 2 «Вентилятор», день"),
                           QStringLiteral("    удалено: неизвестное условие (канал 9)")}
            << QByteArray(R"({"keptSensorSectionsRemoved":[{"input":1,"name":"CO2 %2","section":"0203434f32010909110900001214c800000003","type":9}]})");
    }
    void detail()
    {
        QFETCH(ControllerState, from);
        QFETCH(ControllerState, to);
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, json);
        const PlanDiff diff = diffPlans(from, to);
        QCOMPARE(planDiffLines(diff), lines);
        const QJsonObject expected = QJsonDocument::fromJson(json).object();
        const QString key = expected.keys().value(0);
        QCOMPARE(QJsonDocument(QJsonObject{{key, planDiffToJson(diff).value(key)}}).toJson(QJsonDocument::Compact), json);
        // nothing changes back the other way either
        QVERIFY(!diffPlans(to, from).isEmpty());
        QVERIFY(diffPlans(to, to).isEmpty());
    }

    // A long group shows its first lines and counts the rest.
    void longGroupsAreCut()
    {
        ControllerState many = RichState::build();
        for (int p = 10; p < 25; ++p)
            many.scenarios[1].sockets[2].dayConditions << RichState::sensorRow(0, 5, QString(), ConditionKind::Below, float(p),
                                                                               ConditionAction::On, p);
        const QStringList lines = planDiffLines(diffPlans(RichState::build(), many), 4);
        const qsizetype title = lines.indexOf(QStringLiteral("Сценарий «Рассада», розетка 2 «Вентилятор», день"));
        QVERIFY(title >= 0);
        QCOMPARE(lines.size(), title + 6);
        QCOMPARE(lines.at(title + 1), QStringLiteral("    добавлено: Климат: Температура ниже 10 °C: ВКЛ, приоритет 10"));
        QCOMPARE(lines.last(), QStringLiteral("    и ещё 11"));
    }

    void planWithoutWorkCycleHasNoDates()
    {
        ControllerState none = RichState::build();
        none.cycleCount = 0;
        none.days.clear();
        const PlanDiff diff = diffPlans(none, RichState::build());
        QVERIFY(!diff.start.from.isValid());
        QVERIFY(diff.days.isEmpty()); // days the old plan lacks are told by the cycle count
        QVERIFY(planDiffLines(diff).contains(QStringLiteral("    Начало работы: не задано → 02.03.2026   08:00")));
        QCOMPARE(planDiffToJson(diff).value(QStringLiteral("workCycle"))[QStringLiteral("start")][QStringLiteral("from")],
                 QJsonValue());
    }
};

QTEST_GUILESS_MAIN(TestPlanDiff)
#include "tst_plandiff.moc"
