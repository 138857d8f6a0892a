#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>

#include "model/controllerstate.h"
#include "programstate.h"
#include "scenario/actionitem.h"
#include "scenario/conditionitem.h"
#include "widgets/infonote.h"

namespace {

using Params = QList<double>;

void setCycle(int dayHours, int nightHours)
{
    ControllerState &state = controllerState();
    state.editedDayHours = dayHours;
    state.editedNightHours = nightHours;
    state.startTime = QDateTime(QDate(2026, 3, 1), QTime(0, 0));
}

// Types into a field and ends its editing as the user would.
void enter(ConditionItem &cell, const char *field, const QString &text)
{
    QLineEdit *edit = cell.field<QLineEdit>(field);
    edit->setText(text);
    emit edit->editingFinished();
}

QString text(ConditionItem &cell, const char *field)
{
    return cell.field<QLineEdit>(field)->text();
}

Params lastParams(const QSignalSpy &spy)
{
    return spy.isEmpty() ? Params() : spy.last().at(1).value<Params>();
}

QString noteText()
{
    return currentNote() ? currentNote()->text() : QString();
}

} // namespace

// The condition and action cells of a scenario row: modes, input cleaning, notes and signals.
class TestConditionItem : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        resetTestProgramState();
    }
    void cleanup() { closeNote(); }

    void clockModeDuration_data()
    {
        QTest::addColumn<bool>("startFirst");
        QTest::newRow("start, then end") << true;
        QTest::newRow("end, then start") << false;
    }
    void clockModeDuration()
    {
        QFETCH(bool, startFirst);
        setCycle(24, 0);
        ConditionItem cell(nullptr, 10, ConditionItem::TimerRow, -2, {0, 0, 0, 0, 3});
        QVERIFY(cell.clockMode());
        QCOMPARE(cell.params(), (Params{0, 0, 1440, 1}));
        QVERIFY(!cell.field<QComboBox>("conditionComboBox"));  // a timer has no kind to choose
        QCOMPARE(cell.field<QLabel>("label_4")->text(), QStringLiteral("КОНЕЦ РАБОТЫ"));
        QSignalSpy spy(&cell, &ConditionItem::valueChanged);
        if (startFirst) {
            enter(cell, "startone", QStringLiteral("22:00"));
            enter(cell, "valueEdit", QStringLiteral("06:00"));
        } else {
            enter(cell, "valueEdit", QStringLiteral("06:00"));
            enter(cell, "startone", QStringLiteral("22:00"));
        }
        QCOMPARE(spy.size(), 2);
        QCOMPARE(lastParams(spy), (Params{1320, 480, 1440, 1}));
        QCOMPARE(noteText(), QString());
    }

    void clockModeBadTimes_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("shownAfter");
        QTest::newRow("end") << QByteArray("valueEdit") << QStringLiteral("ОШИБКА!<p>Некорректное время окончания") << QStringLiteral("08:00");
        QTest::newRow("start") << QByteArray("startone") << QStringLiteral("ОШИБКА!<p>Некорректное время начала") << QStringLiteral("06:30");
    }
    void clockModeBadTimes()
    {
        QFETCH(QByteArray, field);
        QFETCH(QString, note);
        QFETCH(QString, shownAfter);
        setCycle(24, 0);
        controllerState().startTime = QDateTime(QDate(2026, 3, 1), QTime(6, 30));
        ConditionItem cell(nullptr, 10, ConditionItem::TimerRow, -2, {90, 60});
        QCOMPARE(text(cell, "startone"), QStringLiteral("08:00"));
        QCOMPARE(text(cell, "valueEdit"), QStringLiteral("09:00"));
        QSignalSpy spy(&cell, &ConditionItem::valueChanged);
        enter(cell, field.constData(), QStringLiteral("27:00"));
        QCOMPARE(spy.size(), 0);
        QCOMPARE(noteText(), note);
        QCOMPARE(text(cell, field.constData()), shownAfter);
    }

    void cycleModeShowsCleanedValues_data()
    {
        QTest::addColumn<Params>("stored");
        QTest::addColumn<QString>("pause");
        QTest::addColumn<QString>("count");
        QTest::addColumn<Params>("params");
        QTest::newRow("period 0: pause from 60 minutes") << Params{15, 30, 0, 2} << QStringLiteral("00:30") << QStringLiteral("2") << Params{15, 30, 60, 2};
        QTest::newRow("period above the cycle: cut to 1080") << Params{0, 30, 2000, 5} << QStringLiteral("17:30") << QStringLiteral("5") << Params{0, 30, 1080, 5};
        QTest::newRow("duration above the period raises it") << Params{0, 120, 60, 1} << QStringLiteral("00:00") << QStringLiteral("1") << Params{0, 120, 120, 1};
        QTest::newRow("count 0") << Params{0, 30, 60, 0} << QStringLiteral("00:30") << QStringLiteral("999") << Params{0, 30, 60, 65535};
        QTest::newRow("count 2.5") << Params{0, 30, 60, 2.5} << QStringLiteral("00:30") << QStringLiteral("999") << Params{0, 30, 60, 65535};
        QTest::newRow("count 65535") << Params{0, 30, 60, 65535} << QStringLiteral("00:30") << QStringLiteral("999") << Params{0, 30, 60, 65535};
        QTest::newRow("missing values") << Params{} << QStringLiteral("01:00") << QStringLiteral("999") << Params{0, 0, 60, 65535};
    }
    void cycleModeShowsCleanedValues()
    {
        QFETCH(Params, stored);
        setCycle(12, 6);
        ConditionItem cell(nullptr, 10, ConditionItem::TimerRow, -2, stored);
        QVERIFY(!cell.clockMode());
        QVERIFY(!cell.field<QLineEdit>("startone"));
        QCOMPARE(cell.field<QLabel>("tstlab")->text(), QStringLiteral("ЗАПУСК ОТ НАЧАЛА ЦИКЛА ЧЕРЕЗ"));
        QTEST(text(cell, "prdset"), "pause");
        QTEST(text(cell, "nprd"), "count");
        QTEST(cell.params(), "params");
        QCOMPARE(cell.kindOf(), 1);
    }

    void cycleModeEntries_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("sent");
        QTest::addColumn<Params>("params");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("note");
        const Params start{15, 30, 90, 4};  // shows start 00:15, duration 00:30, pause 01:00
        QTest::newRow("start") << QByteArray("starttime") << QStringLiteral("01:10") << true << Params{70, 30, 90, 4} << QStringLiteral("01:10") << QString();
        QTest::newRow("start not a time") << QByteArray("starttime") << QStringLiteral("ab:cd") << false << start << QStringLiteral("00:00") << QStringLiteral("ОШИБКА!<p>Некорректное время начала");
        QTest::newRow("duration keeps the pause") << QByteArray("dutytime") << QStringLiteral("00:45") << true << Params{15, 45, 105, 4} << QStringLiteral("00:45") << QString();
        QTest::newRow("duration 00:75 is 0 minutes") << QByteArray("dutytime") << QStringLiteral("00:75") << true << Params{15, 0, 60, 4} << QStringLiteral("00:75") << QString();
        QTest::newRow("duration not a time") << QByteArray("dutytime") << QStringLiteral("ab:cd") << false << start << QStringLiteral("00:00") << QStringLiteral("ОШИБКА!<p>Некорректное время длительности");
        QTest::newRow("pause") << QByteArray("prdset") << QStringLiteral("02:00") << true << Params{15, 30, 150, 4} << QStringLiteral("02:00") << QString();
        QTest::newRow("pause not a time") << QByteArray("prdset") << QStringLiteral("ab:cd") << true << Params{15, 30, 31, 4} << QStringLiteral("00:01") << QStringLiteral("ОШИБКА!<p>Некорректное время следующего повтора");
        QTest::newRow("count") << QByteArray("nprd") << QStringLiteral("7") << true << Params{15, 30, 90, 7} << QStringLiteral("7") << QString();
        QTest::newRow("count 0") << QByteArray("nprd") << QStringLiteral("0") << true << Params{15, 30, 90, 999} << QStringLiteral("999") << QString();
        QTest::newRow("count 65535") << QByteArray("nprd") << QStringLiteral("65535") << true << Params{15, 30, 90, 999} << QStringLiteral("999") << QString();
        QTest::newRow("count 2.5") << QByteArray("nprd") << QStringLiteral("2.5") << true << Params{15, 30, 90, 999} << QStringLiteral("999") << QString();
    }
    void cycleModeEntries()
    {
        QFETCH(QByteArray, field);
        QFETCH(QString, typed);
        QFETCH(bool, sent);
        setCycle(12, 6);
        ConditionItem cell(nullptr, 10, ConditionItem::TimerRow, -2, {15, 30, 90, 4});
        QSignalSpy spy(&cell, &ConditionItem::valueChanged);
        enter(cell, field.constData(), typed);
        QCOMPARE(spy.size(), sent ? 1 : 0);
        if (sent)
            QTEST(lastParams(spy), "params");
        QTEST(text(cell, field.constData()), "shown");
        QTEST(noteText(), "note");
    }

    // A timer row in a table is as tall as its fields: none is cut or drawn over another, with
    // the priority shown or hidden.
    void timerRowFitsItsFields_data()
    {
        QTest::addColumn<int>("nightHours");  // 0: clock mode, 6: cycle mode (18-hour cycle)
        QTest::addColumn<bool>("priority");
        QTest::newRow("cycle mode, priority hidden") << 6 << false;
        QTest::newRow("cycle mode, priority shown") << 6 << true;
        QTest::newRow("clock mode, priority hidden") << 0 << false;
        QTest::newRow("clock mode, priority shown") << 0 << true;
    }
    void timerRowFitsItsFields()
    {
        QFETCH(int, nightHours);
        QFETCH(bool, priority);
        setCycle(nightHours == 0 ? 24 : 12, nightHours);
        QTableWidget table(1, 1);
        table.resize(700, 400);
        auto *cell = new ConditionItem(nullptr, 10, ConditionItem::TimerRow, -2, {15, 30, 90, 4});
        table.setCellWidget(0, 0, cell);
        table.setColumnWidth(0, 600);
        cell->setPriorityVisible(priority);
        table.resizeRowsToContents();
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        QVERIFY2(cell->height() >= cell->layout()->minimumSize().height(), qPrintable(QString::number(cell->height())));
        QList<QWidget *> shown;
        for (QWidget *w : cell->findChildren<QWidget *>()) {
            if (w->isVisible() && (qobject_cast<QLabel *>(w) || qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w)))
                shown << w;
        }
        QVERIFY(shown.size() >= 4);
        for (QWidget *w : std::as_const(shown)) {
            QVERIFY2(cell->rect().contains(w->geometry()), qPrintable(w->objectName()));
            QVERIFY2(w->height() >= w->minimumSizeHint().height(), qPrintable(w->objectName()));
            for (QWidget *other : std::as_const(shown)) {
                if (other != w && other->parentWidget() == w->parentWidget())
                    QVERIFY2(!w->geometry().intersects(other->geometry()), qPrintable(w->objectName() + QLatin1Char('/') + other->objectName()));
            }
        }
    }

    void timerRefreshSendsNothing()
    {
        setCycle(12, 6);
        ConditionItem cell(nullptr, 10, ConditionItem::TimerRow, -2, {15, 30, 90, 4});
        QSignalSpy spy(&cell, &ConditionItem::valueChanged);
        cell.setTimer(TimerSlot{60, 20, 80, 3, 1, 1, -1, 0, 0});
        QCOMPARE(spy.size(), 0);
        QCOMPARE(text(cell, "starttime"), QStringLiteral("01:00"));
        QCOMPARE(text(cell, "prdset"), QStringLiteral("01:00"));
        QCOMPARE(text(cell, "nprd"), QStringLiteral("3"));
        QCOMPARE(cell.params(), (Params{60, 20, 80, 3}));
    }

    void intervalFromThreshold()
    {
        ConditionItem cell(nullptr, 10, ConditionItem::SensorRow, 2);
        ActionItem action;
        connect(&cell, &ConditionItem::conditionChanged, &action, &ActionItem::conditionChanged);
        QSignalSpy kinds(&cell, &ConditionItem::conditionChanged);
        QSignalSpy uppers(&cell, &ConditionItem::valueChanged2);
        enter(cell, "valueEdit", QStringLiteral("20"));
        QComboBox *combo = cell.field<QComboBox>("conditionComboBox");
        QCOMPARE(combo->itemText(2), QStringLiteral("ИНТЕРВАЛ"));
        combo->setCurrentIndex(2);
        emit combo->activated(2);
        QCOMPARE(text(cell, "valueEdit2"), QStringLiteral("21"));
        QVERIFY(!cell.field<QLineEdit>("valueEdit2")->isHidden());
        QCOMPARE(cell.field<QLabel>("label_4")->text(), QStringLiteral("ЗНАЧЕНИЕ ОТ"));
        QCOMPARE(cell.field<QLabel>("intervalinfo")->text(), QStringLiteral("ВКЛ ниже 20, ВЫКЛ выше 21"));
        QCOMPARE(kinds.last().at(0).toInt(), 3);
        QCOMPARE(kinds.last().at(2).toFloat(), 21.0f);
        QCOMPARE(uppers.last().at(0).toDouble(), 21.0);
        QCOMPARE(action.comboBox()->itemText(0), QStringLiteral("ВКЛ..."));
        cell.setAction(ConditionAction::Off);
        QCOMPARE(cell.field<QLabel>("intervalinfo")->text(), QStringLiteral("ВЫКЛ ниже 20, ВКЛ выше 21"));

        // a lower bound above the upper one raises the upper one, and the raised bound is reported
        enter(cell, "valueEdit2", QStringLiteral("25"));
        QCOMPARE(text(cell, "valueEdit2"), QStringLiteral("25"));
        enter(cell, "valueEdit", QStringLiteral("30"));
        QCOMPARE(text(cell, "valueEdit2"), QStringLiteral("31"));
        QCOMPARE(uppers.last().at(0).toDouble(), 31.0);
        QCOMPARE(kinds.last().at(2).toFloat(), 31.0f);
        // an upper bound not above the lower one is put right
        enter(cell, "valueEdit2", QStringLiteral("12"));
        QCOMPARE(text(cell, "valueEdit2"), QStringLiteral("31"));

        combo->setCurrentIndex(0);
        emit combo->activated(0);
        QVERIFY(cell.field<QLineEdit>("valueEdit2")->isHidden());
        QCOMPARE(action.comboBox()->itemText(0), QStringLiteral("ВКЛ"));
        QCOMPARE(kinds.last().at(0).toInt(), 1);
    }

    void thresholdThatIsNoNumber()
    {
        ConditionItem cell(nullptr, 10, ConditionItem::SensorRow, 1);
        QSignalSpy spy(&cell, &ConditionItem::valueChanged);
        enter(cell, "valueEdit", QStringLiteral("тепло"));
        QCOMPARE(text(cell, "valueEdit"), QStringLiteral("0"));
        QCOMPARE(text(cell, "valueEdit2"), QStringLiteral("1"));
        QCOMPARE(spy.last().at(0).toDouble(), 0.0);
        QCOMPARE(noteText(), QString());
        enter(cell, "valueEdit", QStringLiteral("21,5"));
        QCOMPARE(spy.last().at(0).toDouble(), 21.5);
    }

    void rowModes()
    {
        ConditionItem contact(nullptr, 10, ConditionItem::SensorRow, 3);
        QComboBox *kinds = contact.field<QComboBox>("conditionComboBox");
        QCOMPARE(kinds->count(), 2);
        QCOMPARE(kinds->itemText(0), QStringLiteral("ЗАМКНУТ"));
        QCOMPARE(kinds->itemText(1), QStringLiteral("РАЗОМКНУТ"));
        QVERIFY(!contact.field<QLineEdit>("valueEdit")->isEnabled());
        contact.setValue(5);
        QCOMPARE(text(contact, "valueEdit"), QString());

        ConditionItem sensor(nullptr, 10, ConditionItem::SensorRow, 2);
        QComboBox *priorities = sensor.field<QComboBox>("priorityComboBox");
        QCOMPARE(priorities->count(), 10);
        QCOMPARE(priorities->itemText(0), QStringLiteral("1-Низкий"));
        QCOMPARE(priorities->itemText(4), QStringLiteral("5"));
        QCOMPARE(priorities->itemText(9), QStringLiteral("10-Высокий"));
        sensor.setPriority(4);
        QCOMPARE(sensor.priorityOf(), 4);
        QCOMPARE(text(sensor, "valueEdit"), QStringLiteral("0.0"));

        ConditionItem base(nullptr, 10, ConditionItem::BaseStateRow, -2);
        QCOMPARE(base.priorityOf(), 0);
        QCOMPARE(base.kindOf(), 0);
        base.setPriorityVisible(true);
        QVERIFY(!base.field<QLabel>("fixprior")->isHidden());
        QVERIFY(!base.field<QComboBox>("priorityComboBox"));
        base.setPriorityVisible(false);
        QVERIFY(base.field<QLabel>("fixprior")->isHidden());
    }

    void wheelOverAChoiceLeavesIt()
    {
        QWidget table;
        auto *cell = new ConditionItem(&table, 10, ConditionItem::SensorRow, 2);
        QComboBox *combo = cell->field<QComboBox>("priorityComboBox");
        combo->setCurrentIndex(3);
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(combo, &wheel);
        QCOMPARE(combo->currentIndex(), 3);
    }
};

QTEST_MAIN(TestConditionItem)
#include "tst_conditionitem.moc"
