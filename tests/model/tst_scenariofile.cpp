#include <QTest>

#include "mockclock.h"
#include "imagebytes.h"
#include "richstate.h"

#include "model/basescenario.h"
#include "model/clock.h"
#include "model/configimage.h"
#include "model/scenariofile.h"
#include "testsupport.h"

using namespace ImageBytes;

// The scenario-file format: names, the byte layout, reading back, and what counts as damaged.
class TestScenarioFile : public QObject
{
    Q_OBJECT

    static QByteArray richImage() { return RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex"))); }
    static QByteArray i16(int v)
    {
        QByteArray b(2, '\0');
        qToLittleEndian(qint16(v), b.data());
        return b;
    }
    static QByteArray block(const QByteArray &bytes) { return u32(quint32(bytes.size())) + bytes; }

private slots:
    void initTestCase() { MockClock::set(QDateTime(QDate(2026, 3, 1), QTime(12, 0))); }
    void cleanupTestCase() { MockClock::clear(); }

    void paths_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("companion");
        QTest::newRow("no extension") << "/p/plan" << "/p/plan.scn" << "/p/plan.txt";
        QTest::newRow(".scn") << "/p/plan.scn" << "/p/plan.scn" << "/p/plan.txt";
        QTest::newRow("upper-case SCN") << "/p/plan.SCN" << "/p/plan.SCN.scn" << "/p/plan.SCN.txt";
        QTest::newRow("dot in folder") << "/p.scn/plan" << "/p.scn/plan.scn" << "/p.scn/plan.txt";
    }
    void paths()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, scenario);
        QFETCH(QString, companion);
        const ScenarioFilePaths p = scenarioFilePaths(chosen);
        QCOMPARE(p.scenario, scenario);
        QCOMPARE(p.companion, companion);
    }

    void folderOfPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::newRow("slash") << "/home/g/plans/a.scn" << "/home/g/plans";
        QTest::newRow("backslash") << "C:\\plans\\a.scn" << "C:\\plans";
        QTest::newRow("bare name") << "a.scn" << "";
    }
    void folderOfPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QCOMPARE(::folderOfPath(path), folder);
    }

    // Two notes and a description: the image, the index block, two numbered items, the -1 item.
    void twoNotesAndDescription()
    {
        ScenarioFileContent c;
        c.image = richImage();
        c.index = "0,0\n3,1\n";
        c.notes = {{0, QStringLiteral("полив").toUtf8()}, {1, QByteArray("pH 6.2")}};
        c.description = QStringLiteral("Томаты").toUtf8();
        const QByteArray file = writeScenarioFile(c);
        const QByteArray expected = block(c.image) + block("0,0\n3,1\n") + i16(0) + block(c.notes[0].text) + i16(1)
                                    + block("pH 6.2") + i16(-1) + block(c.description);
        QCOMPARE(file, expected);

        ScenarioFileContent back;
        QVERIFY(readScenarioFile(file, &back));
        QCOMPARE(back.image, c.image);
        QCOMPARE(back.index, c.index);
        QCOMPARE(back.notes, c.notes);
        QCOMPARE(back.description, c.description);
        QCOMPARE(writeScenarioFile(back), file);
    }

    // Without day notes the index block is still written, so the description comes back.
    void descriptionWithoutNotes()
    {
        ScenarioFileContent c;
        c.image = richImage();
        c.description = QByteArray("только описание");
        const QByteArray file = writeScenarioFile(c);
        QCOMPARE(file, block(c.image) + block(QByteArray()) + i16(-1) + block(c.description));
        ScenarioFileContent back;
        QVERIFY(readScenarioFile(file, &back));
        QCOMPARE(back.description, c.description);
        QVERIFY(back.notes.isEmpty());
    }

    // Files written without the index block (no day notes) still give their description back.
    void fileWithoutIndexBlock()
    {
        const QByteArray file = block(richImage()) + i16(-1) + block("описание") + i16(2) + block("заметка");
        ScenarioFileContent back;
        QVERIFY(readScenarioFile(file, &back));
        QCOMPARE(back.description, QByteArray("описание"));
        QCOMPARE(back.notes, (QList<ScenarioNote>{{2, QByteArray("заметка")}}));
        QVERIFY(back.index.isEmpty());
    }

    void emptyImage()
    {
        ScenarioFileContent back;
        back.description = "untouched";
        QVERIFY(readScenarioFile(u32(0), &back));
        QVERIFY(back.image.isEmpty());
        QVERIFY(back.description.isEmpty());
        // an empty image is no plan to send to a controller
        QVERIFY(!imageHoldsWholePlan(back.image));
    }

    void damagedStructure_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray image = richImage();
        const QByteArray whole = block(image) + block("0,0\n") + i16(0) + block("заметка") + i16(-1) + block("описание");
        QTest::newRow("shorter than a length") << QByteArray("\x01\x00", 2);
        QTest::newRow("cut in the image") << whole.left(4 + image.size() / 2);
        QTest::newRow("cut in the index") << whole.left(4 + image.size() + 6);
        QTest::newRow("cut in an item") << whole.left(whole.size() - 3);
        QTest::newRow("image length past the end") << u32(quint32(image.size() + 1)) + image;
        QTest::newRow("index length past the end") << block(image) + u32(1000) + QByteArray("0,0\n");
        QTest::newRow("item of negative length") << block(image) + block("") + i16(0) + u32(0xFFFFFFF0u) + QByteArray("x");
        QTest::newRow("garbage after the image") << block(image) + QByteArray("\x7f\x01\x02", 3);
        QTest::newRow("garbage after the items") << whole + QByteArray("\x01\x02\x03\x04\x05", 5);
    }
    void damagedStructure()
    {
        QFETCH(QByteArray, file);
        ScenarioFileContent c;
        c.description = "untouched";
        QVERIFY(!readScenarioFile(file, &c));
        QCOMPARE(c.description, QByteArray("untouched"));
    }

    void wholePlan_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("whole");
        const QByteArray image = richImage();
        QByteArray unpadded = image;
        while (unpadded.endsWith('\0'))
            unpadded.chop(1);
        QTest::newRow("rich plan") << image << true;
        QTest::newRow("rich plan, no padding") << unpadded << true;
        QTest::newRow("extra zero blocks") << image + QByteArray(128, '\0') << true;
        QTest::newRow("cut in a scenario") << image.left(image.size() / 2) << false;
        QTest::newRow("cut in the day map") << unpadded.left(unpadded.size() - 1) << false;
        QTest::newRow("garbage after the padding") << image + QByteArray("\x07garbage") << false;
        QTest::newRow("empty") << QByteArray() << false;

        ControllerState noCycle;
        noCycle.cycleCount = 0;
        createBaseScenario(noCycle);
        QByteArray body;
        encodeConfigImage(noCycle, body);
        QTest::newRow("no work cycle") << body << false;
    }
    void wholePlan()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, whole);
        QCOMPARE(imageHoldsWholePlan(body), whole);
    }
};

QTEST_GUILESS_MAIN(TestScenarioFile)
#include "tst_scenariofile.moc"
