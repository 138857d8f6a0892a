#include <QTest>

#include "../../fuzz/eventlogcheck.h"
#include "../../fuzz/imagedecodercheck.h"
#include "../../fuzz/scenariofilecheck.h"

#include "mockclock.h"
#include "model/clock.h"
#include "testsupport.h"

#include <QDir>

// The fuzzers' seed corpora (and whatever findings were added to them) as a plain regression
// test: every input keeps the properties its fuzz target checks.
class TestFuzzCorpus : public QObject
{
    Q_OBJECT

    using Check = QString (*)(const QByteArray &);

    static void addCorpus(const char *folder, const char *checkName)
    {
        const QDir dir(sourcePath(QLatin1String(folder)));
        const QStringList files = dir.entryList(QDir::Files, QDir::Name);
        QVERIFY2(!files.isEmpty(), folder);
        for (const QString &name : files)
            QTest::addRow("%s/%s", folder, qPrintable(name)) << dir.filePath(name) << QByteArray(checkName);
    }

private slots:
    void initTestCase() { MockClock::set(QDateTime(QDate(2026, 3, 1), QTime(12, 0))); }
    void cleanupTestCase() { MockClock::clear(); }

    void corpus_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("check");
        addCorpus("fuzz/corpus", "image");
        addCorpus("fuzz/corpus-log", "log");
        addCorpus("fuzz/scn-corpus", "scn");
    }

    void corpus()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, check);
        const QHash<QByteArray, Check> checks{
            {"image", &ImageDecoderCheck::run}, {"log", &EventLogCheck::run}, {"scn", &ScenarioFileCheck::run}};
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString problem = checks.value(check)(file.readAll());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(TestFuzzCorpus)
#include "tst_fuzzcorpus.moc"
