#include <QDirIterator>
#include <QFile>
#include <QFontDatabase>
#include <QImageReader>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTest>

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
