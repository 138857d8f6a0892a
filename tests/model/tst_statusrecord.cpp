#include <QTest>

#include "model/codec/statusrecord.h"

// The status record as the navigation panel reads it: status kind, running flag and what becomes
// of the start/pause button, for every case of the controller's flags and countdown.
class TestStatusRecord : public QObject
{
    Q_OBJECT

    static QByteArray record(int flags, int minutesToStart, int daysLeft)
    {
        QByteArray r(148, '\0');
        r[0] = char(flags);
        r[3] = char(minutesToStart & 0xFF);
        r[4] = char((minutesToStart >> 8) & 0xFF);
        r[5] = char((minutesToStart >> 16) & 0xFF);
        r[6] = char(daysLeft & 0xFF);
        r[7] = char((daysLeft >> 8) & 0xFF);
        return r;
    }

private slots:
    void panelStatus_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("cycleCount");
        QTest::addColumn<int>("startOffsetMinutes");  // start relative to now
        QTest::addColumn<int>("active");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("button");

        const int keep = PanelStatus::KeepButton, hide = PanelStatus::HideButton, show = PanelStatus::ShowButton;
        QTest::newRow("clock failure wins") << record(0x08 | 0x04 | 0x20, 0, 5) << 10 << -60 << 0 << int(WorkKind::ClockFailure) << keep;
        QTest::newRow("scenario not loaded, days left") << record(0x20 | 0x04, 0, 5) << 10 << -60 << 0 << int(WorkKind::ScenarioNotLoaded) << keep;
        QTest::newRow("scenario bit without days left") << record(0x20 | 0x04, 0, 0) << 10 << -60 << 1 << int(WorkKind::Finished) << hide;
        QTest::newRow("no work cycle") << record(0x04, 0, 5) << 0 << -60 << 0 << int(WorkKind::NoWorkCycle) << hide;
        QTest::newRow("waiting, countdown, running") << record(0x04, 90, 10) << 10 << 90 << 1 << int(WorkKind::Waiting) << hide;
        QTest::newRow("waiting, countdown, paused") << record(0x00, 90, 10) << 10 << 90 << 1 << int(WorkKind::Waiting) << keep;
        QTest::newRow("waiting: start ahead, no countdown") << record(0x04, 0, 10) << 10 << 30 << 1 << int(WorkKind::Waiting) << hide;
        QTest::newRow("finished, running") << record(0x04, 0, 0) << 10 << -60 << 1 << int(WorkKind::Finished) << hide;
        QTest::newRow("finished, paused") << record(0x00, 0, 0) << 10 << -60 << 0 << int(WorkKind::Finished) << keep;
        QTest::newRow("working") << record(0x04, 0, 3) << 10 << -60 << 1 << int(WorkKind::Working) << show;
        QTest::newRow("working, paused") << record(0x00, 0, 3) << 10 << -60 << 0 << int(WorkKind::Working) << show;
        QTest::newRow("short record reads as zeros") << QByteArray(1, char(0x04)) << 10 << -60 << 1 << int(WorkKind::Finished) << hide;
    }

    void panelStatus()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, cycleCount);
        QFETCH(int, startOffsetMinutes);
        const QDateTime now(QDate(2026, 3, 10), QTime(12, 0));
        const PanelStatus s = panelStatusOf(StatusRecord(bytes), cycleCount, now.addSecs(qint64(startOffsetMinutes) * 60), now);
        QTEST(s.active, "active");
        QTEST(int(s.kind), "kind");
        QTEST(s.button, "button");
    }
};

QTEST_GUILESS_MAIN(TestStatusRecord)
#include "tst_statusrecord.moc"
