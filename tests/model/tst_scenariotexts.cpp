#include <QTest>

#include "model/plan/scenariointervals.h"
#include "model/plan/timertext.h"

// Texts of the scenario editor: timer durations and clock times, and the dates a scenario runs on.
class TestScenarioTexts : public QObject
{
    Q_OBJECT

private slots:
    void durationText_data()
    {
        QTest::addColumn<qint64>("minutes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << QStringLiteral("00:00");
        QTest::newRow("75") << qint64(75) << QStringLiteral("01:15");
        QTest::newRow("above 99 hours") << qint64(6000) << QStringLiteral("99:00");
        QTest::newRow("negative") << qint64(-5) << QStringLiteral("00:00");
    }
    void durationText()
    {
        QFETCH(qint64, minutes);
        QFETCH(QString, text);
        QCOMPARE(formatDuration(minutes), text);
    }

    void durationEntry_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<bool>("ok");
        QTest::newRow("plain") << QStringLiteral("01:30") << 90 << true;
        QTest::newRow("minutes above 59 count as nothing") << QStringLiteral("00:75") << 0 << true;
        QTest::newRow("letters") << QStringLiteral("ab:cd") << 0 << false;
        QTest::newRow("letters in the hours") << QStringLiteral("ab:10") << 0 << false;
        QTest::newRow("empty") << QString() << 0 << false;
        QTest::newRow("masked blank") << QStringLiteral(":") << 0 << false;
        QTest::newRow("99 hours") << QStringLiteral("99:00") << 5940 << true;
    }
    void durationEntry()
    {
        QFETCH(QString, text);
        QFETCH(int, minutes);
        QFETCH(bool, ok);
        bool good = !ok;
        QCOMPARE(parseDuration(text, &good), minutes);
        QCOMPARE(good, ok);
    }

    void clockEntry_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QTime>("start");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<bool>("ok");
        QTest::newRow("after a midnight start") << QStringLiteral("22:00") << QTime(0, 0) << 1320 << true;
        QTest::newRow("before the start's time of day") << QStringLiteral("06:00") << QTime(8, 30) << 1290 << true;
        QTest::newRow("the start itself") << QStringLiteral("08:30") << QTime(8, 30) << 0 << true;
        QTest::newRow("no such hour") << QStringLiteral("25:00") << QTime(0, 0) << 0 << false;
        QTest::newRow("not a time") << QStringLiteral("ab:cd") << QTime(0, 0) << 0 << false;
    }
    void clockEntry()
    {
        QFETCH(QString, text);
        QFETCH(QTime, start);
        QFETCH(int, minutes);
        QFETCH(bool, ok);
        bool good = !ok;
        QCOMPARE(parseClockMinutes(text, QDateTime(QDate(2026, 3, 29), start), &good), minutes);
        QCOMPARE(good, ok);
    }

    void clockTextWrapsAtMidnight()
    {
        const QDateTime start(QDate(2026, 3, 1), QTime(20, 0));
        QCOMPARE(clockText(start, 0), QStringLiteral("20:00"));
        QCOMPARE(clockText(start, 600), QStringLiteral("06:00"));
        QCOMPARE(clockText(start, 1440 + 60), QStringLiteral("21:00"));
    }

    void intervals_data()
    {
        QTest::addColumn<QList<int>>("scenarioOfDay");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QStringList>("texts");
        // days from the first date on, one per day
        QTest::newRow("end of January") << QList<int>{2, 1, 1, 1, 1} << QDate(2026, 1, 27)
                                        << QStringList{QStringLiteral("28-31 ЯНВАРЯ")};
        QTest::newRow("single day") << QList<int>{1} << QDate(2026, 3, 1) << QStringList{QStringLiteral("01 МАРТА")};
        QTest::newRow("two runs, one across months")
            << QList<int>{0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1}
            << QDate(2026, 5, 1) << QStringList{QStringLiteral("03-05 МАЯ"), QStringLiteral("30 МАЯ-02 ИЮНЯ")};
        QTest::newRow("unused") << QList<int>{0, 2} << QDate(2026, 5, 1) << QStringList();
    }
    void intervals()
    {
        QFETCH(QList<int>, scenarioOfDay);
        QFETCH(QDate, first);
        QFETCH(QStringList, texts);
        QList<CycleDay> days;
        for (int i = 0; i < scenarioOfDay.size(); ++i)
            days << CycleDay{QDateTime(first.addDays(i), QTime(8, 0)), scenarioOfDay.at(i)};
        QCOMPARE(scenarioIntervalTexts(days, 1), texts);
    }
};

QTEST_GUILESS_MAIN(TestScenarioTexts)
#include "tst_scenariotexts.moc"
