#pragma once

#include "model/clock.h"

#include <memory>

// A clock that tests set and advance by hand. The static helpers keep one program-wide instance
// installed while a fake time is set.
class MockClock : public Clock
{
public:
    explicit MockClock(const QDateTime &t) : m_now(t.toLocalTime()) { install(this); }
    ~MockClock() override { install(nullptr); }

    void setTime(const QDateTime &t) { m_now = t.toLocalTime(); }
    void advanceTime(qint64 msecs) { m_now = m_now.addMSecs(msecs); }

    static void set(const QDateTime &t)
    {
        if (instance())
            instance()->setTime(t);
        else
            instance() = std::make_unique<MockClock>(t);
    }
    static void advance(qint64 msecs)
    {
        if (instance())
            instance()->advanceTime(msecs);
    }
    static void clear() { instance().reset(); }
    static bool isSet() { return instance() != nullptr; }

protected:
    QDateTime currentTime() const override { return m_now; }

private:
    static std::unique_ptr<MockClock> &instance()
    {
        static std::unique_ptr<MockClock> clock;
        return clock;
    }
    QDateTime m_now;
};
