#include <QTest>

#include "cycle/calendarlayout.h"
#include "cycle/calendartext.h"

// Card texts, colours, the summary words and the page layout of the calendar.
class TestCalendarText : public QObject
{
    Q_OBJECT

    // Month keys of `count` cycles of `hours` from `start`.
    static QList<int> keys(const QDateTime &start, int hours, int count)
    {
        QList<int> k;
        for (int i = 0; i < count; ++i) {
            const QDate d = start.addSecs(qint64(i) * hours * 3600).date();
            k.append(d.year() * 12 + d.month() - 1);
        }
        return k;
    }

private slots:
    void cycleWord_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("word");
        QTest::newRow("1") << 1 << QStringLiteral(" ЦИКЛ•");
        QTest::newRow("21") << 21 << QStringLiteral(" ЦИКЛ•");
        QTest::newRow("22") << 22 << QStringLiteral(" ЦИКЛА • ");
        QTest::newRow("4") << 4 << QStringLiteral(" ЦИКЛА • ");
        QTest::newRow("12") << 12 << QStringLiteral(" ЦИКЛОВ•");
        QTest::newRow("11") << 11 << QStringLiteral(" ЦИКЛОВ•");
        QTest::newRow("25") << 25 << QStringLiteral(" ЦИКЛОВ•");
        QTest::newRow("80") << 80 << QStringLiteral(" ЦИКЛОВ•");
    }
    void cycleWord()
    {
        QFETCH(int, count);
        QFETCH(QString, word);
        QCOMPARE(CalendarText::cycleWord(count), word);
    }

    // A scenario's colour follows its index: adding a scenario anywhere leaves the colours of the
    // days that keep theirs as they were.
    void coloursStayWhenScenariosAreAdded_data()
    {
        QTest::addColumn<QList<int>>("before");
        QTest::addColumn<QList<int>>("after");
        QTest::addColumn<QList<int>>("colours");  // of `after`
        QTest::newRow("added before") << QList<int>{0, 0, 1, 1, 2, 2} << QList<int>{3, 3, 1, 1, 2, 2}
                                      << QList<int>{3, 3, 1, 1, 2, 2};
        QTest::newRow("added after") << QList<int>{1, 1, 2, 2, 0, 0} << QList<int>{1, 1, 2, 2, 3, 3}
                                     << QList<int>{1, 1, 2, 2, 3, 3};
        QTest::newRow("added in the middle of a run") << QList<int>{1, 1, 2, 2, 2, 2, 2} << QList<int>{1, 1, 2, 3, 3, 2, 2}
                                                      << QList<int>{1, 1, 2, 3, 3, 2, 2};
        QTest::newRow("same scenario met again") << QList<int>{1, 1, 2, 2} << QList<int>{1, 1, 2, 1}
                                                 << QList<int>{1, 1, 2, 1};
        QTest::newRow("base days between") << QList<int>{1, 0, 1, 0, 2} << QList<int>{1, 0, 1, 4, 2}
                                           << QList<int>{1, 0, 1, 4, 2};
        QTest::newRow("after 22 back to 1") << QList<int>{22, 0} << QList<int>{22, 23} << QList<int>{22, 1};
    }
    void coloursStayWhenScenariosAreAdded()
    {
        QFETCH(QList<int>, before);
        QFETCH(QList<int>, after);
        QFETCH(QList<int>, colours);
        const QList<int> was = CalendarText::colourNumbers(before);
        const QList<int> now = CalendarText::colourNumbers(after);
        QCOMPARE(now, colours);
        for (int i = 0; i < before.size(); ++i) {
            if (before.at(i) == after.at(i))
                QVERIFY2(was.at(i) == now.at(i), qPrintable(QStringLiteral("day %1 changed colour").arg(i)));
        }
    }

    void legend_data()
    {
        QTest::addColumn<QList<int>>("days");
        QTest::addColumn<QStringList>("names");  // by scenario index
        QTest::addColumn<QList<int>>("indexes");
        QTest::addColumn<QStringList>("texts");  // "colour name: dates" of each entry
        const QStringList named{QStringLiteral("База"), QStringLiteral("Рассада"), QStringLiteral("Цветение"),
                                QStringLiteral("Новый сценарий")};
        QTest::newRow("base days left out") << QList<int>{0, 1, 1, 0} << named << QList<int>{1}
                                            << QStringList{QStringLiteral("1 Рассада: 04-05 МАЯ")};
        QTest::newRow("a scenario in two runs, by index")
            << QList<int>{2, 2, 1, 1, 2, 3} << named << QList<int>{1, 2, 3}
            << QStringList{QStringLiteral("1 Рассада: 05-06 МАЯ"), QStringLiteral("2 Цветение: 03-04 МАЯ, 07 МАЯ"),
                           QStringLiteral("3 Новый сценарий: 08 МАЯ")};
        QTest::newRow("a scenario without a name") << QList<int>{0, 2, 2} << QStringList{QString(), QString(), QStringLiteral("  ")}
                                                   << QList<int>{2} << QStringList{QStringLiteral("2 Сценарий 2: 04-05 МАЯ")};
        QTest::newRow("nothing coloured") << QList<int>{0, 0} << named << QList<int>{} << QStringList{};
    }
    void legend()
    {
        QFETCH(QList<int>, days);
        QFETCH(QStringList, names);
        QFETCH(QList<int>, indexes);
        QFETCH(QStringList, texts);
        QList<Scenario> scenarios;
        for (const QString &name : names) {
            Scenario s;
            s.name = name;
            scenarios << s;
        }
        QList<CycleDay> cycle;
        for (int k = 0; k < days.size(); ++k)
            cycle.append({QDateTime(QDate(2026, 5, 3 + k), QTime(8, 0)), days.at(k)});
        const QList<CalendarText::LegendEntry> entries = CalendarText::legend(cycle, scenarios);
        QStringList got;
        QList<int> gotIndexes;
        for (const CalendarText::LegendEntry &e : entries) {
            QCOMPARE(e.colour, CalendarText::colourNumber(e.scenarioIndex));
            gotIndexes << e.scenarioIndex;
            got << QStringLiteral("%1 %2: %3").arg(e.colour).arg(e.name, e.dates);
        }
        QCOMPARE(gotIndexes, indexes);
        QCOMPARE(got, texts);
        // the shown text names each scenario with its dates, its name escaped
        const QString html = CalendarText::legendHtml(entries);
        for (const CalendarText::LegendEntry &e : entries) {
            QVERIFY(html.contains(e.name.toHtmlEscaped()));
            QVERIFY(html.contains(e.dates));
        }
    }

    void cardText_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<int>("hours");
        QTest::addColumn<QString>("dates");
        // 16 + 8 from 20:00 ends on the next day
        QTest::newRow("across midnight") << QDateTime(QDate(2026, 3, 31), QTime(20, 0)) << 24 << QStringLiteral("31-01•ВТ-СР");
        QTest::newRow("within a day") << QDateTime(QDate(2026, 3, 30), QTime(0, 0)) << 24 << QStringLiteral("30•ПН");
        QTest::newRow("a week, same weekday") << QDateTime(QDate(2026, 3, 2), QTime(9, 0)) << 168 + 1 << QStringLiteral("02-09•ПН");
    }
    void cardText()
    {
        QFETCH(QDateTime, start);
        QFETCH(int, hours);
        QFETCH(QString, dates);
        const QString html = CalendarText::cardText(4, start, start.addSecs(qint64(hours) * 3600 - 1), false);
        QVERIFY2(html.contains(QStringLiteral(">5</span>")), qPrintable(html));
        QVERIFY2(html.contains(QLatin1Char('>') + dates + QLatin1Char('<')), qPrintable(html));
        QVERIFY(!html.contains(QStringLiteral("#3FDD78")));
        QVERIFY(CalendarText::cardText(4, start, start, true).contains(QStringLiteral("#3FDD78")));
    }

    // The end is the start plus count cycles, with its own month and year.
    void summary_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<int>("cycleHours");
        QTest::addColumn<QString>("text");
        const QDateTime march20(QDate(2026, 3, 20), QTime(8, 0));
        QTest::newRow("into the next year") << 40 << QDateTime(QDate(2026, 11, 25), QTime(9, 0)) << 24
                                            << QStringLiteral("40 ЦИКЛОВ•25 НОЯБРЯ – 04 ЯНВАРЯ 2027");
        QTest::newRow("into the next month") << 22 << march20 << 24 << QStringLiteral("22 ЦИКЛА • 20 МАРТА – 11 АПРЕЛЯ 2026");
        QTest::newRow("one month") << 5 << march20 << 24 << QStringLiteral("5 ЦИКЛОВ•20 – 25 МАРТА 2026");
        QTest::newRow("cycles of 18 hours") << 10 << march20 << 18 << QStringLiteral("10 ЦИКЛОВ•20 – 27 МАРТА 2026");
        QTest::newRow("a month later, a year later") << 1 << march20 << 24 * 365
                                                    << QStringLiteral("1 ЦИКЛ•20 МАРТА – 20 МАРТА 2027");
    }
    void summary()
    {
        QFETCH(int, count);
        QFETCH(QDateTime, start);
        QFETCH(int, cycleHours);
        QTEST(CalendarText::summary(count, start, cycleHours), "text");
    }

    void layout_data()
    {
        QTest::addColumn<QList<int>>("monthKeys");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QList<int>>("expected");  // columns, rows1, rows2, shown1, shown2
        const QDateTime march20(QDate(2026, 3, 20), QTime(8, 0));
        // 12 March days and 18 April days; 10 columns, room for 4 rows, 3 with the second label
        QTest::newRow("month boundary, two months") << keys(march20, 24, 30) << 0 << 880 << 300
                                                   << QList<int>{10, 2, 1, 12, 10};
        QTest::newRow("second page") << keys(march20, 24, 30) << 22 << 880 << 300 << QList<int>{10, 1, 0, 8, 0};
        // the first month fills the height: one month visible
        QTest::newRow("first month fills it") << keys(march20, 24, 30) << 0 << 440 << 150 << QList<int>{5, 2, 0, 10, 0};
        QTest::newRow("80 days, 20 columns") << keys(QDateTime(QDate(2026, 1, 1), QTime(6, 0)), 24, 80) << 0 << 2000 << 600
                                             << QList<int>{20, 2, 2, 31, 28};
        QTest::newRow("narrow area still one column") << keys(march20, 24, 3) << 0 << 10 << 10 << QList<int>{1, 1, 0, 1, 0};
    }
    void layout()
    {
        QFETCH(QList<int>, monthKeys);
        QFETCH(int, first);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QList<int>, expected);
        const CalendarPage p = CalendarPage::compute(monthKeys, first, width, height);
        QCOMPARE((QList<int>{p.columns, p.rows1, p.rows2, p.shown1, p.shown2}), expected);
        QCOMPARE(p.twoMonths, p.rows2 > 0);
    }

    // Paging forward through an 80-day cycle shows every card once, in order; paging back returns
    // through the same page starts.
    void paging_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("small") << 440 << 200;
        QTest::newRow("medium") << 900 << 350;
        QTest::newRow("large") << 1800 << 700;
    }
    void paging()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        const QList<int> k = keys(QDateTime(QDate(2026, 1, 25), QTime(20, 0)), 16 + 8, 80);
        QList<int> starts{0};
        while (true) {
            const CalendarPage p = CalendarPage::compute(k, starts.last(), width, height);
            QVERIFY(p.visible() > 0);
            if (p.end() >= k.size())
                break;
            starts.append(p.end());
        }
        for (int i = starts.size() - 1; i > 0; --i)
            QCOMPARE(CalendarPage::previousFirst(k, starts.at(i), width, height), starts.at(i - 1));
    }
};

QTEST_MAIN(TestCalendarText)
#include "tst_calendartext.moc"
