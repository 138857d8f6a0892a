#include <QLabel>
#include <QListWidget>
#include <QTest>

#include "mockclock.h"
#include "cycle/planchangequestion.h"
#include "model/clock.h"
#include "model/codec/configimage.h"
#include "programstate.h"
#include "testsupport.h"
#include "richstate.h"

// The question before a plan is written: what it lists for a restored snapshot and for a scenario
// file (whose start moves to today), and that only "yes" goes on.
class TestPlanChangeQuestion : public QObject
{
    Q_OBJECT

    struct Shown
    {
        QString intro;
        QStringList lines;
    };

    static void scriptAnswer(int answer, Shown *shown)
    {
        Dialogs::scriptExecResult(answer, [shown](QDialog *dialog) {
            if (const auto *label = dialog->findChild<QLabel *>())
                shown->intro = label->text();
            const auto *list = dialog->findChild<QListWidget *>(QLatin1String(PlanChangeQuestion::ListName));
            for (int i = 0; list && i < list->count(); ++i)
                shown->lines << list->item(i)->text();
        });
    }

private slots:
    // After the differences, what the checker finds in the plan that would be written.
    void findingsOfTheIncomingPlanAreListed()
    {
        ControllerState bad = RichState::build();
        Condition inverted = RichState::sensorRow(0, 5, QString(), ConditionKind::Interval, 25, ConditionAction::On, 9, {20});
        bad.scenarios[1].sockets[2].dayConditions << inverted;
        QByteArray badBody;
        encodeConfigImage(bad, badBody);
        const QByteArray held = RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
        Shown shown;
        scriptAnswer(QDialog::Rejected, &shown);
        QVERIFY(!PlanChangeQuestion::confirmScenarioFile(nullptr, held, badBody));
        const qsizetype group = shown.lines.indexOf(QStringLiteral("Проверка плана: есть ошибки"));
        QVERIFY2(group > 0, qPrintable(shown.lines.join(u'|')));
        bool listed = false;
        for (qsizetype i = group + 1; i < shown.lines.size(); ++i)
            listed = listed || (shown.lines.at(i).startsWith(QStringLiteral("  Ошибка: ")) && shown.lines.at(i).contains(QStringLiteral("верхняя граница интервала")));
        QVERIFY(listed);
    }

    void init()
    {
        resetTestProgramState();
        MockClock::set(QDateTime(QDate(2026, 3, 10), QTime(12, 0)));
    }
    void cleanup()
    {
        Dialogs::clearScript();
        MockClock::clear();
    }

    void asked_data()
    {
        QTest::addColumn<bool>("scenarioFile");
        QTest::addColumn<bool>("heldKnown");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("firstLines");
        const QStringList same{QStringLiteral("Изменений нет: контроллер уже хранит этот план")};
        QTest::newRow("snapshot of the held plan, yes") << false << true << int(QDialog::Accepted) << same;
        QTest::newRow("snapshot, no") << false << true << int(QDialog::Rejected) << same;
        // 16 + 8 hours: the file's start moves to the next 08:00
        QTest::newRow("scenario file moves the start")
            << true << true << int(QDialog::Accepted)
            << QStringList{QStringLiteral("Работа"), QStringLiteral("    Начало работы: 02.03.2026   08:00 → 11.03.2026   08:00")};
        QTest::newRow("plan of the controller unknown")
            << false << false << int(QDialog::Accepted)
            << QStringList{QStringLiteral("Работа"), QStringLiteral("    Начало работы: не задано → 02.03.2026   08:00")};
    }
    void asked()
    {
        QFETCH(bool, scenarioFile);
        QFETCH(bool, heldKnown);
        QFETCH(int, answer);
        QFETCH(QStringList, firstLines);
        const QByteArray image = RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
        const QByteArray held = heldKnown ? image : QByteArray();
        Shown shown;
        scriptAnswer(answer, &shown);
        const bool goOn = scenarioFile
                              ? PlanChangeQuestion::confirmScenarioFile(nullptr, held, image)
                              : PlanChangeQuestion::confirmRestore(nullptr, held, image, QDateTime(QDate(2026, 3, 9), QTime(7, 30)));
        QCOMPARE(goOn, answer == QDialog::Accepted);
        QCOMPARE(shown.lines.mid(0, firstLines.size()), firstLines);
        QCOMPARE(shown.intro.contains(QStringLiteral("неизвестен")), !heldKnown);
    }

    // A restore lists what the held plan loses besides names and dates, grouped under bold titles,
    // and a long group ends with the count of what it does not show.
    void everyChangeIsListed_data()
    {
        QTest::addColumn<ControllerState>("held");
        QTest::addColumn<QStringList>("expected");  // lines that must be shown, in this order
        QTest::addColumn<int>("lines");

        ControllerState calibrated = RichState::build();
        calibrated.sensors[0].calibration[0].offset = -1.7f;
        calibrated.sensors[0].section = ImageBytes::sensor(0, 2, QStringLiteral("Климат"), {{4, true, true, -1.7f}, {5}}, 6, 300);
        QTest::newRow("a calibration the snapshot changes")
            << calibrated
            << QStringList{QStringLiteral("Датчики"), QStringLiteral("    Вход 1 «Климат»: поправка «Влажность» −1.7 % → +1.5 %")} << 2;

        ControllerState many = RichState::build();
        for (int p = 10; p < 30; ++p)
            many.scenarios[1].sockets[2].dayConditions << RichState::sensorRow(0, 5, QString(), ConditionKind::Below, float(p),
                                                                               ConditionAction::On, p);
        QTest::newRow("twenty rows the snapshot lacks")
            << many
            << QStringList{QStringLiteral("Сценарий «Рассада», розетка 2 «Вентилятор», день"),
                           QStringLiteral("    удалено: Климат: Температура ниже 10 °C: ВКЛ, приоритет 10"),
                           QStringLiteral("    и ещё %1").arg(20 - PlanChangeQuestion::MaxLinesPerGroup)}
            << 2 + 1 + PlanChangeQuestion::MaxLinesPerGroup + 1;
    }
    void everyChangeIsListed()
    {
        QFETCH(ControllerState, held);
        QFETCH(QStringList, expected);
        QFETCH(int, lines);
        QByteArray heldBody;
        encodeConfigImage(held, heldBody);
        const QByteArray snapshot = RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
        Shown shown;
        QStringList bold;
        Dialogs::scriptExecResult(QDialog::Rejected, [&shown, &bold](QDialog *dialog) {
            const auto *list = dialog->findChild<QListWidget *>(QLatin1String(PlanChangeQuestion::ListName));
            // the differences; the checker's group after them is another test's
            for (int i = 0; list && i < list->count() && !list->item(i)->text().startsWith(QStringLiteral("Проверка плана")); ++i) {
                shown.lines << list->item(i)->text();
                if (list->item(i)->font().bold())
                    bold << list->item(i)->text();
            }
        });
        QVERIFY(!PlanChangeQuestion::confirmRestore(nullptr, heldBody, snapshot, QDateTime(QDate(2026, 3, 9), QTime(7, 30))));
        QCOMPARE(shown.lines.size(), lines);
        qsizetype at = 0;
        for (const QString &line : expected) {
            at = shown.lines.indexOf(line, at);
            QVERIFY2(at >= 0, qPrintable(line));
        }
        QVERIFY(bold.contains(expected.first()));
        QVERIFY(!bold.contains(expected.last()));
    }
};

QTEST_MAIN(TestPlanChangeQuestion)
#include "tst_planchangequestion.moc"
