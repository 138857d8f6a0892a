#include <QLabel>
#include <QListWidget>
#include <QTest>

#include "mockclock.h"
#include "cycle/planchangequestion.h"
#include "model/clock.h"
#include "programstate.h"
#include "testsupport.h"
#include "../model/richstate.h"

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
    void init()
    {
        resetProgramState();
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
        QTest::addColumn<QString>("firstLine");
        const QString same = QStringLiteral("Изменений нет: контроллер уже хранит этот план");
        QTest::newRow("snapshot of the held plan, yes") << false << true << int(QDialog::Accepted) << same;
        QTest::newRow("snapshot, no") << false << true << int(QDialog::Rejected) << same;
        // 16 + 8 hours: the file's start moves to the next 08:00
        QTest::newRow("scenario file moves the start")
            << true << true << int(QDialog::Accepted)
            << QStringLiteral("Начало работы: 02.03.2026   08:00 → 11.03.2026   08:00");
        QTest::newRow("plan of the controller unknown")
            << false << false << int(QDialog::Accepted) << QStringLiteral("Начало работы: не задано → 02.03.2026   08:00");
    }
    void asked()
    {
        QFETCH(bool, scenarioFile);
        QFETCH(bool, heldKnown);
        QFETCH(int, answer);
        QFETCH(QString, firstLine);
        const QByteArray image = RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
        const QByteArray held = heldKnown ? image : QByteArray();
        Shown shown;
        scriptAnswer(answer, &shown);
        const bool goOn = scenarioFile
                              ? PlanChangeQuestion::confirmScenarioFile(nullptr, held, image)
                              : PlanChangeQuestion::confirmRestore(nullptr, held, image, QDateTime(QDate(2026, 3, 9), QTime(7, 30)));
        QCOMPARE(goOn, answer == QDialog::Accepted);
        QCOMPARE(shown.lines.value(0), firstLine);
        QCOMPARE(shown.intro.contains(QStringLiteral("неизвестен")), !heldKnown);
    }
};

QTEST_MAIN(TestPlanChangeQuestion)
#include "tst_planchangequestion.moc"
