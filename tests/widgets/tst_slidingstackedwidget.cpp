#include <QGraphicsEffect>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "testsupport.h"
#include "widgets/slidingstackedwidget.h"

using Dir = SlidingStackedWidget::t_direction;

namespace {
constexpr int PageCount = 3;
constexpr int W = 200;
constexpr int H = 100;
constexpr int SlideMs = 40;
}

class TestSlidingStackedWidget : public QObject
{
    Q_OBJECT

    std::unique_ptr<SlidingStackedWidget> stack;
    QWidget *page(int i) const { return stack->widget(i); }

    // Waits until the running slide has ended and its deferred clean-up has run.
    bool finishSlide()
    {
        if (!QTest::qWaitFor([this] { return !stack->isRunning(); }, 2000))
            return false;
        drainEvents();
        return true;
    }

private slots:
    void init()
    {
        stack = std::make_unique<SlidingStackedWidget>();
        for (int i = 0; i < PageCount; ++i)
            stack->addWidget(new QWidget);
        stack->resize(W, H);
        stack->setSpeed(SlideMs);
        stack->show();
        QVERIFY(QTest::qWaitForWindowExposed(stack.get()));
    }

    void cleanup() { stack.reset(); }

    void slideEndsOnTargetAndRestoresOldPage()
    {
        QSignalSpy finished(stack.get(), &SlidingStackedWidget::animationFinished);
        QVERIFY(stack->slideInNext());
        QVERIFY(stack->isRunning());
        QCOMPARE(stack->currentIndex(), 0); // the index changes only when the slide is over
        QVERIFY(page(0)->graphicsEffect());
        QVERIFY(page(1)->graphicsEffect());

        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(finishSlide());
        QCOMPARE(stack->currentIndex(), 1);
        QVERIFY(page(0)->isHidden());
        QCOMPARE(page(0)->pos(), QPoint(0, 0));
        QCOMPARE(page(1)->pos(), QPoint(0, 0));
        QVERIFY(!page(0)->graphicsEffect());
        QVERIFY(!page(1)->graphicsEffect());
        QCOMPARE(finished.count(), 1);
    }

    void secondSlideDuringRunningOneIsIgnored()
    {
        QSignalSpy finished(stack.get(), &SlidingStackedWidget::animationFinished);
        stack->slideInIdx(1);
        stack->slideInIdx(2);
        QVERIFY(stack->slideInNext()); // reported as accepted, but the guard drops it
        QVERIFY(finishSlide());
        QCOMPARE(finished.count(), 1);
        QCOMPARE(stack->currentIndex(), 1);

        // The guard is released afterwards.
        stack->slideInIdx(2);
        QVERIFY(finishSlide());
        QCOMPARE(stack->currentIndex(), 2);
    }

    // The direction shows in where the incoming page starts: it enters from the opposite side.
    void slideInIdxWrapsAndPicksDirection_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("idx");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("target");
        QTest::addColumn<QPoint>("enteringAt");

        const int a = Dir::Automatic;
        QTest::newRow("forward") << false << 0 << 2 << a << 2 << QPoint(W, 0);
        QTest::newRow("back") << false << 2 << 0 << a << 0 << QPoint(-W, 0);
        QTest::newRow("idx = count wraps to 0, right to left") << false << 1 << 3 << a << 0 << QPoint(W, 0);
        QTest::newRow("far beyond the end") << false << 0 << 7 << a << 1 << QPoint(W, 0);
        QTest::newRow("-1 wraps to the last, left to right") << false << 0 << -1 << a << 2 << QPoint(-W, 0);
        QTest::newRow("-count wraps to 0") << false << 1 << -3 << a << 0 << QPoint(-W, 0);
        QTest::newRow("below -count") << false << 0 << -5 << a << 1 << QPoint(-W, 0);
        QTest::newRow("explicit direction kept") << false << 0 << 1 << int(Dir::BottomToTop) << 1 << QPoint(0, H);
        QTest::newRow("wrap overrides explicit") << false << 1 << 3 << int(Dir::LeftToRight) << 0 << QPoint(W, 0);
        QTest::newRow("vertical forward") << true << 0 << 1 << a << 1 << QPoint(0, -H);
        QTest::newRow("vertical back") << true << 2 << 1 << a << 1 << QPoint(0, H);
        QTest::newRow("vertical beyond the end") << true << 1 << 3 << a << 0 << QPoint(0, -H);
        QTest::newRow("vertical negative") << true << 0 << -1 << a << 2 << QPoint(0, H);
    }

    void slideInIdxWrapsAndPicksDirection()
    {
        QFETCH(bool, vertical);
        QFETCH(int, start);
        QFETCH(int, idx);
        QFETCH(int, direction);
        QFETCH(int, target);
        QFETCH(QPoint, enteringAt);

        stack->setVerticalMode(vertical);
        stack->setCurrentIndex(start);
        stack->slideInIdx(idx, Dir(direction));
        QVERIFY(stack->isRunning());
        QCOMPARE(page(target)->pos(), enteringAt);
        QVERIFY(finishSlide());
        QCOMPARE(stack->currentIndex(), target);
    }

    void nextAndPrevAtTheEnds_data()
    {
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("next");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("target");

        QTest::newRow("next in the middle") << false << 1 << true << true << 2;
        QTest::newRow("prev in the middle") << false << 1 << false << true << 0;
        QTest::newRow("next at the last page") << false << 2 << true << false << 2;
        QTest::newRow("prev at the first page") << false << 0 << false << false << 0;
        QTest::newRow("next at the last page, wrapping") << true << 2 << true << true << 0;
        QTest::newRow("prev at the first page, wrapping") << true << 0 << false << true << 2;
    }

    void nextAndPrevAtTheEnds()
    {
        QFETCH(bool, wrap);
        QFETCH(int, start);
        QFETCH(bool, next);
        QFETCH(bool, accepted);
        QFETCH(int, target);

        stack->setWrap(wrap);
        stack->setCurrentIndex(start);
        QCOMPARE(next ? stack->slideInNext() : stack->slideInPrev(), accepted);
        QCOMPARE(stack->isRunning(), accepted);
        QVERIFY(finishSlide());
        QCOMPARE(stack->currentIndex(), target);
    }

    void requestsThatCannotSlideLeaveItIdle()
    {
        QSignalSpy finished(stack.get(), &SlidingStackedWidget::animationFinished);
        QWidget stranger;

        stack->slideInWgt(page(0)); // already current
        QVERIFY(!stack->isRunning());
        stack->slideInWgt(&stranger);
        QVERIFY(!stack->isRunning());
        stack->slideInWgt(nullptr);
        QVERIFY(!stack->isRunning());
        QCOMPARE(stack->currentIndex(), 0);
        QCOMPARE(finished.count(), 0);

        SlidingStackedWidget empty;
        empty.slideInIdx(0);
        empty.slideInIdx(-1);
        QVERIFY(!empty.slideInNext());
        QVERIFY(!empty.slideInPrev());
        QVERIFY(!empty.isRunning());

        // None of them left the guard set.
        stack->slideInWgt(page(2));
        QVERIFY(stack->isRunning());
        QVERIFY(finishSlide());
        QCOMPARE(stack->currentIndex(), 2);
    }
};

QTEST_MAIN(TestSlidingStackedWidget)
#include "tst_slidingstackedwidget.moc"
