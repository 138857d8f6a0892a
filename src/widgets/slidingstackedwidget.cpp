#include "widgets/slidingstackedwidget.h"

#include <QGraphicsOpacityEffect>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

SlidingStackedWidget::SlidingStackedWidget(QWidget *parent)
    : QStackedWidget(parent)
    , m_reference(parent ? parent : this)
{
}

void SlidingStackedWidget::setSpeed(int speed)
{
    m_speed = speed;
}

void SlidingStackedWidget::setAnimation(QEasingCurve::Type type)
{
    animationtype = type;
}

void SlidingStackedWidget::setVerticalMode(bool on)
{
    vertical = on;
}

void SlidingStackedWidget::setWrap(bool on)
{
    wrap = on;
}

bool SlidingStackedWidget::slideInNext()
{
    const int now = currentIndex();
    if (count() == 0 || (!wrap && now >= count() - 1))
        return false;
    slideInIdx(now + 1);
    return true;
}

bool SlidingStackedWidget::slideInPrev()
{
    const int now = currentIndex();
    if (count() == 0 || (!wrap && now <= 0))
        return false;
    slideInIdx(now - 1);
    return true;
}

void SlidingStackedWidget::slideInIdx(int idx, t_direction direction)
{
    const int n = count();
    if (n == 0)
        return;
    if (idx >= n) {
        direction = vertical ? TopToBottom : RightToLeft;
        idx %= n;
    } else if (idx < 0) {
        direction = vertical ? BottomToTop : LeftToRight;
        // Any negative index lands on a page, not only -1 .. -count.
        idx = (idx % n + n) % n;
    }
    slideInWgt(widget(idx), direction);
}

void SlidingStackedWidget::slideInWgt(QWidget *next, t_direction direction)
{
    if (running)
        return;
    const int nextIndex = next ? indexOf(next) : -1;
    if (nextIndex < 0)
        return;
    running = true;

    fromIndex = currentIndex();
    toIndex = nextIndex;
    if (fromIndex == toIndex) {
        running = false;
        return;
    }

    if (direction == Automatic) {
        if (toIndex > fromIndex)
            direction = vertical ? TopToBottom : RightToLeft;
        else
            direction = vertical ? BottomToTop : LeftToRight;
    }

    const int w = frameRect().width();
    const int h = frameRect().height();
    next->setGeometry(0, 0, w, h);

    QPoint offset;
    switch (direction) {
    case LeftToRight: offset = QPoint(w, 0); break;
    case RightToLeft: offset = QPoint(-w, 0); break;
    case TopToBottom: offset = QPoint(0, h); break;
    case BottomToTop: offset = QPoint(0, -h); break;
    case Automatic: break;
    }

    QWidget *current = widget(fromIndex);
    const QPoint nextPos = next->pos();
    fromPos = current ? current->pos() : QPoint();
    next->move(nextPos - offset);
    next->show();
    next->raise();

    group = new QParallelAnimationGroup(this);

    auto slide = [this](QWidget *page, const QPoint &from, const QPoint &to) {
        auto *anim = new QPropertyAnimation(page, "pos");
        anim->setDuration(m_speed);
        anim->setEasingCurve(animationtype);
        anim->setStartValue(from);
        anim->setEndValue(to);
        group->addAnimation(anim);
    };
    if (current) {
        slide(current, fromPos, fromPos + offset);
        addFade(group, current, 1.0, 0.0);
    }
    slide(next, nextPos - offset, nextPos);
    addFade(group, next, 0.0, 1.0);

    connect(group, &QAbstractAnimation::finished, this, &SlidingStackedWidget::animationDoneSlot);
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void SlidingStackedWidget::addFade(QParallelAnimationGroup *animations, QWidget *page, qreal from, qreal to)
{
    auto *effect = new QGraphicsOpacityEffect(page);
    effect->setOpacity(from);
    page->setGraphicsEffect(effect);

    auto *anim = new QPropertyAnimation(effect, "opacity");
    anim->setDuration(m_speed / 2);
    anim->setStartValue(from);
    anim->setEndValue(to);
    // The page owns the effect; tied to the effect, this connection dies with the page.
    connect(anim, &QAbstractAnimation::finished, effect, &QObject::deleteLater);
    animations->addAnimation(anim);
}

void SlidingStackedWidget::animationDoneSlot()
{
    setCurrentIndex(toIndex);
    if (QWidget *old = widget(fromIndex); old && fromIndex != toIndex) {
        old->hide();
        old->move(fromPos);
    }
    running = false;
    emit animationFinished();
}
