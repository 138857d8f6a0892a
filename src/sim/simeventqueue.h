#pragma once

// Delivers the simulated link's answers later, in the order they were posted, never inside the
// call that caused them.

#include <QObject>
#include <deque>
#include <functional>

class SimEventQueue : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    void post(int delayMs, std::function<void()> action);
    // Forgets everything not yet delivered (a dropped link loses its answers in flight).
    void clear();

private:
    void runUpTo(quint64 id);

    struct Item
    {
        quint64 id;
        std::function<void()> action;
    };
    std::deque<Item> m_items;
    quint64 m_lastId = 0;
};
