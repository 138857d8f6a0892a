#include "sim/simeventqueue.h"

#include <QPointer>
#include <QTimer>

void SimEventQueue::post(int delayMs, std::function<void()> action)
{
    const quint64 id = ++m_lastId;
    m_items.push_back({id, std::move(action)});
    QTimer::singleShot(qMax(0, delayMs), this, [this, id] { runUpTo(id); });
}

void SimEventQueue::clear()
{
    m_items.clear();
}

// Runs every item up to this one, so the order holds even if timers fire out of order.
void SimEventQueue::runUpTo(quint64 id)
{
    QPointer<SimEventQueue> alive(this);
    while (alive && !m_items.empty() && m_items.front().id <= id) {
        std::function<void()> action = std::move(m_items.front().action);
        m_items.pop_front();
        action(); // may delete the object that owns this queue
    }
}
