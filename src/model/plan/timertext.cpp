#include "model/plan/timertext.h"

#include <QTime>

QString formatDuration(qint64 minutes)
{
    const qint64 m = qBound(qint64(0), minutes, qint64(5940));
    const qint64 h = m / 60;
    return QStringLiteral("%1:%2").arg(h, 2, 10, QLatin1Char('0')).arg(m - 60 * h, 2, 10, QLatin1Char('0'));
}

int parseDuration(const QString &text, bool *ok)
{
    bool good = false;
    const int minutes = text.mid(3).toInt(&good);
    if (!good || minutes < 0) {
        *ok = false;
        return 0;
    }
    *ok = true;
    if (minutes > 59)
        return 0;
    const int hours = text.left(2).toInt(&good);
    if (!good || hours < 0) {
        *ok = false;
        return 0;
    }
    return hours * 60 + minutes;
}

int parseClockMinutes(const QString &text, const QDateTime &start, bool *ok)
{
    const QDateTime entered = QDateTime::fromString(QStringLiteral("01.01.2023 ") + text, QStringLiteral("dd.MM.yyyy hh:mm"));
    if (!entered.isValid()) {
        *ok = false;
        return 0;
    }
    *ok = true;
    // Only the times of day count: a date difference would bring daylight-saving hours in.
    const QTime from = start.isValid() ? start.time() : QTime(0, 0);
    const qint64 s = from.secsTo(entered.time());
    return int((((s % 86400) + 86400) % 86400) / 60);
}

QString clockText(const QDateTime &start, qint64 minutes)
{
    const QTime from = start.isValid() ? start.time() : QTime(0, 0);
    return from.addSecs(int((minutes % 1440) * 60)).toString(QStringLiteral("hh:mm"));
}
