#include <QTest>

#include "richstate.h"
#include "testsupport.h"

#include "mockclock.h"
#include "model/files/snapshotkeeper.h"
#include "model/files/snapshotstore.h"
#include "model/files/workfolders.h"

#include <QFileInfo>
#include <QTemporaryDir>

// The snapshot folders: one file per distinct body, moved to the newest time when seen again,
// private, pruned, and refused when damaged.
class TestSnapshotStore : public QObject
{
    Q_OBJECT

    static constexpr quint64 Address = 0x0A0B0C0D0E01ULL;
    const QDateTime T0 = QDateTime(QDate(2026, 3, 10), QTime(12, 0, 5));

    QByteArray rich() const { return RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex"))); }
    QByteArray empty() const { return RichState::fixture(testDataPath(QStringLiteral("model/empty-state.hex"))); }

    // A different, valid body for each n: the rich plan with socket 1 renamed.
    QByteArray variant(int n) const
    {
        QByteArray body = rich();
        const QByteArray name = QStringLiteral("Лампа").toUtf8();
        body.replace(body.indexOf(name), name.size(), QStringLiteral("Ла%1").arg(n, 6, 10, QLatin1Char('0')).toUtf8());
        return body;
    }

    static QByteArray contentOf(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static SnapshotEntry fileEntry(const QString &folder, const QByteArray &content, const QString &hash)
    {
        SnapshotEntry e;
        e.path = QDir(folder).filePath(QStringLiteral("20260310-120000.000-%1.img").arg(hash));
        e.time = QDateTime(QDate(2026, 3, 10), QTime(12, 0));
        e.hash = hash;
        QFile f(e.path);
        if (f.open(QIODevice::WriteOnly))
            f.write(content);
        return e;
    }

private slots:
    void keptPrivatelyUnderItsTime()
    {
        QTemporaryDir dir;
        const SnapshotStore store(dir.filePath(QStringLiteral("snapshots")));
        QCOMPARE(store.save(Address, rich(), T0), SnapshotStore::Saved);
        const QList<SnapshotEntry> list = store.list(Address);
        QCOMPARE(list.size(), 1);
        // the first number, local time and its offset (the tests run in Europe/Moscow, UTC+3)
        QCOMPARE(QFileInfo(list.first().path).fileName(),
                 QStringLiteral("000001-20260310-120005.000+0300-%1.img").arg(SnapshotStore::contentHash(rich())));
        QCOMPARE(list.first().sequence, 1);
        QCOMPARE(list.first().time, T0);
        QCOMPARE(contentOf(list.first().path), rich());
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                                                | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
        const QFileDevice::Permissions file = QFileInfo(list.first().path).permissions();
        QCOMPARE(file & (others | QFileDevice::ExeOwner), QFileDevice::Permissions());
        QVERIFY(file.testFlag(QFileDevice::ReadOwner) && file.testFlag(QFileDevice::WriteOwner));
        QCOMPARE(QFileInfo(store.controllerFolder(Address)).permissions() & others, QFileDevice::Permissions());
        QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("snapshots"))).permissions() & others, QFileDevice::Permissions());
        QByteArray body;
        QString error;
        QVERIFY2(SnapshotStore::read(list.first(), &body, &error), qPrintable(error));
        QCOMPARE(body, rich());
    }

    void sameBodyMovesToTheNewTime()
    {
        QTemporaryDir dir;
        const SnapshotStore store(dir.path());
        QCOMPARE(store.save(Address, rich(), T0), SnapshotStore::Saved);
        QCOMPARE(store.save(Address, empty(), T0.addSecs(60)), SnapshotStore::Saved);
        QCOMPARE(store.save(Address, rich(), T0.addSecs(120)), SnapshotStore::Refreshed);
        const QList<SnapshotEntry> list = store.list(Address);
        QCOMPARE(list.size(), 2);
        QCOMPARE(list.at(0).time, T0.addSecs(120)); // newest first
        QCOMPARE(contentOf(list.at(0).path), rich());
        QCOMPARE(contentOf(list.at(1).path), empty());
        // another controller keeps its own
        QCOMPARE(store.save(Address + 1, rich(), T0), SnapshotStore::Saved);
        QCOMPARE(store.list(Address).size(), 2);
        QCOMPARE(store.list(Address + 1).size(), 1);
    }

    void damagedFileUnderTheSameNameIsReplaced()
    {
        QTemporaryDir dir;
        const SnapshotStore store(dir.path());
        QVERIFY(QDir().mkpath(store.controllerFolder(Address)));
        fileEntry(store.controllerFolder(Address), rich().left(100), SnapshotStore::contentHash(rich()));
        QCOMPARE(store.save(Address, rich(), T0), SnapshotStore::Saved);
        const QList<SnapshotEntry> list = store.list(Address);
        QCOMPARE(list.size(), 1);
        QCOMPARE(contentOf(list.first().path), rich());
    }

    void oldestArePrunedBeyondTheLimit()
    {
        QTemporaryDir dir;
        const SnapshotStore store(dir.path(), 3);
        for (int n = 0; n < 5; ++n)
            QCOMPARE(store.save(Address, variant(n), T0.addSecs(60 * n)), SnapshotStore::Saved);
        const QList<SnapshotEntry> list = store.list(Address);
        QCOMPARE(list.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(contentOf(list.at(i).path), variant(4 - i));
        // a file of another name is not a snapshot and is left alone
        QFile other(QDir(store.controllerFolder(Address)).filePath(QStringLiteral("notes.txt")));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        QCOMPARE(store.save(Address, variant(5), T0.addSecs(600)), SnapshotStore::Saved);
        QCOMPARE(store.list(Address).size(), 3);
        QVERIFY(other.exists());
    }

    // The clock steps back between two snapshots (the autumn time change, a corrected PC clock):
    // the snapshot just taken is the newest and is kept; the oldest goes.
    void clockSteppingBackKeepsTheNewest_data()
    {
        QTest::addColumn<qint64>("backMs");  // how far the clock steps back after the second snapshot
        QTest::newRow("one millisecond") << qint64(1);
        QTest::newRow("to the same instant") << qint64(60 * 1000);
        QTest::newRow("autumn time change: one hour") << qint64(3600 * 1000);
        QTest::newRow("corrected clock: a day") << qint64(24 * 3600 * 1000);
        QTest::newRow("corrected clock: a year") << qint64(365LL * 24 * 3600 * 1000);
    }
    void clockSteppingBackKeepsTheNewest()
    {
        QFETCH(qint64, backMs);
        TempWorkDir dir;
        WorkFolders::setRoot(QString());
        MockClock clock(T0);
        SnapshotKeeper keeper(2);
        QString error;
        QVERIFY(keeper.keep(Address, variant(0), &error));
        clock.advanceTime(60 * 1000);
        QVERIFY(keeper.keep(Address, variant(1), &error));
        clock.advanceTime(-backMs);
        QVERIFY(keeper.keep(Address, variant(2), &error));
        QList<SnapshotEntry> list = keeper.store().list(Address);
        QCOMPARE(list.size(), 2);
        QCOMPARE(contentOf(list.at(0).path), variant(2));
        QCOMPARE(list.at(0).time, T0.addMSecs(60 * 1000 - backMs));
        QCOMPARE(contentOf(list.at(1).path), variant(1));

        // and again, still before the first: the order follows the saving, not the clock
        clock.advanceTime(1000);
        QVERIFY(keeper.keep(Address, variant(3), &error));
        list = keeper.store().list(Address);
        QCOMPARE(list.size(), 2);
        QCOMPARE(contentOf(list.at(0).path), variant(3));
        QCOMPARE(contentOf(list.at(1).path), variant(2));
        // a plan seen again after the clock stepped back becomes the newest
        clock.advanceTime(-backMs);
        QCOMPARE(keeper.store().save(Address, variant(2), Clock::now()), SnapshotStore::Refreshed);
        list = keeper.store().list(Address);
        QCOMPARE(contentOf(list.at(0).path), variant(2));
        QCOMPARE(contentOf(list.at(1).path), variant(3));
        QVERIFY(list.at(0).sequence > list.at(1).sequence);
    }

    // Snapshots kept under the earlier names (time only) are still listed and read, as older
    // than any numbered one, and are the first pruned.
    void earlierNamesCountAsOlder()
    {
        QTemporaryDir dir;
        const SnapshotStore store(dir.path(), 3);
        const QString folder = store.controllerFolder(Address);
        QVERIFY(QDir().mkpath(folder));
        // an earlier snapshot whose time is later than the ones saved now (the clock was ahead)
        const auto putEarlier = [&folder](const QString &time, const QByteArray &body) {
            QFile f(QDir(folder).filePath(QStringLiteral("%1-%2.img").arg(time, SnapshotStore::contentHash(body))));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(body);
        };
        putEarlier(QStringLiteral("20270101-000000.000"), variant(10));
        putEarlier(QStringLiteral("20270102-000000.000"), variant(11));
        QCOMPARE(store.save(Address, variant(0), T0), SnapshotStore::Saved);
        QList<SnapshotEntry> list = store.list(Address);
        QCOMPARE(list.size(), 3);
        QCOMPARE(contentOf(list.at(0).path), variant(0));
        QCOMPARE(list.at(0).sequence, 1);
        QCOMPARE(contentOf(list.at(1).path), variant(11));
        QCOMPARE(list.at(1).time, QDateTime(QDate(2027, 1, 2), QTime(0, 0)));
        QCOMPARE(list.at(1).sequence, 0);
        QCOMPARE(contentOf(list.at(2).path), variant(10));
        QByteArray body;
        QString error;
        QVERIFY2(SnapshotStore::read(list.at(2), &body, &error), qPrintable(error));
        QCOMPARE(body, variant(10));

        // beyond the limit the earlier ones go first
        QCOMPARE(store.save(Address, variant(1), T0.addSecs(60)), SnapshotStore::Saved);
        list = store.list(Address);
        QCOMPARE(list.size(), 3);
        QCOMPARE(contentOf(list.at(0).path), variant(1));
        QCOMPARE(contentOf(list.at(1).path), variant(0));
        QCOMPARE(contentOf(list.at(2).path), variant(11));
        // an earlier-named body seen again takes a number and the newest place
        QCOMPARE(store.save(Address, variant(11), T0.addSecs(120)), SnapshotStore::Refreshed);
        list = store.list(Address);
        QCOMPARE(contentOf(list.at(0).path), variant(11));
        QCOMPARE(list.at(0).sequence, 3);
        QCOMPARE(list.size(), 3);
    }

    // Names that only look like snapshots are passed over.
    void foreignNamesIgnored()
    {
        QTemporaryDir dir;
        const SnapshotStore store(dir.path());
        const QString folder = store.controllerFolder(Address);
        QVERIFY(QDir().mkpath(folder));
        const QString hash = SnapshotStore::contentHash(rich());
        for (const QString &name : {QStringLiteral("000000-20260310-120000.000+0300-%1.img"),   // number 0
                                    QStringLiteral("000001-20261310-120000.000+0300-%1.img"),   // month 13
                                    QStringLiteral("000001-20260310-120000.000+0360-%1.img"),   // 60 minutes
                                    QStringLiteral("01-20260310-120000.000+0300-%1.img"),       // short number
                                    QStringLiteral("000001-20260310-120000.000-%1.img")}) {     // no offset
            QFile f(QDir(folder).filePath(name.arg(hash)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(rich());
        }
        QVERIFY(store.list(Address).isEmpty());
    }

    void unwritableFolderIsNamed()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("snapshots")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const SnapshotStore store(blocker.fileName());
        QString error;
        QCOMPARE(store.save(Address, rich(), T0, &error), SnapshotStore::Failed);
        QCOMPARE(error, store.controllerFolder(Address));
    }

    void damagedSnapshotIsRefused_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("nameOfContent"); // false: the name carries the hash of the whole rich body
        const QByteArray body = rich();
        QByteArray brokenRecord = body;
        brokenRecord[17] = char(0x55); // the first channel sub-block's tag
        QByteArray flipped = body;
        flipped[body.indexOf(QStringLiteral("Лампа").toUtf8())] = 'X';
        QTest::newRow("empty file") << QByteArray() << true;
        QTest::newRow("cut to no whole block") << body.left(100) << true;
        QTest::newRow("cut at a block boundary") << body.left(128) << true;
        QTest::newRow("broken record") << brokenRecord << true;
        QTest::newRow("padding only: no scenario") << QByteArray(128, '\0') << true;
        QTest::newRow("a byte changed after saving") << flipped << false;
        QTest::newRow("larger than the controller's memory") << body + QByteArray(0x8000, '\0') << true;
    }
    void damagedSnapshotIsRefused()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, nameOfContent);
        QTemporaryDir dir;
        const SnapshotEntry entry =
            fileEntry(dir.path(), content, SnapshotStore::contentHash(nameOfContent ? content : rich()));
        QByteArray body("untouched");
        QString error;
        QVERIFY(!SnapshotStore::read(entry, &body, &error));
        QCOMPARE(error, QStringLiteral("Снимок %1 повреждён").arg(QFileInfo(entry.path).fileName()));
        QCOMPARE(body, QByteArray("untouched"));
    }
};

QTEST_GUILESS_MAIN(TestSnapshotStore)
#include "tst_snapshotstore.moc"
