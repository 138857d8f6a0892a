#pragma once

// Shared set-up of the devices tests: clean program-wide state, a fixed clock, status records
// built field by field, and clicks that reach a widget even while a modal note is open.

#include "link/exchangestate.h"
#include "mockclock.h"
#include "model/clock.h"
#include "model/controllerstate.h"
#include "widgets/dialogs.h"
#include "widgets/infonote.h"
#include "widgets/viewstate.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include "programstate.h"

#include <QMouseEvent>
#include <QtEndian>

#include <cstring>

namespace DevicesFixture {

inline const QDateTime Now(QDate(2024, 3, 10), QTime(12, 0));

// The program's start state, at a fixed "now".
inline void resetAtFixedTime()
{
    resetTestProgramState();
    MockClock::set(Now);
}

inline void closeNotes()
{
    closeNote();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A status record of the full length with the timing bytes set.
inline QByteArray statusRecord(int hour = 0, int minute = 0, int minutesToStart = 0, int active = 1)
{
    QByteArray r(148, '\0');
    r[1] = char(hour);
    r[2] = char(minute);
    r[3] = char(minutesToStart & 0xFF);
    r[4] = char((minutesToStart >> 8) & 0xFF);
    r[5] = char((minutesToStart >> 16) & 0xFF);
    r[6] = char(active);
    return r;
}

inline void putWord(QByteArray &record, int channelId, quint32 word)
{
    qToLittleEndian(word, record.data() + 16 + 4 * channelId);
}

inline void putFloat(QByteArray &record, int channelId, float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    putWord(record, channelId, bits);
}

inline void setSensor(int index, int type, const QList<int> &channels)
{
    SensorSlot &s = controllerState().sensors[index];
    s.type = type;
    s.channels = channels;
}

// Press and release sent straight to the widget: a modal note does not swallow them.
inline void click(QWidget *widget)
{
    const QPointF pos(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, pos, widget->mapToGlobal(pos), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, widget->mapToGlobal(pos), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
}

} // namespace DevicesFixture
