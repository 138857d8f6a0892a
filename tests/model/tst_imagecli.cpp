#include <QTest>

#include "richstate.h"
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

    void imageToJsonAndBack_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::newRow("rich image") << QStringLiteral("model/rich-image.hex");
        QTest::newRow("empty state") << QStringLiteral("model/empty-state.hex");
    }

    void imageToJsonAndBack()
    {
        QFETCH(QString, fixture);
        const QByteArray image = RichState::fixture(testDataPath(fixture));
        const Run decoded = run({QStringLiteral("image"), file(QStringLiteral("body.bin"), image)});
        QCOMPARE(decoded.exitCode, 0);
        QVERIFY(decoded.err.isEmpty());
        QJsonParseError error;
        const QJsonObject json = QJsonDocument::fromJson(decoded.out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QVERIFY(json.contains(QStringLiteral("scenarios")));

        const Run encoded = run({QStringLiteral("encode"), file(QStringLiteral("state.json"), decoded.out)});
        QCOMPARE(encoded.exitCode, 0);
        QCOMPARE(encoded.out, image);
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
