#pragma once

#include <QEasingCurve>
#include <QPoint>
#include <QPointer>
#include <QStackedWidget>

class QParallelAnimationGroup;

// A stacked widget that changes its current page with a combined slide-and-fade animation.
// While a transition runs, further slide requests are ignored.
class SlidingStackedWidget : public QStackedWidget
{
    Q_OBJECT

public:
    enum t_direction {
        LeftToRight = 0,
        RightToLeft = 1,
        TopToBottom = 2,
        BottomToTop = 3,
        Automatic = 4,
    };
    Q_ENUM(t_direction)

    explicit SlidingStackedWidget(QWidget *parent = nullptr);

    int speed() const { return m_speed; }
    QEasingCurve::Type animation() const { return animationtype; }
    bool isVertical() const { return vertical; }
    bool isWrapping() const { return wrap; }
    bool isRunning() const { return running; }
    // The widget the slider was made for: its parent, or itself when it has none.

public slots:
    void setSpeed(int speed);
    void setAnimation(QEasingCurve::Type type);
    void setVerticalMode(bool on = true);
    void setWrap(bool on);

    bool slideInNext();
    bool slideInPrev();
    void slideInIdx(int idx, SlidingStackedWidget::t_direction direction = Automatic);
    void slideInWgt(QWidget *widget, SlidingStackedWidget::t_direction direction = Automatic);

    void animationDoneSlot();

signals:
    void animationFinished();

private:
    // Fades a page with an opacity effect that goes away once the fade is over.
    void addFade(QParallelAnimationGroup *animations, QWidget *page, qreal from, qreal to);

    int m_speed = 300;
    QEasingCurve::Type animationtype = QEasingCurve::OutQuart;
    bool vertical = false;
    bool wrap = false;
    QWidget *m_reference = nullptr;

    int fromIndex = 0;
    int toIndex = 0;
    QPoint fromPos;
    bool running = false;
    QPointer<QParallelAnimationGroup> group;
};
