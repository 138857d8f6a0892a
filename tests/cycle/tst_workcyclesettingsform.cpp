#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTimer>

#include "cyclefixture.h"
#include "commentanswer.h"
#include "link/exchangestate.h"
#include "widgets/dialogs.h"
#include "widgets/theme.h"
#include "widgets/viewstate.h"

using ScenarioMap = QMap<int, int>;

// The work-cycle page: its fields, the calendar, the selection it keeps for the scenario page,
// day comments and the description.
class TestWorkCycleSettingsForm : public QObject
{
    Q_OBJECT

private slots:
    void numberFields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("value");
        QTest::newRow("four digits") << "lenday" << "1234" << "123" << 123;
        QTest::newRow("letters only") << "dayHoursEdit" << "abc" << "" << 0;
        QTest::newRow("zero") << "nightHoursEdit" << "0" << "" << 0;
        QTest::newRow("digits then letter") << "dayHoursEdit" << "7x" << "7" << 7;
    }
    void numberFields()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, value);
        CycleFixture f;
        f.setPlan(5);
        QLineEdit *e = f.edit(qPrintable(field));
        e->clear();
        QTest::keyClicks(e, typed);
        QCOMPARE(e->text(), shown);
        const ControllerState &s = controllerState();
        const int edited = field == QLatin1String("lenday")         ? s.editedCycleCount
                           : field == QLatin1String("dayHoursEdit") ? s.editedDayHours
                                                                    : s.editedNightHours;
        QCOMPARE(edited, value);
    }

    void countCappedOnLeaving()
    {
        CycleFixture f;
        f.setPlan(5);
        QLineEdit *e = f.edit("lenday");
        e->clear();
        QTest::keyClicks(e, QStringLiteral("120"));
        QCOMPARE(f.page->cards().size(), 80);
        CycleFixture::leave(e);
        QCOMPARE(e->text(), QStringLiteral("80"));
        QCOMPARE(controllerState().editedCycleCount, 80);
        QCOMPARE(f.page->cards().size(), 80);
    }

    void zeroHoursBecomeOne()
    {
        CycleFixture f;
        f.setPlan(5);
        QLineEdit *e = f.edit("dayHoursEdit");
        e->clear();
        QTest::keyClicks(e, QStringLiteral("0"));
        CycleFixture::leave(e);
        QCOMPARE(e->text(), QStringLiteral("1"));
        QCOMPARE(controllerState().editedDayHours, 1);
    }

    void startField_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("shown");
        const QString live = QStringLiteral("28.03.2026   20:00");
        QTest::newRow("ten minutes ago") << "10.03.2026   11:50" << "Дата старта уже прошла" << live;
        QTest::newRow("unreadable") << "99.99.2026   20:00" << "" << live;
        QTest::newRow("later") << "01.04.2026   08:30" << "" << "01.04.2026   08:30";
    }
    void startField()
    {
        QFETCH(QString, typed);
        QFETCH(QString, note);
        QFETCH(QString, shown);
        CycleFixture f;
        f.setPlan(5);
        QLineEdit *e = f.edit("starttime");
        e->setText(typed);
        CycleFixture::leave(e);
        QCOMPARE(CycleFixture::noteText(), note);
        QCOMPARE(e->text(), shown);
        QCOMPARE(controllerState().editedStartTime, QDateTime::fromString(shown, startTimeFormat()));
        QCOMPARE(f.page->cards().first()->dateTime(), controllerState().editedStartTime);
    }

    // A running cycle's start lies in the past; passing through its field changes nothing.
    void unchangedPastStartIsKept()
    {
        CycleFixture f;
        f.setPlan(16, 8, QDateTime(QDate(2026, 3, 1), QTime(8, 0)), QList<int>(20, 0));
        CycleFixture::leave(f.edit("starttime"));
        QCOMPARE(CycleFixture::noteText(), QString());
        QCOMPARE(f.edit("starttime")->text(), QStringLiteral("01.03.2026   08:00"));
    }

    void calendarAcrossMonths()
    {
        CycleFixture f;
        // 16 + 8 from 20:00 on Saturday 28 March: each card spans two days
        f.setPlan(16, 8, QDateTime(QDate(2026, 3, 28), QTime(20, 0)), {0, 1, 1, 2, 0, 1, 0, 0, 0, 0});
        const QList<DayCard *> cards = f.page->cards();
        QCOMPARE(cards.size(), 10);
        QVERIFY(cards.at(0)->text().contains(QStringLiteral("28-29•СБ-ВС")));
        QVERIFY(cards.at(3)->text().contains(QStringLiteral("31-01•ВТ-СР")));
        QCOMPARE(f.child<QLabel>("mounth1")->text(), QStringLiteral("МАРТ"));
        QCOMPARE(f.child<QLabel>("mounth2")->text(), QStringLiteral("АПРЕЛЬ"));
        QVERIFY(f.child<QLabel>("mounth2")->isVisible());
        QCOMPARE(f.child<QLabel>("summaryLabel")->text(), QStringLiteral("10 ЦИКЛОВ•28 МАРТА – 07 АПРЕЛЯ 2026"));
        // April's first card opens the second band
        QVERIFY(cards.at(4)->y() > cards.at(3)->y());
        QCOMPARE(cards.at(4)->x(), 0);
        // scenario 1 met again after scenario 2 keeps its colour
        QCOMPARE((QList<int>{cards.at(1)->colour, cards.at(2)->colour, cards.at(3)->colour, cards.at(5)->colour}),
                 (QList<int>{1, 1, 2, 1}));
        QCOMPARE(cards.at(0)->colour, 0);
        QCOMPARE(cards.at(3)->background(), QColor(222, 31, 240, 62));
        QCOMPARE(cards.at(5)->background(), QColor(62, 144, 240, 62));
        QCOMPARE(cards.at(0)->background(), QColor(0x2A, 0x2E, 0x30));
        QCOMPARE(controllerState().scenarios.at(1).usage, 3);
    }

    // An 80-day cycle in a small area: paging forward and back shows every card once, in order.
    void pagingThroughEightyDays()
    {
        CycleFixture f;
        f.page->resize(700, 420);
        f.setPlan(80);
        QList<int> seen;
        for (int page = 0; page < 80; ++page) {
            for (DayCard *card : f.page->cards()) {
                if (card->isVisible())
                    seen.append(card->index());
            }
            if (!f.button("nextButton")->isVisible())
                break;
            f.press("nextButton");
        }
        QList<int> all;
        for (int i = 0; i < 80; ++i)
            all.append(i);
        QCOMPARE(seen, all);
        const int last = f.page->pageFirstCard();
        QVERIFY(last > 0);
        while (f.button("previousButton")->isVisible())
            f.press("previousButton");
        QCOMPARE(f.page->pageFirstCard(), 0);
    }

    void selection_data()
    {
        QTest::addColumn<QList<int>>("clicks");  // card index; negative: Ctrl + click on -index - 1
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<ScenarioMap>("scenarios");
        QTest::addColumn<QList<int>>("usage");  // selectedUsage of scenarios 0, 1, 2
        // days on scenarios 0 1 1 2 0 1
        QTest::newRow("anchor") << QList<int>{3} << QList<int>{3} << ScenarioMap{{2, 0}} << QList<int>{0, 0, 1};
        QTest::newRow("anchor again") << QList<int>{3, 3} << QList<int>{} << ScenarioMap{} << QList<int>{0, 0, 0};
        QTest::newRow("range backwards") << QList<int>{3, 1} << QList<int>{1, 2, 3} << ScenarioMap{{2, 0}, {1, 1}}
                                         << QList<int>{0, 2, 1};
        QTest::newRow("new anchor after a range") << QList<int>{3, 1, 5} << QList<int>{5} << ScenarioMap{{1, 0}}
                                                  << QList<int>{0, 1, 0};
        QTest::newRow("ctrl adds") << QList<int>{0, -5 - 1, -3 - 1} << QList<int>{0, 3, 5}
                                   << ScenarioMap{{0, 0}, {1, 1}, {2, 2}} << QList<int>{1, 1, 1};
        QTest::newRow("ctrl removes the last of a scenario") << QList<int>{1, 3, -3 - 1} << QList<int>{1, 2}
                                                             << ScenarioMap{{1, 0}} << QList<int>{0, 2, 0};
    }
    void selection()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(QList<int>, selected);
        QFETCH(ScenarioMap, scenarios);
        QFETCH(QList<int>, usage);
        CycleFixture f;
        f.setPlan(16, 8, QDateTime(QDate(2026, 3, 20), QTime(8, 0)), {0, 1, 1, 2, 0, 1});
        for (int c : clicks)
            f.click(c < 0 ? -c - 1 : c, c < 0);
        QCOMPARE(f.page->selectedIndexes(), selected);
        const ControllerState &s = controllerState();
        QCOMPARE(s.selectedDayScenarios, scenarios);
        QCOMPARE((QList<int>{s.scenarios[0].selectedUsage, s.scenarios[1].selectedUsage, s.scenarios[2].selectedUsage}), usage);
        for (DayCard *card : f.page->cards()) {
            const bool isSelected = selected.contains(card->index());
            QCOMPARE(card->border() == QColor(0x3F, 0xDD, 0x78), isSelected);
        }
        // the comment button is there for one day or none
        QCOMPARE(f.button("createcomment")->isVisible(), selected.size() <= 1);

        f.page->clearSelection(true);
        QVERIFY(f.page->selectedIndexes().isEmpty());
        QVERIFY(s.selectedDayScenarios.isEmpty());
        QCOMPARE(s.scenarios[1].selectedUsage, 0);
        QCOMPARE(f.button("createcomment")->text(), QStringLiteral("Создать описание сценария"));
        QVERIFY(f.button("createcomment")->isVisible());
    }

    void selectAll()
    {
        CycleFixture f;
        f.setPlan(16, 8, QDateTime(QDate(2026, 3, 20), QTime(8, 0)), {0, 1, 2});
        f.press("selectall");
        QCOMPARE(f.page->selectedIndexes(), (QList<int>{0, 1, 2}));
        QCOMPARE(f.button("selectall")->text(), QStringLiteral("Сбросить выбор"));
        QVERIFY(!f.button("createcomment")->isVisible());
        f.press("selectall");
        QVERIFY(f.page->selectedIndexes().isEmpty());
        QCOMPARE(f.button("selectall")->text(), QStringLiteral("Выбрать все дни"));
        QVERIFY(f.button("createcomment")->isVisible());
    }

    void createScenario()
    {
        CycleFixture f;
        f.setPlan(4);
        viewState().openedFromMenu = true;
        f.press("setsc");
        QCOMPARE(CycleFixture::noteText(), QStringLiteral("Выберите дни/день для которого задается сценарий"));
        QCOMPARE(exchange().pageRequest, PageRequest::None);
        closeNote();
        f.click(1);
        f.press("setsc");
        QCOMPARE(exchange().pageRequest, PageRequest::OpenScenarioForDays);
        QVERIFY(!viewState().openedFromMenu);
    }

    void saving_data()
    {
        QTest::addColumn<PageRequest>("request");
        QTest::addColumn<bool>("changeCount");
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QList<int>>("days");
        QTest::newRow("nothing changed") << PageRequest::None << false << false << QList<int>{0, 1, 0, 0};
        QTest::newRow("count changed") << PageRequest::None << true << true << QList<int>{0, 1, 0, 0, 0};
        QTest::newRow("scenario saved for the selection") << PageRequest::CalendarTakesSelection << false << true << QList<int>{0, 2, 2, 0};
        QTest::newRow("scenario page just saved") << PageRequest::CalendarTakesScenario << false << true << QList<int>{0, 1, 0, 0};
    }
    void saving()
    {
        QFETCH(PageRequest, request);
        QFETCH(bool, changeCount);
        QFETCH(bool, upload);
        QFETCH(QList<int>, days);
        CycleFixture f;
        f.setPlan(16, 8, QDateTime(QDate(2026, 3, 20), QTime(8, 0)), {0, 1, 0, 0});
        if (changeCount) {
            f.edit("lenday")->clear();
            QTest::keyClicks(f.edit("lenday"), QStringLiteral("5"));
        }
        f.click(1);
        f.click(2);
        controllerState().chosenScenario = 2;
        if (request == PageRequest::None)
            f.press("acceptButton");
        else
            f.page->applyScenarioSave(request);
        const ControllerState &s = controllerState();
        QCOMPARE(s.uploadRequest, upload);
        if (!upload)
            return;
        QList<int> indexes;
        for (const CycleDay &d : s.editedDays)
            indexes.append(d.scenarioIndex);
        QCOMPARE(indexes, days);
        QCOMPARE(s.editedDays.last().time, QDateTime(QDate(2026, 3, 20), QTime(8, 0)).addDays(days.size() - 1));
    }

    void cancelRestoresLive()
    {
        CycleFixture f;
        f.setPlan(6);
        f.edit("lenday")->clear();
        QTest::keyClicks(f.edit("lenday"), QStringLiteral("9"));
        QCOMPARE(f.page->cards().size(), 9);
        f.click(2);
        f.press("cancelButton");
        QCOMPARE(f.edit("lenday")->text(), QStringLiteral("6"));
        QCOMPARE(f.page->cards().size(), 6);
        QVERIFY(f.page->selectedIndexes().isEmpty());
        QCOMPARE(f.edit("starttime")->text(), QStringLiteral("28.03.2026   20:00"));
    }

    // Days 20-22 of a 30-day plan get a scenario of their own: the days after them keep the colour
    // of theirs, and the legend names every scenario with its colour and dates.
    void scenarioKeepsItsColourWhenAnotherIsAdded()
    {
        CycleFixture f;
        const QDateTime start(QDate(2026, 5, 1), QTime(8, 0));
        QList<int> days(30, 2);
        for (int k = 0; k < 10; ++k)
            days[k] = 1;
        f.setPlan(24, 0, start, days, 4);
        QList<QColor> before;
        for (const DayCard *card : f.page->cards())
            before << card->background();
        for (int k = 19; k < 22; ++k)
            days[k] = 3;
        f.setPlan(24, 0, start, days, 4);
        const QList<DayCard *> cards = f.page->cards();
        for (int k = 0; k < 30; ++k) {
            if (k < 19 || k >= 22)
                QVERIFY2(cards.at(k)->background() == before.at(k), qPrintable(QStringLiteral("day %1").arg(k + 1)));
        }
        QVERIFY(cards.at(20)->background() != cards.at(25)->background());

        const QString legend = f.child<QLabel>("calendarLegend")->text();
        QVERIFY2(legend.contains(QStringLiteral("Сценарий 1&nbsp;<span style=\"color:%1;\">01-10 МАЯ</span>")
                                     .arg(Theme::MutedText.name())),
                 qPrintable(legend));
        QVERIFY(legend.contains(QStringLiteral("11-19 МАЯ, 23-30 МАЯ")));
        QVERIFY(legend.contains(QStringLiteral("Сценарий 3")));
        QVERIFY(legend.contains(QStringLiteral("20-22 МАЯ")));
        // each swatch is the colour of its cards as the page shows them
        for (int k : {0, 10, 20})
            QVERIFY(legend.contains(Theme::composite(cards.at(k)->background(), Theme::PageBackground).name()));

        f.setPlan(24, 0, start, QList<int>(30, 0), 4);
        QVERIFY(f.child<QLabel>("calendarLegend")->text().isEmpty());
    }

    // Text on every card reads on its colour, selected or not.
    void cardTextReadsOnItsColour()
    {
        CycleFixture f;
        QList<int> days;
        for (int k = 0; k <= Theme::ScenarioColourCount; ++k)
            days << k;
        f.setPlan(24, 0, QDateTime(QDate(2026, 5, 1), QTime(8, 0)), days, int(days.size()));
        f.click(1);
        for (const DayCard *card : f.page->cards()) {
            const QColor shown = Theme::composite(card->background(), Theme::PageBackground);
            QVERIFY2(Theme::contrast(card->textColour(), shown) >= Theme::MinContrast,
                     qPrintable(QStringLiteral("card %1 on %2").arg(card->index() + 1).arg(shown.name())));
        }
    }

    // Edited cycle fields are marked, and so is the page, until they are cancelled; a save
    // request alone keeps the mark, since nothing is written yet.
    void unsavedMark_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::newRow("cycle count") << QStringLiteral("lenday") << QStringLiteral("9");
        QTest::newRow("day hours") << QStringLiteral("dayHoursEdit") << QStringLiteral("14");
        QTest::newRow("night hours") << QStringLiteral("nightHoursEdit") << QStringLiteral("10");
        QTest::newRow("start") << QStringLiteral("starttime") << QStringLiteral("01.04.2026   09:00");
        QTest::newRow("day and night switched off") << QStringLiteral("phaseena") << QString();
    }
    void unsavedMark()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        CycleFixture f;
        f.setPlan(6);
        auto *mark = f.child<QLabel>("unsavedMark");
        QVERIFY(!mark->isVisible());
        QLineEdit *edit = f.page->findChild<QLineEdit *>(field);
        if (edit) {
            edit->selectAll();
            QTest::keyClicks(edit, typed);
            CycleFixture::leave(edit);
            QVERIFY(edit->property("edited").toBool());
        } else {
            QTest::mouseClick(f.child<QAbstractButton>("phaseena"), Qt::LeftButton);
            QVERIFY(f.edit("dayHoursEdit")->property("edited").toBool());
        }
        QVERIFY(mark->isVisible());
        QVERIFY(!f.edit(field == QStringLiteral("lenday") ? "starttime" : "lenday")->property("edited").toBool());

        f.press("acceptButton");
        QVERIFY(controllerState().uploadRequest);
        QVERIFY(mark->isVisible());

        f.press("cancelButton");
        QVERIFY(!mark->isVisible());
        for (const char *name : {"starttime", "lenday", "dayHoursEdit", "nightHoursEdit"})
            QVERIFY2(!f.edit(name)->property("edited").toBool(), name);
    }

    void phaseSwitch()
    {
        CycleFixture f;
        f.setPlan(24, 0, QDateTime(QDate(2026, 3, 20), QTime(8, 0)), QList<int>(3, 0));
        auto *sw = f.child<QAbstractButton>("phaseena");
        QVERIFY(!f.edit("nightHoursEdit")->isVisible());
        QSignalSpy phase(f.page.get(), &WorkCycleSettingsForm::ChangeDayPhase);
        QTest::mouseClick(sw, Qt::LeftButton);
        QCOMPARE(phase.size(), 1);
        QCOMPARE(phase.first().first().toInt(), 1);
        QVERIFY(f.edit("nightHoursEdit")->isVisible());
        QCOMPARE(f.edit("dayHoursEdit")->text(), QStringLiteral("12"));
        QCOMPARE(controllerState().editedNightHours, 12);
        QTest::mouseClick(sw, Qt::LeftButton);
        QCOMPARE(phase.last().first().toInt(), 0);
        QCOMPARE(f.edit("dayHoursEdit")->text(), QStringLiteral("24"));
        QCOMPARE(controllerState().editedNightHours, 0);
    }

    void commentOnOneDay()
    {
        CycleFixture f;
        f.setPlan(5);
        f.click(2);
        QCOMPARE(f.button("createcomment")->text(), QStringLiteral("Создать комментарий"));
        answerCommentDialog(QString(100, QLatin1Char('x')), "save");
        f.press("createcomment");
        DayCard *card = f.page->cards().at(2);
        QVERIFY(card->text().contains(QStringLiteral("#3FDD78")));
        QCOMPARE(card->toolTip(), QString(30, QLatin1Char('x')));
        QCOMPARE(f.button("createcomment")->text(), QStringLiteral("Просмотр комментария"));
        QVERIFY(QFile::exists(DayComments::notePath(0)));

        answerCommentDialog(QString(), "delete_2");
        f.press("createcomment");
        QVERIFY(!f.page->cards().at(2)->text().contains(QStringLiteral("#3FDD78")));
        QCOMPARE(f.button("createcomment")->text(), QStringLiteral("Создать комментарий"));

        f.click(3);  // a range of two days
        f.page->openComment();
        QCOMPARE(CycleFixture::noteText(), QStringLiteral("Только один день доступен для создания/редактирования комментария"));
    }

    // A note that cannot be written is named; the card stays without a dot.
    void commentThatCannotBeWritten()
    {
        CycleFixture f;
        f.setPlan(3);
        QVERIFY(QDir().mkpath(DayComments::notePath(0)));
        f.click(1);
        answerCommentDialog(QStringLiteral("полив"), "save");
        f.press("createcomment");
        QCOMPARE(CycleFixture::noteText(), QStringLiteral("Не удалось записать файл<p>0.txt"));
        QVERIFY(!f.page->cards().at(1)->text().contains(QStringLiteral("#3FDD78")));
    }

    void description()
    {
        CycleFixture f;
        f.setPlan(3);
        answerCommentDialog(QStringLiteral("Томаты"), "save");
        f.press("createcomment");
        QCOMPARE(f.button("createcomment")->text(), QStringLiteral("Описание сценария"));
        answerCommentDialog(QString(), "delete_2");
        f.press("createcomment");
        QCOMPARE(f.button("createcomment")->text(), QStringLiteral("Создать описание сценария"));
        QFile file(DayComments::descriptionPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.size(), 0);
    }

    void linkLossEmptiesThePage()
    {
        CycleFixture f;
        f.setPlan(5);
        f.click(1);
        f.page->clearCycle();
        QVERIFY(f.page->cards().isEmpty());
        QCOMPARE(f.edit("lenday")->text(), QString());
        QVERIFY(controllerState().selectedDayScenarios.isEmpty());
    }

    void helpRequested()
    {
        CycleFixture f;
        QSignalSpy help(f.page.get(), &WorkCycleSettingsForm::helpRequested);
        f.press("infoButton");
        QCOMPARE(help.size(), 1);
        QCOMPARE(help.first().first().toInt(), 0);
    }
};

QTEST_MAIN(TestWorkCycleSettingsForm)
#include "tst_workcyclesettingsform.moc"
