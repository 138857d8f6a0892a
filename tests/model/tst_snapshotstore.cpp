#include <QTest>

#include "richstate.h"
#include "testsupport.h"

#include "model/snapshotstore.h"

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
        QCOMPARE(QFileInfo(list.first().path).fileName(),
                 QStringLiteral("20260310-120005.000-%1.img").arg(SnapshotStore::contentHash(rich())));
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
