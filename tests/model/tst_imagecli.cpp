#include <QTest>

#include "eventlogbytes.h"
#include "richstate.h"
#include "model/codec/configimage.h"
#include "model/plan/plancheck.h"
#include "model/codec/planimage.h"
#include "model/files/scenariofile.h"
#include "testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

// The vireosant-inspect program as users run it: exit status, standard output and error.
class TestInspect : public QObject
{
    Q_OBJECT

    struct Run
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    QString m_program;
    QTemporaryDir m_dir;

    Run run(const QStringList &args)
    {
        QProcess process;
        process.start(m_program, args);
        Run r;
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
            return r;
        r.exitCode = process.exitCode();
        r.out = process.readAllStandardOutput();
        r.err = process.readAllStandardError();
        return r;
    }

    QString file(const QString &name, const QByteArray &content)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(content);
        return path;
    }

private slots:
    void initTestCase()
    {
        m_program = QCoreApplication::applicationDirPath() + QStringLiteral("/../vireosant-inspect");
        QVERIFY2(QFile::exists(m_program), "build the vireosant-inspect target first");
        QVERIFY(m_dir.isValid());
    }

    static QByteArray withHeader(const QByteArray &body, int length)
    {
        QByteArray header(64, '\0');
        header[0] = '\x11';
        header[1] = '\x22';
        header[2] = char(length & 0xFF);
        header[3] = char(length >> 8);
        return header + body;
    }

    void imageToJsonAndBack_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<bool>("header");
        QTest::addColumn<bool>("unknownSensor");  // input 0 of a type the program does not know
        QTest::newRow("rich image") << QStringLiteral("model/rich-image.hex") << false << false;
        QTest::newRow("empty state") << QStringLiteral("model/empty-state.hex") << false << false;
        QTest::newRow("rich image with its header") << QStringLiteral("model/rich-image.hex") << true << false;
        QTest::newRow("unknown sensor and its rows") << QStringLiteral("model/rich-image.hex") << false << true;
    }

    void imageToJsonAndBack()
    {
        QFETCH(QString, fixture);
        QFETCH(bool, header);
        QFETCH(bool, unknownSensor);
        QByteArray body = RichState::fixture(testDataPath(fixture));
        if (unknownSensor)
            body[16] = 9;
        const QByteArray image = header ? withHeader(body, int(body.size()) + 64) : body;
        const Run decoded = run({QStringLiteral("image"), file(QStringLiteral("body.bin"), image)});
        QCOMPARE(decoded.exitCode, 0);
        QVERIFY(decoded.err.isEmpty());
        QJsonParseError error;
        const QJsonObject json = QJsonDocument::fromJson(decoded.out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QVERIFY(json.contains(QStringLiteral("scenarios")));
        QCOMPARE(json.value(QStringLiteral("complete")).toBool(), true);
        QCOMPARE(json.value(QStringLiteral("header")).toBool(), header);
        // shown with their bytes: the section, and the two rows that read its channels
        const QJsonArray kept = json.value(QStringLiteral("keptSensorSections")).toArray();
        QCOMPARE(kept.size(), unknownSensor ? 1 : 0);
        if (unknownSensor) {
            QCOMPARE(kept.at(0)[QStringLiteral("type")].toInt(), 9);
            QCOMPARE(kept.at(0)[QStringLiteral("section")].toString(), QString::fromLatin1(body.left(37).toHex()));
            const QJsonObject lamp = json.value(QStringLiteral("scenarios"))[1][QStringLiteral("sockets")][0].toObject();
            QCOMPARE(lamp.value(QStringLiteral("keptDay")).toArray().size(), 1);
            QCOMPARE(lamp.value(QStringLiteral("keptNight")).toArray().size(), 1);
        }

        const Run encoded = run({QStringLiteral("encode"), file(QStringLiteral("state.json"), decoded.out)});
        QCOMPARE(encoded.exitCode, 0);
        QCOMPARE(encoded.out, image);
    }

    // The checker's findings as JSON; the exit status says whether one of them is an error.
    void checkPlans_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstCode");
        const QByteArray rich = RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
        const QList<PlanFinding> richFindings = checkPlan(planOfImage(rich));
        QTest::newRow("rich image") << QStringLiteral("rich.img") << rich << (hasPlanErrors(richFindings) ? 1 : 0)
                                    << (richFindings.isEmpty() ? QString() : richFindings.first().code);

        // the same plan with an interval whose bounds are the wrong way round
        ControllerState state = planOfImage(rich);
        int input = 0;
        while (input < state.sensors.size() && state.sensors.at(input).channels.isEmpty())
            ++input;
        Condition inverted = RichState::sensorRow(input, state.sensors.value(input).channels.value(0), QStringLiteral("x"),
                                                  ConditionKind::Interval, 25, ConditionAction::On, 7, {20});
        state.scenarios[0].sockets[1].dayConditions.prepend(inverted);
        QByteArray body;
        encodeConfigImage(state, body);
        QTest::newRow("inverted interval") << QStringLiteral("bad.img") << body << 1 << QStringLiteral("inverted-interval");
        QTest::newRow("inverted interval with the header") << QStringLiteral("bad-header.img") << withHeader(body, int(body.size()) + 64)
                                                           << 1 << QStringLiteral("inverted-interval");
        ScenarioFileContent scn;
        scn.image = body;
        QTest::newRow("inverted interval in a scenario file") << QStringLiteral("bad.scn") << writeScenarioFile(scn) << 1
                                                              << QStringLiteral("inverted-interval");
        QTest::newRow("no whole plan") << QStringLiteral("cut.img") << rich.left(700) << 2 << QString();
        QTest::newRow("damaged scenario file") << QStringLiteral("cut.scn") << QByteArray("\x40\x00\x00\x00\x02", 5) << 2 << QString();
    }
    void checkPlans()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(int, exitCode);
        QFETCH(QString, firstCode);
        const Run r = run({QStringLiteral("check"), file(name, content)});
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode == 2) {
            QVERIFY(r.out.isEmpty());
            QVERIFY(r.err.startsWith("vireosant-inspect: "));
            return;
        }
        QVERIFY(r.err.isEmpty());
        const QJsonArray findings = QJsonDocument::fromJson(r.out).object().value(QStringLiteral("findings")).toArray();
        QCOMPARE(findings.isEmpty() ? QString() : findings.first().toObject().value(QStringLiteral("code")).toString(), firstCode);
        for (const QJsonValue &v : findings) {
            const QJsonObject f = v.toObject();
            for (const char *key : {"code", "severity", "scenario", "output", "phase", "row", "text"})
                QVERIFY2(f.contains(QLatin1String(key)), key);
        }
    }

    // Whether the whole body was understood, and where decoding stopped.
    void damagedOrHealthy_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<int>("stopPosition");  // in the body, after a header
        QTest::addColumn<bool>("header");
        const QByteArray rich = RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
        const int dayMapStart = 684;
        const int dayMapEnd = 705;
        QByteArray paddingNotZero = rich;
        paddingNotZero[740] = '\x01';

        QTest::newRow("padded") << rich << true << dayMapEnd << false;
        QTest::newRow("without padding") << rich.left(dayMapEnd) << true << dayMapEnd << false;
        QTest::newRow("a byte set in the padding") << paddingNotZero << false << dayMapEnd << false;
        QTest::newRow("day map cut short") << rich.left(700) << false << dayMapStart << false;
        QTest::newRow("no day map") << rich.left(dayMapStart) + QByteArray(64, '\0') << false << dayMapStart << false;
        QByteArray unknownTag = rich;
        unknownTag[213] = '\x05';  // the base scenario's first list header
        QTest::newRow("unknown tag in a scenario") << unknownTag << false << 213 << false;
        QTest::newRow("a record after the day map") << rich.left(dayMapEnd) + QByteArray::fromHex("0701410000080000") << false
                                                    << dayMapEnd + 6 << false;
        // a one-byte name that happens to be the day map's end tag
        QTest::newRow("a scenario header after the day map") << rich.left(dayMapEnd) + QByteArray::fromHex("1401001300") << false
                                                             << dayMapEnd + 4 << false;
        QTest::newRow("empty") << QByteArray() << false << 0 << false;
        QTest::newRow("header") << withHeader(rich, int(rich.size()) + 64) << true << dayMapEnd << true;
        QTest::newRow("header of another length") << withHeader(rich, int(rich.size()) + 128) << false << dayMapEnd << true;
        QTest::newRow("header cut short") << withHeader(rich, int(rich.size()) + 64).left(40) << false << 0 << false;
    }

    void damagedOrHealthy()
    {
        QFETCH(QByteArray, image);
        const Run r = run({QStringLiteral("image"), file(QStringLiteral("body.bin"), image)});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject json = QJsonDocument::fromJson(r.out).object();
        QTEST(json.value(QStringLiteral("complete")).toBool(), "complete");
        QTEST(json.value(QStringLiteral("stopPosition")).toInt(), "stopPosition");
        QTEST(json.value(QStringLiteral("header")).toBool(), "header");
        QVERIFY(!json.contains(QStringLiteral("usedLength")));
    }

    void scenarioFile()
    {
        const QByteArray image = RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
        ScenarioFileContent c;
        c.image = image;
        c.index = "0,3\n4,1\n";
        c.notes = {{3, QByteArray("посев")}, {1, QByteArray("pH 6.1")}};
        c.description = "Томаты";
        const Run r = run({QStringLiteral("scn"), file(QStringLiteral("plan.scn"), writeScenarioFile(c))});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        const QJsonObject json = QJsonDocument::fromJson(r.out).object();
        const Run plain = run({QStringLiteral("image"), file(QStringLiteral("body.bin"), image)});
        QCOMPARE(json.value(QStringLiteral("image")).toObject(), QJsonDocument::fromJson(plain.out).object());
        QCOMPARE(json.value(QStringLiteral("index")).toArray(), (QJsonArray{QStringLiteral("0,3"), QStringLiteral("4,1")}));
        const QJsonArray comments = json.value(QStringLiteral("comments")).toArray();
        QCOMPARE(comments.size(), 2);
        QCOMPARE(comments.at(0).toObject().value(QStringLiteral("number")).toInt(), 3);
        QCOMPARE(comments.at(0).toObject().value(QStringLiteral("text")).toString(), QStringLiteral("посев"));
        QCOMPARE(json.value(QStringLiteral("description")).toString(), QStringLiteral("Томаты"));
    }

    // A file whose image is stored as whole blocks read from a controller loads as the program
    // loads it: the controller's image, the rest of the last block ignored.
    void scenarioFileOfBlocks()
    {
        const QByteArray image = RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
        ScenarioFileContent c;
        c.image = image + QByteArray(1024 - image.size(), '\xFF');
        const Run r = run({QStringLiteral("scn"), file(QStringLiteral("blocks.scn"), writeScenarioFile(c))});
        QCOMPARE(r.exitCode, 0);
        const Run plain = run({QStringLiteral("image"), file(QStringLiteral("body.bin"), image)});
        QCOMPARE(QJsonDocument::fromJson(r.out).object().value(QStringLiteral("image")).toObject(),
                 QJsonDocument::fromJson(plain.out).object());
    }

    void anyBytesDecode()
    {
        QByteArray noise;
        for (int i = 0; i < 300; ++i)
            noise.append(char((i * 37 + 11) % 256));
        for (const QByteArray &body : {QByteArray(), noise, QByteArray(1, '\x02')}) {
            const Run r = run({QStringLiteral("image"), file(QStringLiteral("noise.bin"), body)});
            QCOMPARE(r.exitCode, 0);
            QVERIFY(QJsonDocument::fromJson(r.out).isObject());
        }
    }

    // Log records decoded with the rich image's sensors, cycle and scenarios at a fixed "now".
    void logRecords()
    {
        const QByteArray image = RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
        const QDateTime t(QDate(2026, 3, 3), QTime(10, 0));  // day 2 of the cycle runs "Рассада"
        const QByteArray log = LogBytes::measurement(t, 0, 1, 20.0f, 24.5f, 29.0f) + LogBytes::marker(t.addSecs(-3600), 1, 1)
            + QByteArray(7, '\xFF');
        const Run r = run({QStringLiteral("log"), file(QStringLiteral("body.bin"), image), file(QStringLiteral("log.bin"), log),
                           QStringLiteral("--now"), QStringLiteral("2026-03-05T12:00:00")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        const QJsonArray records = QJsonDocument::fromJson(r.out).array();
        QCOMPARE(records.size(), 2);
        const QJsonObject power = records.at(0).toObject();
        QCOMPARE(power.value(QStringLiteral("sensor")).toInt(), -1);
        QCOMPARE(power.value(QStringLiteral("time")).toString(), QStringLiteral("2026-03-03T09:00:00"));
        const QJsonObject m = records.at(1).toObject();
        QCOMPARE(m.value(QStringLiteral("sensor")).toInt(), 0);
        QCOMPARE(m.value(QStringLiteral("channel")).toInt(), 5);
        QCOMPARE(m.value(QStringLiteral("time")).toString(), QStringLiteral("2026-03-03T10:00:00"));
        QCOMPARE(m.value(QStringLiteral("cycle")).toInt(), 1);
        QCOMPARE(m.value(QStringLiteral("hourInCycle")).toInt(), 2);
        QCOMPARE(m.value(QStringLiteral("min")).toDouble(), 20.0);
        QCOMPARE(m.value(QStringLiteral("avg")).toDouble(), 24.5);
        QCOMPARE(m.value(QStringLiteral("max")).toDouble(), 29.0);
        QCOMPARE(m.value(QStringLiteral("minHit")).toInt(), 0);
        QCOMPARE(m.value(QStringLiteral("maxHit")).toInt(), 1);

        // ten years later every record is outside the window
        const Run later = run({QStringLiteral("log"), file(QStringLiteral("body.bin"), image), file(QStringLiteral("log.bin"), log),
                               QStringLiteral("--now"), QStringLiteral("2036-03-05T12:00:00")});
        QCOMPARE(later.exitCode, 0);
        QCOMPARE(QJsonDocument::fromJson(later.out).array().size(), 0);
    }

    void diffOfTwoBodies()
    {
        const QByteArray rich = RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
        QByteArray renamed = rich;
        const QByteArray name = QStringLiteral("Лампа").toUtf8();
        renamed.replace(renamed.indexOf(name), name.size(), QStringLiteral("Лампы").toUtf8());
        const QString a = file(QStringLiteral("a.img"), rich);
        const QString b = file(QStringLiteral("b.img"), renamed);

        const Run r = run({QStringLiteral("diff"), a, b});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        const QJsonObject json = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(json.value(QStringLiteral("same")).toBool(true), false);
        QCOMPARE(QJsonDocument(json.value(QStringLiteral("sockets")).toArray()).toJson(QJsonDocument::Compact),
                 QByteArray(R"([{"from":"Лампа","index":0,"to":"Лампы"}])"));
        QCOMPARE(json.size(), 2);

        // an image with its header is read as its body
        const QString withItsHeader = file(QStringLiteral("b-header.img"), withHeader(renamed, int(renamed.size()) + 64));
        QCOMPARE(run({QStringLiteral("diff"), a, withItsHeader}).out, r.out);

        const Run same = run({QStringLiteral("diff"), a, a});
        QCOMPARE(same.exitCode, 0);
        const QJsonObject nothing{{QStringLiteral("same"), true}};
        QCOMPARE(QJsonDocument::fromJson(same.out).object(), nothing);
    }

    void badInput_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("content");  // written to the FILE argument when not empty
        QTest::addColumn<QByteArray>("message");  // expected start of the error line, after the program name
        QTest::newRow("no arguments") << QStringList{} << QByteArray() << QByteArray("usage: ");
        QTest::newRow("unknown command") << QStringList{QStringLiteral("show"), QStringLiteral("x")} << QByteArray()
                                         << QByteArray("usage: ");
        QTest::newRow("missing file") << QStringList{QStringLiteral("image"), QStringLiteral("/nonexistent/body.bin")}
                                      << QByteArray() << QByteArray("vireosant-inspect: /nonexistent/body.bin: ");
        QTest::newRow("missing json") << QStringList{QStringLiteral("encode"), QStringLiteral("/nonexistent/a.json")}
                                      << QByteArray() << QByteArray("vireosant-inspect: /nonexistent/a.json: ");
        QTest::newRow("not json") << QStringList{QStringLiteral("encode"), QStringLiteral("bad.json")} << QByteArray("{\"a\":")
                                  << QByteArray("invalid JSON at offset");
        QTest::newRow("json array") << QStringList{QStringLiteral("encode"), QStringLiteral("bad.json")} << QByteArray("[1]")
                                    << QByteArray("expected a JSON object");
        QTest::newRow("diff of one file") << QStringList{QStringLiteral("diff"), QStringLiteral("x")} << QByteArray()
                                          << QByteArray("usage: ");
        QTest::newRow("diff of a missing file")
            << QStringList{QStringLiteral("diff"), QStringLiteral("/nonexistent/a.img"), QStringLiteral("/nonexistent/b.img")}
            << QByteArray() << QByteArray("vireosant-inspect: /nonexistent/a.img: ");
        QTest::newRow("bad field") << QStringList{QStringLiteral("encode"), QStringLiteral("bad.json")}
                                   << QByteArray(R"({"sockets": [{"index": 9}]})")
                                   << QByteArray("sockets[0].index: expected an integer in 0..3");
        QTest::newRow("endless input") << QStringList{QStringLiteral("image"), QStringLiteral("/dev/zero")} << QByteArray()
                                       << QByteArray("vireosant-inspect: /dev/zero: larger than 64 KiB");
        QTest::newRow("image over 64 KiB") << QStringList{QStringLiteral("image"), QStringLiteral("big.bin")}
                                           << QByteArray(64 * 1024 + 1, '\x02') << QByteArray("larger than 64 KiB");
        QTest::newRow("log over 64 KiB") << QStringList{QStringLiteral("log"), QStringLiteral("/dev/null"), QStringLiteral("big.bin")}
                                         << QByteArray(64 * 1024 + 1, '\xFF') << QByteArray("larger than 64 KiB");
        QTest::newRow("unknown key") << QStringList{QStringLiteral("encode"), QStringLiteral("bad.json")}
                                     << QByteArray(R"({"workCycle": {"dayhours": 12}})") << QByteArray("workCycle.dayhours: unknown key");
        QTest::newRow("header not a bool") << QStringList{QStringLiteral("encode"), QStringLiteral("bad.json")}
                                           << QByteArray(R"({"header": 1})") << QByteArray("header: expected true or false");
        QTest::newRow("start the image cannot hold")
            << QStringList{QStringLiteral("encode"), QStringLiteral("bad.json")}
            << QByteArray(R"({"workCycle": {"cycleCount": 2, "startSeconds": -62135596801}})")
            << QByteArray("workCycle.startSeconds: expected 0 (no start) or a time in the years 1..9999");
        QTest::newRow("section of another name")
            << QStringList{QStringLiteral("encode"), QStringLiteral("bad.json")}
            << QByteArray(R"({"sensors": [{"index": 2, "name": "X", "section": "020ad09dd0b0d181d0bed1810208041106000012142c01000003"}]})")
            << QByteArray("sensors[0].section: holds the name");
        QTest::newRow("image too large for the controller")
            << QStringList{QStringLiteral("encode"), QStringLiteral("big.json")}
            << QByteArray(R"({"scenarios": [{"sockets": [{"output": 1, "day": [)") + QByteArray("{},").repeated(2600)
                   + QByteArray(R"({}]}]}]})")
            << QByteArray("the image (33984 bytes with its header) does not fit the controller's 32512 bytes");
        QTest::newRow("log: missing image") << QStringList{QStringLiteral("log"), QStringLiteral("/nonexistent/body.bin"),
                                                           QStringLiteral("/nonexistent/log.bin")}
                                            << QByteArray() << QByteArray("vireosant-inspect: /nonexistent/body.bin: ");
        QTest::newRow("log: bad now") << QStringList{QStringLiteral("log"), QStringLiteral("a"), QStringLiteral("b"),
                                                     QStringLiteral("--now"), QStringLiteral("tomorrow")}
                                      << QByteArray() << QByteArray("tomorrow: expected a time");
        QTest::newRow("log: unknown option") << QStringList{QStringLiteral("log"), QStringLiteral("a"), QStringLiteral("b"),
                                                            QStringLiteral("--then"), QStringLiteral("x")}
                                             << QByteArray() << QByteArray("usage: ");
        QTest::newRow("log: missing log") << QStringList{QStringLiteral("log"), QStringLiteral("a")} << QByteArray()
                                          << QByteArray("usage: ");
        QTest::newRow("scenario file cut short") << QStringList{QStringLiteral("scn"), QStringLiteral("cut.scn")}
                                                 << QByteArray("\x40\x00\x00\x00\x02", 5)
                                                 << QByteArray("damaged scenario file: a length runs past the end");
        ScenarioFileContent tail;
        tail.image = RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex"))).left(705) + QByteArray::fromHex("14010013");
        QTest::newRow("scenario file with a record after its day map") << QStringList{QStringLiteral("scn"), QStringLiteral("tail.scn")}
                                                                       << writeScenarioFile(tail)
                                                                       << QByteArray("damaged scenario file: the image holds no whole plan");
        QTest::newRow("scenario file without a plan") << QStringList{QStringLiteral("scn"), QStringLiteral("empty.scn")}
                                                      << QByteArray(4, '\0')
                                                      << QByteArray("damaged scenario file: the image holds no whole plan");
    }

    void badInput()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, message);
        if (!content.isEmpty())
            args.last() = file(args.last(), content);
        const Run r = run(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.endsWith('\n') && r.err.count('\n') == 1, r.err.constData());
        QVERIFY2(r.err.startsWith(message) || r.err.contains(": " + message), r.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestInspect)
#include "tst_imagecli.moc"
