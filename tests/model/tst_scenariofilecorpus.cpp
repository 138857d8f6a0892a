#include <QTest>

#include "testsupport.h"
#include "mockclock.h"
#include "../../fuzz/scenariofilecheck.h"

#include "model/clock.h"

#include <QDir>

// The scenario-file fuzzer's seed corpus (and whatever findings were added to it) as a plain
// regression test: every input keeps the properties the fuzz target checks.
class TestScenarioFileCorpus : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MockClock::set(QDateTime(QDate(2026, 3, 1), QTime(12, 0))); }
    void cleanupTestCase() { MockClock::clear(); }

    void corpus_data()
    {
        QTest::addColumn<QString>("path");
        const QDir dir(sourcePath(QStringLiteral("fuzz/scn-corpus")));
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
        const QString problem = ScenarioFileCheck::run(file.readAll());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(TestScenarioFileCorpus)
#include "tst_scenariofilecorpus.moc"
