#include <QTest>

#include "mockclock.h"
#include "eventlogbytes.h"
#include "imagebytes.h"
#include "richstate.h"

#include "model/plan/basescenario.h"
#include "model/clock.h"
#include "model/codec/configimage.h"
#include "model/codec/configimageformat.h"
#include "model/codec/planimage.h"
#include "model/files/scenariofile.h"
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

    // Other writers store the image as read from the controller: whole 1024-byte blocks, so the
    // image's own padding is followed by whatever the last block held. Such files load the
    // controller's image; a file whose plan itself is damaged is still refused.
    void imageFromBlocks_data()
    {
        QTest::addColumn<QByteArray>("blocks");
        QTest::addColumn<QByteArray>("image");  // empty: the file is refused
        const QByteArray image = richImage();
        QByteArray unpadded = image;
        while (unpadded.endsWith('\0'))
            unpadded.chop(1);
        const auto block = [](QByteArray bytes, char fill) {
            bytes.append(QByteArray(1024 - bytes.size() % 1024, fill));
            return bytes;
        };

        // A longer plan written earlier: its bytes past the new image stay in the block.
        ControllerState longer = RichState::build();
        longer.scenarios[1].name = QString(300, QLatin1Char('L'));
        QByteArray longerBody;
        encodeConfigImage(longer, longerBody);
        QVERIFY(longerBody.size() > image.size());

        // A plan whose day map ends on a granule has no padding: the stale plan follows at once,
        // starting with records the decoder would read on.
        ControllerState aligned = RichState::build();
        aligned.scenarios[1].name += QString(int(ImageBodyGranule - unpadded.size() % ImageBodyGranule), QLatin1Char('x'));
        QByteArray alignedBody;
        encodeConfigImage(aligned, alignedBody);
        QCOMPARE(alignedBody.size() % ImageBodyGranule, 0);
        QCOMPARE(alignedBody.back(), char(ImageTag::DayMapEnd));

        QByteArray log;
        for (int m = 0; m < 40; ++m)
            log += LogBytes::measurement(QDateTime(QDate(2026, 2, 27), QTime(8, m)), 0, 0, 21.5f, 22.0f, 22.5f);

        QByteArray brokenCondition = image;
        qsizetype condition = 0;
        while (!(image.at(condition) == char(ImageTag::ConditionStart) && image.at(condition + 12) == char(ImageTag::ConditionEnd)))
            ++condition;
        brokenCondition[condition + 12] = '\x55';

        QTest::newRow("zero tail") << block(image, '\0') << image;
        QTest::newRow("0xFF tail") << block(image, '\xFF') << image;
        QTest::newRow("stale tail of a longer plan") << block(image + longerBody.mid(image.size()), '\xFF') << image;
        QTest::newRow("stale plan right after a granule-long image") << block(alignedBody + image, '\xFF') << alignedBody;
        QTest::newRow("log records after the image") << block(image + log, '\xFF') << image;
        QTest::newRow("cut inside the day map") << block(unpadded.left(unpadded.size() - 3), '\xFF') << QByteArray();
        QTest::newRow("damaged condition") << block(brokenCondition, '\xFF') << QByteArray();
        QTest::newRow("record instead of padding") << block(unpadded + QByteArray::fromHex("14010013"), '\0')
                                                   << QByteArray();
    }
    void imageFromBlocks()
    {
        QFETCH(QByteArray, blocks);
        QFETCH(QByteArray, image);
        ScenarioFileContent back;
        QVERIFY(readScenarioFile(block(blocks) + block("0,0\n") + i16(0) + block("заметка"), &back));
        QCOMPARE(back.notes.size(), 1);
        QCOMPARE(imageHoldsWholePlan(back.image), !image.isEmpty());
        if (!image.isEmpty())
            QCOMPARE(back.image, image);
        QCOMPARE(controllerImageIn(blocks), image);
    }

    // Row captions are the program's own words, not part of the image: a caption spelt otherwise
    // writes the same file, and reading it back gives the program's caption.
    void rowCaptionsAreNotStored()
    {
        ControllerState state = RichState::build();
        QByteArray body;
        encodeConfigImage(state, body);
        ControllerState respelt = RichState::build();
        for (Scenario &scenario : respelt.scenarios)
            for (SocketProgram &program : scenario.sockets)
                for (QList<Condition> *rows : {&program.dayConditions, &program.nightConditions})
                    for (Condition &row : *rows)
                        row.text = QStringLiteral("другая подпись");
        QByteArray respeltBody;
        encodeConfigImage(respelt, respeltBody);
        QCOMPARE(respeltBody, body);
        const ControllerState back = planOfImage(body);
        QCOMPARE(back.scenarios.at(0).sockets.value(1).dayConditions.at(0).text, QStringLiteral("Базовое состояние"));
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
