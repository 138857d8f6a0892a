#include <QTest>

#include "../../fuzz/eventlogcheck.h"
#include "../../fuzz/imagedecodercheck.h"

#include "mockclock.h"
#include "model/clock.h"
#include "testsupport.h"

#include <QDir>

// The fuzzer's seed corpus (and whatever findings were added to it) as a plain regression test:
// every input keeps the properties the fuzz target checks.
class TestFuzzCorpus : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MockClock::set(QDateTime(QDate(2026, 3, 1), QTime(12, 0))); }
    void cleanupTestCase() { MockClock::clear(); }

    void corpus_data()
    {
        QTest::addColumn<QString>("path");
        const QDir dir(sourcePath(QStringLiteral("fuzz/corpus")));
        const QStringList files = dir.entryList(QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QString &name : files)
            QTest::newRow(qPrintable(name)) << dir.filePath(name);
    }

    void corpus()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString problem = ImageDecoderCheck::run(file.readAll());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // The same for the event-log parser's corpus.
    void eventLogCorpus_data()
    {
        QTest::addColumn<QString>("path");
        const QDir dir(sourcePath(QStringLiteral("fuzz/corpus-log")));
        const QStringList files = dir.entryList(QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QString &name : files)
            QTest::newRow(qPrintable(name)) << dir.filePath(name);
    }

    void eventLogCorpus()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString problem = EventLogCheck::run(file.readAll());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(TestFuzzCorpus)
#include "tst_fuzzcorpus.moc"
