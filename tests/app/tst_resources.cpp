#include <QDirIterator>
#include <QFile>
#include <QFontDatabase>
#include <QImageReader>
#include <QMediaPlayer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QSvgRenderer>
#include <QTest>

#include "help/helppages.h"
#include "testsupport.h"

// Every resource path named in the sources must be compiled in, and must load.
class TestResources : public QObject
{
    Q_OBJECT

    static QStringList namedResourcePaths()
    {
        QStringList paths;
        const QRegularExpression re(QStringLiteral(R"(:/(?:pict|helpinfo)/[A-Za-z0-9_./-]*[A-Za-z0-9_])"));
        QDirIterator it(sourcePath(QStringLiteral("src")), {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.ui")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (!f.open(QIODevice::ReadOnly))
                continue;
            const QString text = QString::fromUtf8(f.readAll());
            auto matches = re.globalMatch(text);
            while (matches.hasNext()) {
                const QString path = matches.next().captured(0);
                if (!paths.contains(path))
                    paths << path;
            }
        }
        return paths;
    }

private slots:
    void everyNamedResourceExists()
    {
        const QStringList paths = namedResourcePaths();
        QVERIFY(paths.size() > 10);
        QStringList missing;
        for (const QString &path : paths) {
            // folders (help pages) are named with a trailing slash stripped by the pattern
            if (!QFile::exists(path))
                missing << path;
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(' '))));
    }

    void picturesLoad()
    {
        QDirIterator it(QStringLiteral(":/pict"), QDir::Files);
        int checked = 0;
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.endsWith(QLatin1String(".svg"))) {
                QSvgRenderer svg(path);
                QVERIFY2(svg.isValid(), qPrintable(path));
                ++checked;
            } else if (path.endsWith(QLatin1String(".png")) || path.endsWith(QLatin1String(".jpg"))) {
                QImageReader reader(path);
                QVERIFY2(!reader.read().isNull(), qPrintable(path));
                ++checked;
            }
        }
        QVERIFY(checked > 0);
    }

    // Every item a help page shows is compiled in and loads: texts are UTF-8, the picture decodes,
    // videos are MP4 files well under a megabyte that the media backend opens.
    void helpItemsLoad_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");
        for (int page = 0; page < HelpPages::PageCount; ++page) {
            int numbers[3] = {0, 0, 0};
            for (int kind : HelpPages::items(page)) {
                const QString path = HelpPages::itemPath(page, kind, ++numbers[kind]);
                QTest::newRow(qPrintable(path)) << path << kind;
            }
        }
    }
    void helpItemsLoad()
    {
        QFETCH(QString, path);
        QFETCH(int, kind);
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        const QByteArray bytes = file.readAll();
        QVERIFY(!bytes.isEmpty());
        switch (kind) {
        case HelpPages::Text: {
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString text = utf8(bytes);
            QVERIFY(!utf8.hasError());
            QVERIFY(text.contains(QLatin1String("## ")));
            break;
        }
        case HelpPages::Picture: {
            QImageReader reader(path);
            QVERIFY(!reader.read().isNull());
            break;
        }
        case HelpPages::Video: {
            QCOMPARE(bytes.mid(4, 4), QByteArray("ftyp"));
            QVERIFY2(bytes.size() < 1024 * 1024, qPrintable(QString::number(bytes.size())));
            QMediaPlayer player;
            QSignalSpy errors(&player, &QMediaPlayer::errorOccurred);
            player.setSource(QUrl(QStringLiteral("qrc") + path));
            QTRY_VERIFY_WITH_TIMEOUT(player.mediaStatus() == QMediaPlayer::LoadedMedia || !errors.isEmpty(), 10000);
            QVERIFY2(errors.isEmpty(), qPrintable(player.errorString()));
            QVERIFY(player.duration() > 1000);
            QVERIFY(player.hasVideo());
            break;
        }
        default:
            QFAIL("unknown item kind");
        }
    }

    void fontsRegister_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("thin") << QStringLiteral(":/pict/IBMPlexMono-Thin.ttf");
        QTest::newRow("medium") << QStringLiteral(":/pict/IBMPlexMono-Medium.ttf");
    }
    void fontsRegister()
    {
        QFETCH(QString, path);
        const int id = QFontDatabase::addApplicationFont(path);
        QVERIFY(id >= 0);
        QVERIFY(QFontDatabase::applicationFontFamilies(id).first().contains(QLatin1String("IBM Plex Mono")));
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
